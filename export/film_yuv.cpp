#include "export/film_yuv.h"

#include <array>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VICINARA_HAS_SSSE3_PATH 1
#endif

namespace exporting {

using display::RgbImage;

namespace {

constexpr std::uint8_t LumaOf(int r, int g, int b) {
  return static_cast<std::uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
constexpr std::uint8_t BlueDifferenceOf(int r, int g, int b) {
  return static_cast<std::uint8_t>(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
constexpr std::uint8_t RedDifferenceOf(int r, int g, int b) {
  return static_cast<std::uint8_t>(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

#ifdef VICINARA_HAS_SSSE3_PATH

// Byte shuffles that gather one channel of 16 RGB pixels (48 bytes in three
// vectors): kGather[channel][vector] puts byte 3 i + channel into lane i when
// that byte lies in the vector, else zero.
using Mask = std::array<std::uint8_t, 16>;
constexpr std::array<std::array<Mask, 3>, 3> MakeGather() {
  std::array<std::array<Mask, 3>, 3> masks{};
  for (int channel = 0; channel < 3; ++channel) {
    for (int vector = 0; vector < 3; ++vector) {
      for (int lane = 0; lane < 16; ++lane) {
        const int byte = 3 * lane + channel;
        masks[channel][vector][lane] = byte / 16 == vector ? static_cast<std::uint8_t>(byte % 16) : 0x80;
      }
    }
  }
  return masks;
}
constexpr auto kGather = MakeGather();

__attribute__((target("ssse3"))) inline __m128i Gather(const __m128i v[3], int channel) {
  auto mask = [channel](int vector) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kGather[channel][vector].data()));
  };
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v[0], mask(0)), _mm_shuffle_epi8(v[1], mask(1))),
                      _mm_shuffle_epi8(v[2], mask(2)));
}

// 16 pixels as 16-bit channels: [0] the first eight, [1] the next eight.
struct Channels {
  __m128i R[2], G[2], B[2];
};

__attribute__((target("ssse3"))) inline Channels Load16(const std::uint8_t* p) {
  const __m128i v[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
  const __m128i zero = _mm_setzero_si128();
  const __m128i r = Gather(v, 0), g = Gather(v, 1), b = Gather(v, 2);
  return {{_mm_unpacklo_epi8(r, zero), _mm_unpackhi_epi8(r, zero)},
          {_mm_unpacklo_epi8(g, zero), _mm_unpackhi_epi8(g, zero)},
          {_mm_unpacklo_epi8(b, zero), _mm_unpackhi_epi8(b, zero)}};
}

// 66 r + 129 g + 25 b + 128 stays below 2^16: unsigned 16-bit lanes hold it.
__attribute__((target("ssse3"))) inline __m128i Luma8(__m128i r, __m128i g, __m128i b) {
  __m128i sum = _mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(66)), _mm_mullo_epi16(g, _mm_set1_epi16(129)));
  sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_mullo_epi16(b, _mm_set1_epi16(25)), _mm_set1_epi16(128)));
  return _mm_add_epi16(_mm_srli_epi16(sum, 8), _mm_set1_epi16(16));
}

// The means of the 2 x 2 blocks of eight columns of two rows, as 32-bit lanes.
__attribute__((target("ssse3"))) inline __m128i BlockMean(__m128i top, __m128i below) {
  const __m128i sums = _mm_madd_epi16(_mm_add_epi16(top, below), _mm_set1_epi16(1));
  return _mm_srli_epi32(_mm_add_epi32(sums, _mm_set1_epi32(2)), 2);
}

// A chroma difference of eight blocks; every partial sum fits a signed 16-bit lane.
__attribute__((target("ssse3"))) inline __m128i Difference8(__m128i r, __m128i g, __m128i b, short wr, short wg,
                                                           short wb) {
  __m128i sum = _mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(wr)), _mm_mullo_epi16(g, _mm_set1_epi16(wg)));
  sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_mullo_epi16(b, _mm_set1_epi16(wb)), _mm_set1_epi16(128)));
  return _mm_add_epi16(_mm_srai_epi16(sum, 8), _mm_set1_epi16(128));
}

