#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Reads the fuzzer's bytes as a sequence of small decisions; past the end
// every read gives zeros, so any input is a complete program.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int Int(int lo, int hi) {  // in [lo, hi]
    const std::uint32_t raw = Byte() | (Byte() << 8);
    return lo + static_cast<int>(raw % static_cast<std::uint32_t>(hi - lo + 1));
  }
  bool Bool() { return Byte() & 1; }
  // A short text: mostly the characters numbers are made of, sometimes anything.
  std::string Text(std::size_t maxLength = 12) {
    static constexpr char kNumberish[] = "0123456789,+-eE.  x";
    const std::size_t n = Byte() % (maxLength + 1);
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t b = Byte();
      s += (b & 0x80) ? static_cast<char>(b & 0x7f ? b & 0x7f : 'a') : kNumberish[b % (sizeof kNumberish - 1)];
    }
    return s;
  }
  double Real() {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | Byte();
    double v;
    static_assert(sizeof v == sizeof bits);
    __builtin_memcpy(&v, &bits, sizeof v);
    return v;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace fuzz
