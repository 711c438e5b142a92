#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace simulation {

// A copy of an array, kept to find out later whether the array changed, bit
// for bit. An array of one value throughout (no rents, no streets) is kept
// as that value alone: no memory the size of the grid to fill and compare.
template <typename T>
class KeptCopy {
  using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
  static_assert(sizeof(T) == sizeof(Bits) && std::is_trivially_copyable_v<T>);

 public:
  void Take(const std::vector<T>& now) {
    size_ = now.size();
    uniform_ = Uniform(now, size_ == 0 ? Bits{0} : std::bit_cast<Bits>(now[0]));
    if (uniform_) {
      value_ = size_ == 0 ? Bits{0} : std::bit_cast<Bits>(now[0]);
      copy_.clear();
    } else {
      copy_.assign(now.begin(), now.end());
    }
  }
  bool Same(const std::vector<T>& now) const {
    if (now.size() != size_) return false;
    if (uniform_) return Uniform(now, value_);
    return size_ == 0 || std::memcmp(now.data(), copy_.data(), size_ * sizeof(T)) == 0;
  }

 private:
  // Every value is the next one and the first is `value`; comparing the
  // array with itself one place on runs at the speed of memcmp.
  static bool Uniform(const std::vector<T>& now, Bits value) {
    if (now.empty()) return true;
    return std::bit_cast<Bits>(now[0]) == value &&
           std::memcmp(now.data(), now.data() + 1, (now.size() - 1) * sizeof(T)) == 0;
  }
  std::size_t size_ = 0;
  bool uniform_ = true;
  Bits value_ = 0;
  std::vector<T> copy_;
};

}  // namespace simulation
