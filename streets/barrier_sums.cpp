#include "barrier_sums.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

#include "street_field.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace streets {

using world::World;

namespace {

using Sums = world::StreetField::BarrierRuns;

// Entries per barrier in Sums::Lines: for the three half-planes a pair's far
// end must lie in (c, k0, k1 with c * q + k0 + k1 * row > 0 for column q),
// then the barrier's lowest and highest row and its type.
constexpr int kLine = 12;
constexpr int kMaxColumns = 65535;  // columns are kept in 16 bits

// Narrows [lo, hi] to the integers q with c * q + k > 0. With |k| < 2^53 the
// double quotient never rounds onto or across an integer, so floor and ceil
// of it are those of the exact quotient.
bool Bound(std::int64_t c, std::int64_t k, std::int64_t& lo, std::int64_t& hi) {
  if (c > 0) {
    lo = std::max(lo, static_cast<std::int64_t>(std::floor(static_cast<double>(-k) / static_cast<double>(c))) + 1);
  } else if (c < 0) {
    hi = std::min(hi, static_cast<std::int64_t>(std::ceil(static_cast<double>(k) / static_cast<double>(-c))) - 1);
  } else if (k <= 0) {
    return false;
  }
  return lo <= hi;
}

// For the cell P = (px, py), the lines of every barrier of the span that P
// does not lie on. The pair P-Q crosses a barrier S-E properly exactly when
// Q lies strictly inside the angle S-P-E and strictly beyond the line S-E
// (P strictly on the other side): three half-planes, each a ray of columns
// in a row.
int PrepareLines(const World& w, BarrierSpan span, int px, int py, std::int64_t* lines) {
  int n = 0;
  for (const std::uint32_t* p = span.begin; p != span.end; ++p) {
    const auto& b = w.Field.Barriers[*p];
    const std::int64_t sx = b.StartCol, sy = b.StartRow, ex = b.EndCol, ey = b.EndRow;
    const std::int64_t side = (px - ex) * (sy - ey) - (py - ey) * (sx - ex);
    if (side == 0) continue;
    const std::int64_t g = side > 0 ? 1 : -1;
    std::int64_t* l = lines + kLine * n++;
    l[0] = g * (ey - py);
    l[1] = g * (py * (ex - px) - px * (ey - py));
    l[2] = -g * (ex - px);
    l[3] = g * (py - sy);
    l[4] = g * (px * (sy - py) - py * (sx - px));
    l[5] = g * (sx - px);
    l[6] = g * (ey - sy);
    l[7] = g * (ex * sy - sx * ey);
    l[8] = g * (sx - ex);
    l[9] = std::min(sy, ey);
    l[10] = std::max(sy, ey);
    l[11] = b.Type;
  }
  return n;
}

// Appends the blocked runs of row ny, within columns [x0, x1], for the cell
// whose lines these are: per column the lowest type among the barriers
// crossed, runs of one type merged.
void AppendRowRuns(const std::int64_t* lines, int count, int py, int ny, int x0, int x1, std::array<int, 3>* cuts,
                   std::vector<BlockedRun>& out) {
  int cutCount = 0;
  const std::int64_t yLo = std::min(py, ny), yHi = std::max(py, ny);
  for (int k = 0; k < count; ++k) {
    const std::int64_t* l = lines + kLine * k;
    // The crossing point lies on the barrier and between the two rows.
    if (l[10] < yLo || l[9] > yHi) continue;
    std::int64_t lo = x0, hi = x1;
    if (!Bound(l[0], l[1] + l[2] * ny, lo, hi) || !Bound(l[3], l[4] + l[5] * ny, lo, hi) ||
        !Bound(l[6], l[7] + l[8] * ny, lo, hi)) {
      continue;
    }
    const int type = static_cast<int>(l[11]);
    cuts[cutCount++] = {static_cast<int>(lo), 1, type + 3};
    cuts[cutCount++] = {static_cast<int>(hi) + 1, -1, type + 3};
  }
  if (cutCount == 0) return;
  if (cutCount == 2) {
    out.push_back({static_cast<std::uint16_t>(cuts[0][0]), static_cast<std::uint16_t>(cuts[1][0] - 1),
                   static_cast<std::int8_t>(cuts[0][2] - 3)});
    return;
  }
  std::sort(cuts, cuts + cutCount, [](const auto& a, const auto& b) { return a[0] < b[0]; });
  const std::size_t rowStart = out.size();
  int open[3] = {0, 0, 0};
  for (int c = 0; c < cutCount;) {
    const int from = cuts[c][0];
    while (c < cutCount && cuts[c][0] == from) {
      open[cuts[c][2]] += cuts[c][1];
      ++c;
    }
    if (c == cutCount) break;
    const int type = open[0] > 0 ? -3 : open[1] > 0 ? -2 : open[2] > 0 ? -1 : 0;
    if (type == 0) continue;
    const int to = cuts[c][0] - 1;
    if (out.size() > rowStart && out.back().Type == type && out.back().Last + 1 == from) {
      out.back().Last = static_cast<std::uint16_t>(to);
    } else {
      out.push_back({static_cast<std::uint16_t>(from), static_cast<std::uint16_t>(to), static_cast<std::int8_t>(type)});
    }
  }
}

constexpr std::int64_t kTwo53 = std::int64_t{1} << 53;
constexpr std::int64_t kNoStep = kTwo53;
constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;

// A running sum of weights >= 0. While the sum stays in one binade
// [2^e, 2^(e+1)), adding a weight w rounds w to the nearest multiple of the
// binade's unit u = 2^(e-52), whatever the sum is, unless w / u is an exact
// half (then the sum's last bit decides). Within a binade the additions
// therefore commute: a run of them is a whole number of units, and adding
// that number at once gives the bits that adding one by one gives.
struct Chain {
  double Sum = 0.0;
  int UnitExp = INT_MIN;
  std::uint64_t Exponent = 0;  // biased exponent bits of the binade
  std::array<std::int64_t, 8> Step{};

