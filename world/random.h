#pragma once

#include <cstdint>

namespace world {

// The world's random source (xoshiro256**, seeded through splitmix64).
// Every world owns one; nothing else draws from it.
class Random {
 public:
  explicit Random(std::uint64_t seed = 0) { Seed(seed); }

  void Seed(std::uint64_t seed) {
    seed_ = seed;
    std::uint64_t z = seed;
    for (auto& word : s_) {
      z += 0x9e3779b97f4a7c15ULL;
      std::uint64_t x = z;
      x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
      x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
      word = x ^ (x >> 31);
    }
  }

  std::uint64_t SeedValue() const { return seed_; }

  std::uint64_t Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  // Uniform integer in [0, n); 0 when n <= 0.
  int NextInt(int n) {
    if (n <= 0) return 0;
    const std::uint64_t range = static_cast<std::uint64_t>(n);
    std::uint64_t x = Next() >> 32;
    std::uint64_t m = x * range;
    std::uint32_t low = static_cast<std::uint32_t>(m);
    if (low < range) {
      const std::uint32_t threshold = static_cast<std::uint32_t>((0x100000000ULL - range) % range);
      while (low < threshold) {
        x = Next() >> 32;
        m = x * range;
        low = static_cast<std::uint32_t>(m);
      }
    }
    return static_cast<int>(m >> 32);
  }

  // Uniform real in [0, 1).
  double NextReal() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::uint64_t s_[4]{};
  std::uint64_t seed_ = 0;
};

}  // namespace world
