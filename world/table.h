#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace world {

// A two-index table [i][j] of n0 x n1 values. ResizeKeep keeps the values
// whose indices exist in both the old and the new size and fills new ones.
template <typename T>
class Table {
 public:
  Table() = default;
  Table(int n0, int n1, T fill = T{}) { Assign(n0, n1, fill); }

  int Size0() const { return n0_; }
  int Size1() const { return n1_; }
  bool Empty() const { return n0_ == 0 || n1_ == 0; }

  T& operator()(int i, int j) { return data_[static_cast<std::size_t>(i) * n1_ + j]; }
  const T& operator()(int i, int j) const { return data_[static_cast<std::size_t>(i) * n1_ + j]; }
  T* Row(int i) { return data_.data() + static_cast<std::size_t>(i) * n1_; }
  const T* Row(int i) const { return data_.data() + static_cast<std::size_t>(i) * n1_; }

  void Assign(int n0, int n1, T fill = T{}) {
    n0_ = std::max(0, n0);
    n1_ = std::max(0, n1);
    data_.assign(static_cast<std::size_t>(n0_) * n1_, fill);
  }

  void Fill(T value) { std::fill(data_.begin(), data_.end(), value); }

  void ResizeKeep(int n0, int n1, T fill = T{}) {
    if (n0 == n0_ && n1 == n1_) return;
    Table next(n0, n1, fill);
    const int k0 = std::min(n0_, next.n0_);
    const int k1 = std::min(n1_, next.n1_);
    for (int i = 0; i < k0; ++i) {
      for (int j = 0; j < k1; ++j) next(i, j) = (*this)(i, j);
    }
    *this = std::move(next);
  }

  bool operator==(const Table&) const = default;

 private:
  int n0_ = 0;
  int n1_ = 0;
  std::vector<T> data_;
};

}  // namespace world