  // Brings the steps to the sum's binade; false when the sum is 0,
  // subnormal, negative or not finite.
  bool Ready(const Sums& s) {
    const auto bits = std::bit_cast<std::uint64_t>(Sum);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0 || biased >= 0x7ff) return false;
    const int unitExp = biased - 1075;
    if (unitExp != UnitExp) {
      UnitExp = unitExp;
      Exponent = static_cast<std::uint64_t>(biased) << 52;
      for (int k = 0; k < s.Classes; ++k) {
        const double scaled = std::ldexp(s.ClassWeight[k], -unitExp);
        if (!(scaled < static_cast<double>(kTwo53))) {
          Step[k] = kNoStep;
          continue;
        }
        const double whole = std::floor(scaled);
        const double rest = scaled - whole;
        Step[k] = rest == 0.5 ? kNoStep : static_cast<std::int64_t>(whole) + (rest > 0.5 ? 1 : 0);
      }
    }
    return true;
  }

  // The units that count[k] additions of each class make in this binade;
  // false when they cannot be added at once.
  bool Units(const Sums& s, const std::int64_t* count, std::int64_t& units) {
    units = 0;
    bool adds = false;
    for (int k = 0; k < s.Classes; ++k) adds |= count[k] != 0 && s.ClassWeight[k] != 0.0;
    if (!adds) return true;
    if (!Ready(s)) return false;
    for (int k = 0; k < s.Classes; ++k) {
      if (count[k] == 0) continue;
      if (Step[k] == kNoStep) return false;
      std::int64_t part;
      if (__builtin_mul_overflow(count[k], Step[k], &part) || __builtin_add_overflow(units, part, &units)) return false;
    }
    const std::int64_t m = static_cast<std::int64_t>((std::bit_cast<std::uint64_t>(Sum) & kMantissa) | (kMantissa + 1));
    return units < kTwo53 - m;
  }

  void Add(std::int64_t units) {
    if (units == 0) return;
    const std::uint64_t m = std::bit_cast<std::uint64_t>(Sum) & kMantissa;
    Sum = std::bit_cast<double>(Exponent | (m + static_cast<std::uint64_t>(units)));
  }
};

// Runs shorter than this are added one by one.
constexpr int kMinBatch = 8;

