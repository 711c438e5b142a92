#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace simulation {

// Whether each of the n values is `value`, bit for bit: the first is, and
// each is the next one. Comparing the array with itself one place on runs
// at the speed of memcmp.
template <typename T>
bool SameThroughout(const T* values, std::size_t n, T value) {
  return n == 0 ||
         (std::memcmp(&values[0], &value, sizeof(T)) == 0 && std::memcmp(values, values + 1, (n - 1) * sizeof(T)) == 0);
}

// A copy of an array, kept to find out later whether the array changed, bit
// for bit. An array of one value throughout (no rents, no streets) is kept
// as that value alone: no memory the size of the grid to fill and compare.
template <typename T>
class KeptCopy {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  void Take(const std::vector<T>& now) {
    size_ = now.size();
    value_ = now.empty() ? T{} : now[0];
    uniform_ = SameThroughout(now.data(), size_, value_);
    if (uniform_) {
      copy_.clear();
    } else {
      copy_.assign(now.begin(), now.end());
    }
  }
  bool Same(const std::vector<T>& now) const {
    if (now.size() != size_) return false;
    if (uniform_) return SameThroughout(now.data(), size_, value_);
    return size_ == 0 || std::memcmp(now.data(), copy_.data(), size_ * sizeof(T)) == 0;
  }
  // Whether the array taken held one value throughout, and that value.
  bool Uniform() const { return uniform_; }
  T Value() const { return value_; }

 private:
  std::size_t size_ = 0;
  bool uniform_ = true;
  T value_{};
  std::vector<T> copy_;
};

}  // namespace simulation