// Converts blocks left .. left + 8 k - 1 and returns where it stopped.
__attribute__((target("ssse3"))) int RgbToYuv420Ssse3(const RgbImage& image, const YuvPlanes& out, int pair,
                                                      int left, int right) {
  const std::size_t stride = static_cast<std::size_t>(image.Stride());
  const std::uint8_t* top = image.Pixels.data() + 2 * static_cast<std::size_t>(pair) * stride;
  const std::uint8_t* below = top + stride;
  std::uint8_t* yTop = out.Y + static_cast<std::ptrdiff_t>(2 * pair) * out.StrideY;
  std::uint8_t* yBelow = yTop + out.StrideY;
  std::uint8_t* u = out.U + static_cast<std::ptrdiff_t>(pair) * out.StrideU;
  std::uint8_t* v = out.V + static_cast<std::ptrdiff_t>(pair) * out.StrideV;
  int block = left;
  for (; block + 8 <= right; block += 8) {
    const int x = 2 * block;
    const Channels a = Load16(top + 3 * static_cast<std::size_t>(x));
    const Channels c = Load16(below + 3 * static_cast<std::size_t>(x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yTop + x),
                     _mm_packus_epi16(Luma8(a.R[0], a.G[0], a.B[0]), Luma8(a.R[1], a.G[1], a.B[1])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yBelow + x),
                     _mm_packus_epi16(Luma8(c.R[0], c.G[0], c.B[0]), Luma8(c.R[1], c.G[1], c.B[1])));
    const __m128i r = _mm_packs_epi32(BlockMean(a.R[0], c.R[0]), BlockMean(a.R[1], c.R[1]));
    const __m128i g = _mm_packs_epi32(BlockMean(a.G[0], c.G[0]), BlockMean(a.G[1], c.G[1]));
    const __m128i b = _mm_packs_epi32(BlockMean(a.B[0], c.B[0]), BlockMean(a.B[1], c.B[1]));
    const __m128i zero = _mm_setzero_si128();
    _mm_storel_epi64(reinterpret_cast<__m128i*>(u + block), _mm_packus_epi16(Difference8(r, g, b, -38, -74, 112), zero));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(v + block), _mm_packus_epi16(Difference8(r, g, b, 112, -94, -18), zero));
  }
  return block;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

void RgbToYuv420Scalar(const RgbImage& image, const YuvPlanes& out, int pair, int left, int right) {
  const std::size_t stride = static_cast<std::size_t>(image.Stride());
  const std::uint8_t* top = image.Pixels.data() + 2 * static_cast<std::size_t>(pair) * stride;
  const std::uint8_t* below = top + stride;
  for (int row = 0; row < 2; ++row) {
    const std::uint8_t* p = row == 0 ? top : below;
    std::uint8_t* y = out.Y + static_cast<std::ptrdiff_t>(2 * pair + row) * out.StrideY;
    for (int x = 2 * left; x < 2 * right; ++x) y[x] = LumaOf(p[3 * x], p[3 * x + 1], p[3 * x + 2]);
  }
  std::uint8_t* u = out.U + static_cast<std::ptrdiff_t>(pair) * out.StrideU;
  std::uint8_t* v = out.V + static_cast<std::ptrdiff_t>(pair) * out.StrideV;
  for (int x = left; x < right; ++x) {
    const std::uint8_t* a = top + 6 * x;
    const std::uint8_t* c = below + 6 * x;
    const int r = (a[0] + a[3] + c[0] + c[3] + 2) >> 2;
    const int g = (a[1] + a[4] + c[1] + c[4] + 2) >> 2;
    const int b = (a[2] + a[5] + c[2] + c[5] + 2) >> 2;
    u[x] = BlueDifferenceOf(r, g, b);
    v[x] = RedDifferenceOf(r, g, b);
  }
}

void RgbToYuv420(const RgbImage& image, const YuvPlanes& out, int pair, int left, int right) {
#ifdef VICINARA_HAS_SSSE3_PATH
  if (HasSsse3()) left = RgbToYuv420Ssse3(image, out, pair, left, right);
#endif
  if (left < right) RgbToYuv420Scalar(image, out, pair, left, right);
}

}  // namespace exporting