// Of the cells [from, to] of a row: how many hold the state own, and how
// many others are empty (not occupied).
void CountRow(const std::int32_t* state, const std::uint8_t* occupied, int from, int to, std::int32_t own,
              std::int64_t& same, std::int64_t& empty) {
  std::int64_t s = 0, e = 0;
  int x = from;
#if defined(__SSE2__)
  const __m128i ownV = _mm_set1_epi32(own);
  const __m128i zero = _mm_setzero_si128();
  auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
  while (x + 16 <= to + 1) {
    // Byte lanes count down by one per match; 255 rounds at most before they wrap.
    __m128i sameLanes = zero, emptyLanes = zero;
    for (int round = 0; round < 255 && x + 16 <= to + 1; ++round, x += 16) {
      const __m128i m0 = _mm_cmpeq_epi32(load(state + x), ownV);
      const __m128i m1 = _mm_cmpeq_epi32(load(state + x + 4), ownV);
      const __m128i m2 = _mm_cmpeq_epi32(load(state + x + 8), ownV);
      const __m128i m3 = _mm_cmpeq_epi32(load(state + x + 12), ownV);
      const __m128i match = _mm_packs_epi16(_mm_packs_epi32(m0, m1), _mm_packs_epi32(m2, m3));
      const __m128i vacant = _mm_cmpeq_epi8(load(occupied + x), zero);
      sameLanes = _mm_sub_epi8(sameLanes, match);
      emptyLanes = _mm_sub_epi8(emptyLanes, _mm_andnot_si128(match, vacant));
    }
    const __m128i sums = _mm_sad_epu8(sameLanes, zero);
    const __m128i empties = _mm_sad_epu8(emptyLanes, zero);
    s += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
    e += _mm_cvtsi128_si32(empties) + _mm_cvtsi128_si32(_mm_srli_si128(empties, 8));
  }
#endif
  for (; x <= to; ++x) {
    const bool match = state[x] == own;
    s += match;
    e += !match && !occupied[x];
  }
  same = s;
  empty = e;
}

struct Scan {
  const Sums& s;
  const std::int32_t* state;
  const std::uint8_t* occupied;
  const double* value;
  const std::int32_t own;
  const int emptyCells;
  const double emptyDifferent;
  const double emptySimilar;
  const std::array<double, 4>& barrierWeight;  // types -3, -2, -1 and 0 at the imprint
  Chain similar;
  Chain different;

  void OneByOne(int from, int to, const double* weight) {
    for (int n = from; n <= to; ++n) {
      if (state[n] == own) {
        similar.Sum += weight ? *weight : value[n];
      } else if (occupied[n]) {
        different.Sum += weight ? *weight : value[n];
      } else {
        // An empty cell counts 1, without weight, when it counts at all.
        different.Sum += emptyDifferent;
        similar.Sum += emptySimilar;
      }
    }
  }

  // Adds [from, to] of the row at once when both sums stay in their binades.
  bool Batch(int row, int from, int to, int blockedClass) {
    std::int64_t ownCount[8] = {}, otherCount[8] = {};
    std::int64_t same = 0, empty = 0;
    const int base = row * s.Cols;
    const std::uint32_t* special = s.Special.data() + static_cast<std::size_t>(row) * (s.Cols + 1);
    CountRow(state + base, occupied + base, from, to, own, same, empty);
    const int k = blockedClass < 0 ? 0 : blockedClass;
    ownCount[k] = same;
    otherCount[k] = (to - from + 1) - same - empty;
    if (blockedClass < 0 && special[to + 1] != special[from]) {
      // Cells weighing their own StreetValue (street cells, cells beside
      // positive streets): move the counted ones from class 0 to theirs.
      const std::uint16_t* column = s.SpecialColumn.data() + s.SpecialStart[static_cast<std::size_t>(row)];
      for (std::uint32_t j = special[from]; j < special[to + 1]; ++j) {
        const int n = base + column[j];
        const int c = s.ValueClass[static_cast<std::size_t>(n)];
        if (state[n] == own) {
          --ownCount[0];
          ++ownCount[c];
        } else if (occupied[n]) {
          --otherCount[0];
          ++otherCount[c];
        }
      }
    }
    if (emptyCells == 2) ownCount[0] += empty;
    if (emptyCells == 1) otherCount[0] += empty;
    std::int64_t similarUnits, differentUnits;
    if (!similar.Units(s, ownCount, similarUnits) || !different.Units(s, otherCount, differentUnits)) return false;
    similar.Add(similarUnits);
    different.Add(differentUnits);
    return true;
  }

  // Adds [from, to] of the row: at once where the sums stay in their
  // binades, halving the run around a binade's end.
  void Run(int row, int from, int to, int blockedClass, const double* weight) {
    if (s.Exact && to - from + 1 >= kMinBatch) {
      if (Batch(row, from, to, blockedClass)) return;
      const int middle = from + (to - from) / 2;
      Run(row, from, middle, blockedClass, weight);
      Run(row, middle + 1, to, blockedClass, weight);
      return;
    }
    const int base = row * s.Cols;
    OneByOne(base + from, base + to, weight);
  }

  void Gap(int row, int from, int to) { Run(row, from, to, -1, nullptr); }

  void Blocked(int row, int from, int to, int type) {
    // A barrier weight equal to the weight of type 0 gives way to StreetValue.
    const double& weight = barrierWeight[static_cast<std::size_t>(type + 3)];
    if (weight == barrierWeight[3]) {
      Gap(row, from, to);
      return;
    }
    Run(row, from, to, s.BlockedClass[static_cast<std::size_t>(type + 3)], &weight);
  }
};

}  // namespace

void PrepareBarrierSums(World& w, std::size_t maxRuns) {
  auto& f = w.Field;
  auto& s = f.Sums;
  const int cols = w.GridCols, rows = w.GridRows, r = w.NbRadius;
  const std::size_t cells = static_cast<std::size_t>(cols) * rows;
  s.Built = true;
  s.Cols = cols;
  s.Rows = rows;
  s.Radius = r;
  s.RowFirst.clear();
  s.RowRun.clear();
  s.Runs.clear();

  // The weights a sum can meet: 1 (empty cells and plain neighbours), the
  // cells' StreetValues and the barrier weights.
  s.ClassWeight.fill(0.0);
  s.ClassWeight[0] = 1.0;
  s.Classes = 1;
  bool exact = true;
  auto classOf = [&](double v) -> std::uint8_t {
    if (!(v >= 0.0) || std::signbit(v) || !std::isfinite(v)) exact = false;
    for (int k = 0; k < s.Classes; ++k) {
      if (s.ClassWeight[k] == v) return static_cast<std::uint8_t>(k);
    }
    if (s.Classes == static_cast<int>(s.ClassWeight.size())) {
      exact = false;
      return 0;
    }
    s.ClassWeight[static_cast<std::size_t>(s.Classes)] = v;
    return static_cast<std::uint8_t>(s.Classes++);
  };
  for (int t = -3; t <= -1; ++t) s.BlockedClass[static_cast<std::size_t>(t + 3)] = classOf(f.BarrierWeight[static_cast<std::size_t>(t + 3)]);
  s.ValueClass.resize(cells);
  s.Special.assign(static_cast<std::size_t>(rows) * (cols + 1), 0);
  s.SpecialStart.assign(static_cast<std::size_t>(rows) + 1, 0);
  s.SpecialColumn.clear();
  for (int y = 0; y < rows; ++y) {
    std::uint32_t* special = s.Special.data() + static_cast<std::size_t>(y) * (cols + 1);
    for (int x = 0; x < cols; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * cols + x;
      s.ValueClass[i] = classOf(w.Cells.StreetValue[i]);
      special[x + 1] = special[x] + (s.ValueClass[i] != 0);
      if (s.ValueClass[i] != 0) s.SpecialColumn.push_back(static_cast<std::uint16_t>(x));
    }
    s.SpecialStart[static_cast<std::size_t>(y) + 1] = static_cast<std::uint32_t>(s.SpecialColumn.size());
  }
  s.Exact = exact;

  const std::size_t barriers = f.Barriers.size();
  s.Lines.resize(kLine * barriers);
  s.Cuts.resize(2 * barriers);
  s.RowScratch.clear();
  s.RowScratch.reserve(2 * barriers + 1);
  s.Listed = false;
  if (cols > kMaxColumns || barriers == 0) return;

  // One row entry per in-grid row of every cell near a barrier: past the
  // budget already, the runs are not worth listing.
  std::size_t entries = 0;
  for (int y = 0; y < rows; ++y) {
    const std::size_t height = static_cast<std::size_t>(std::min(rows - 1, y + r) - std::max(0, y - r) + 1);
    for (int x = 0; x < cols; ++x) entries += BarriersNear(w, y * cols + x).empty() ? 0 : height;
  }
  if (entries > maxRuns) return;

  s.RowFirst.resize(cells + 1);
  s.RowRun.reserve(entries + 1);
  bool listed = true;
  for (int y = 0; y < rows && listed; ++y) {
    const int y0 = std::max(0, y - r), y1 = std::min(rows - 1, y + r);
    for (int x = 0; x < cols; ++x) {
      const int i = y * cols + x;
      s.RowFirst[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(s.RowRun.size());
      const BarrierSpan span = BarriersNear(w, i);
      if (span.empty()) continue;
      const int x0 = std::max(0, x - r), x1 = std::min(cols - 1, x + r);
      const int lines = PrepareLines(w, span, x, y, s.Lines.data());
      for (int ny = y0; ny <= y1; ++ny) {
        s.RowRun.push_back(static_cast<std::uint32_t>(s.Runs.size()));
        AppendRowRuns(s.Lines.data(), lines, y, ny, x0, x1, s.Cuts.data(), s.Runs);
      }
      if (s.RowRun.size() + s.Runs.size() > maxRuns) {
        listed = false;
        break;
      }
    }
  }
  if (listed) {
    s.RowFirst[cells] = static_cast<std::uint32_t>(s.RowRun.size());
    s.RowRun.push_back(static_cast<std::uint32_t>(s.Runs.size()));
    s.Listed = true;
  } else {
    s.RowFirst = {};
    s.RowRun = {};
    s.Runs = {};
  }
}

namespace {

bool SumsFit(const World& w) {
  const auto& s = w.Field.Sums;
  return s.Built && s.Cols == w.GridCols && s.Rows == w.GridRows && s.Radius == w.NbRadius;
}

}  // namespace

std::vector<BlockedRun> BlockedRuns(World& w, int x, int y, int ny) {
  if (!SumsFit(w)) PrepareBarrierSums(w);
  auto& s = w.Field.Sums;
  const int i = w.Cells.Index(x, y);
  const BarrierSpan span = BarriersNear(w, i);
  if (span.empty()) return {};
  const int r = w.NbRadius;
  const int x0 = std::max(0, x - r), x1 = std::min(w.GridCols - 1, x + r);
  if (s.Listed) {
    const std::size_t row = s.RowFirst[static_cast<std::size_t>(i)] + static_cast<std::size_t>(ny - std::max(0, y - r));
    return {s.Runs.begin() + s.RowRun[row], s.Runs.begin() + s.RowRun[row + 1]};
  }
  std::vector<BlockedRun> runs;
  const int lines = PrepareLines(w, span, x, y, s.Lines.data());
  AppendRowRuns(s.Lines.data(), lines, y, ny, x0, x1, s.Cuts.data(), runs);
  return runs;
}

void SumAcrossBarriers(World& w, int x, int y, int emptyCells, double& similar, double& different) {
  auto& cells = w.Cells;
  const int cols = w.GridCols, r = w.NbRadius;
  const int x0 = std::max(0, x - r), x1 = std::min(cols - 1, x + r);
  const int y0 = std::max(0, y - r), y1 = std::min(w.GridRows - 1, y + r);
  const int centre = cells.Index(x, y);
  if (cols > kMaxColumns) {
    // Pair by pair, as the weights are defined.
    double sim = 0.0, diff = 0.0;
    const double emptyDifferent = emptyCells == 1 ? 1.0 : 0.0, emptySimilar = emptyCells == 2 ? 1.0 : 0.0;
    for (int ny = y0; ny <= y1; ++ny) {
      for (int nx = x0; nx <= x1; ++nx) {
        const int n = cells.Index(nx, ny);
        if (cells.State[n] == cells.State[centre]) {
          sim += NeighbourWeight(w, x, y, nx, ny);
        } else if (cells.Occupied[n]) {
          diff += NeighbourWeight(w, x, y, nx, ny);
        } else {
          diff += emptyDifferent;
          sim += emptySimilar;
        }
      }
    }
    similar = sim;
    different = diff;
    return;
  }
  if (!SumsFit(w)) PrepareBarrierSums(w);
  auto& s = w.Field.Sums;
  Scan scan{s,
            cells.State.data(),
            cells.Occupied.data(),
            cells.StreetValue.data(),
            cells.State[static_cast<std::size_t>(centre)],
            emptyCells,
            emptyCells == 1 ? 1.0 : 0.0,
            emptyCells == 2 ? 1.0 : 0.0,
            w.Field.BarrierWeight,
            {},
            {}};
  const BarrierSpan span = BarriersNear(w, centre);
  const bool listed = s.Listed && !span.empty();
  const int lines = s.Listed ? 0 : PrepareLines(w, span, x, y, s.Lines.data());
  const std::size_t firstRow = listed ? s.RowFirst[static_cast<std::size_t>(centre)] : 0;
  for (int ny = y0; ny <= y1; ++ny) {
    const BlockedRun* run = nullptr;
    const BlockedRun* end = nullptr;
    if (listed) {
      const std::size_t row = firstRow + static_cast<std::size_t>(ny - y0);
      run = s.Runs.data() + s.RowRun[row];
      end = s.Runs.data() + s.RowRun[row + 1];
    } else if (!s.Listed) {
      s.RowScratch.clear();
      AppendRowRuns(s.Lines.data(), lines, y, ny, x0, x1, s.Cuts.data(), s.RowScratch);
      run = s.RowScratch.data();
      end = run + s.RowScratch.size();
    }
    int from = x0;
    for (; run != end; ++run) {
      if (from < run->First) scan.Gap(ny, from, run->First - 1);
      scan.Blocked(ny, run->First, run->Last, run->Type);
      from = run->Last + 1;
    }
    if (from <= x1) scan.Gap(ny, from, x1);
  }
  similar = scan.similar.Sum;
  different = scan.different.Sum;
}

}  // namespace streets
