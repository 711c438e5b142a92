#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kept_copy.h"
#include "simulation.h"
#include "streets/barrier_sums.h"
#include "streets/street_field.h"

namespace simulation {

namespace {

// Whether value[i] == weight[i] for every i < n.
bool SameAsWeights(const double* value, const std::int32_t* weight, int n) {
  int i = 0;
  bool changed = false;
#if defined(__SSE2__)
  __m128d differ = _mm_setzero_pd();
  for (; i + 2 <= n; i += 2) {
    const __m128d w = _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(weight + i)));
    differ = _mm_or_pd(differ, _mm_cmpneq_pd(_mm_loadu_pd(value + i), w));
  }
  changed = _mm_movemask_pd(differ) != 0;
#endif
  for (; i < n; ++i) changed |= value[i] != static_cast<double>(weight[i]);
  return !changed;
}

// Whether value[i] == 1 for every i < n (1 has no other bit pattern).
bool AllOnes(const double* value, int n) { return SameThroughout(value, static_cast<std::size_t>(n), 1.0); }

}  // namespace

Simulation::EvalMode Simulation::ReadEvalMode() const {
  EvalMode mode;
  mode.Individual = controls.Checked(MainControl::IndividualThresholds);
  mode.EmptyCells = controls.Checked(MainControl::EmptyAsDifferent) ? 1
                    : controls.Checked(MainControl::EmptyAsSimilar) ? 2
                                                                    : 0;
  return mode;
}

void Simulation::CountNeighbours(int x, int y) {
  // The counts are what Evaluate leaves behind; the satisfaction it also
  // stores is overwritten by every evaluation anyway.
  const double kept = world.Cells.Satisfaction[world.Cells.Index(x, y)];
  Evaluate(x, y, ReadEvalMode());
  world.Cells.Satisfaction[world.Cells.Index(x, y)] = kept;
}

double Simulation::EvaluateCell(int x, int y) { return Evaluate(x, y, ReadEvalMode()); }

// Counts the neighbourhood of (x, y), cut off at the grid edges, and turns
// the counts into the occupant's satisfaction in percent. Allocation-free:
// it runs for every agent in every step.
double Simulation::Evaluate(int x, int y, const EvalMode& mode) {
  auto& w = world;
  auto& cells = w.Cells;
  const int cols = w.GridCols;
  const int r = w.NbRadius;
  const int x0 = std::max(0, x - r), x1 = std::min(cols - 1, x + r);
  const int y0 = std::max(0, y - r), y1 = std::min(w.GridRows - 1, y + r);
  const int centre = cells.Index(x, y);
  const std::int32_t* state = cells.State.data();
  double result = 0.0;

  if (mode.Individual) {
    const int groups = w.GroupCount;
    std::uint32_t* counts = w.KindCounts.data();
    const int positions = (x1 - x0 + 1) * (y1 - y0 + 1);
    if (countWithTree_) {
      CountKindsWithTree(x0, y0, x1, y1, counts);
    } else if (groups < 8 && positions < 256) {
      // Few kinds and a small neighbourhood: count in eight 8-bit lanes of
      // one register, which keeps the increments free of store-to-load waits.
      std::uint64_t lanes = 0;
      for (int ny = y0; ny <= y1; ++ny) {
        const std::int32_t* row = state + static_cast<std::ptrdiff_t>(ny) * cols;
        std::uint64_t rowLanes = 0;
        for (int nx = x0; nx <= x1; ++nx) rowLanes += std::uint64_t{1} << (8 * row[nx]);
        lanes += rowLanes;
      }
      for (int i = 0; i <= groups; ++i) counts[i] = static_cast<std::uint32_t>((lanes >> (8 * i)) & 0xff);
    } else {
      std::fill(counts, counts + groups + 1, 0u);
      for (int ny = y0; ny <= y1; ++ny) {
        const std::int32_t* row = state + static_cast<std::ptrdiff_t>(ny) * cols;
        for (int nx = x0; nx <= x1; ++nx) ++counts[row[nx]];
      }
    }
    const int g = state[centre];
    if (g != 0) result = IndividualSatisfaction(g, counts);
  } else {
    const std::int32_t own = state[centre];
    const std::uint8_t* occupied = cells.Occupied.data();
    const double* value = cells.StreetValue.data();
    const double emptyDifferent = mode.EmptyCells == 1 ? 1.0 : 0.0;
    const double emptySimilar = mode.EmptyCells == 2 ? 1.0 : 0.0;
    double similar = 0.0, different = 0.0;
    const streets::BarrierSpan barriers = streets::BarriersNear(w, centre);
    if (countWithTree_ && own != 0) {
      // Every neighbour weighs 1 here, so the sums are counts (exact in a
      // double, the same as adding cell by cell).
      std::uint32_t* counts = w.KindCounts.data();
      const int vacated = CountKindsWithTree(x0, y0, x1, y1, counts);
      long long others = vacated;
      for (int k = 1; k <= w.GroupCount; ++k) others += k == own ? 0 : counts[k];
      const double empty = static_cast<double>(counts[0]) - vacated;
      similar = static_cast<double>(counts[own]) + emptySimilar * empty;
      different = static_cast<double>(others) + emptyDifferent * empty;
    } else if (!barriers.empty()) {
      streets::SumAcrossBarriers(w, x, y, mode.EmptyCells, similar, different);
    } else {
      for (int ny = y0; ny <= y1; ++ny) {
        const int rowStart = ny * cols;
        for (int nx = x0; nx <= x1; ++nx) {
          const int n = rowStart + nx;
          if (state[n] == own) {
            similar += value[n];
          } else if (occupied[n]) {
            different += value[n];
          } else {
            // An empty cell counts 1, without weight, when it counts at all.
            different += emptyDifferent;
            similar += emptySimilar;
          }
        }
      }
    }
    cells.Similar[centre] = similar;
    cells.Different[centre] = different;
    const double total = similar + different;
    result = total > 0 ? 100.0 * similar / total : 0.0;
  }
  cells.Satisfaction[centre] = result;
  return result;
}

double Simulation::IndividualSatisfaction(int g, const std::uint32_t* counts) const {
  const std::int32_t* tolerance = world.GroupTolerance.Row(g - 1);
  // Each kind adds what is tolerated of it, min(count, tolerance), and the
  // excess beyond that: together its count. Whole numbers, so the totals are
  // those of adding tolerated and excess apart.
  long long tolerated = 0, total = 0;
  for (int i = 0; i <= world.GroupCount; ++i) {
    const long long c = counts[i], t = tolerance[i];
    tolerated += c < t ? c : t;
    total += c;
  }
  return total == 0 ? 0.0 : 100.0 * static_cast<double>(tolerated) / static_cast<double>(total);
}

bool Simulation::PrepareKeptCounts(const EvalMode& mode) {
  auto& w = world;
  const auto& cells = w.Cells;
  const int n = cells.Count();
  const int kinds = w.GroupCount + 1;
  const int r = w.NbRadius;
  if (!keptAllowed_ || !NeighbourCounts::Worth(n, kinds, r)) {
    kept_.Clear();
    return false;
  }
  // Plain mode adds the neighbours' weights: kept sums are exact only while
  // every weight is a whole number and no barrier gives a pair its own weight.
  const bool weighted = !mode.Individual;
  if (weighted && !w.Field.Barriers.empty()) return false;
  const auto bytes = [](const auto& v) { return v.size() * sizeof(v[0]); };
  bool rebuild = !kept_.Built() || kept_.Kinds() != kinds || kept_.Radius() != r || kept_.Cols() != w.GridCols ||
                 kept_.Rows() != w.GridRows || keptPlain_ != weighted ||
                 keptState_.size() != static_cast<std::size_t>(n);
  if (!rebuild && weighted) {
    // The weights were the street values, each a whole number; none are
    // kept while all are 1.
    rebuild = keptWeighted_ ? !SameAsWeights(cells.StreetValue.data(), keptWeights_.data(), n)
                            : !AllOnes(cells.StreetValue.data(), n);
  }
  const std::int32_t* state = cells.State.data();
  const std::uint8_t* occupied = cells.Occupied.data();
  // The counts read an empty cell as one that is not occupied.
  auto sound = [&](int i) { return state[i] >= 0 && state[i] < kinds && (occupied[i] != 0) == (state[i] != 0); };
  if (!rebuild && (std::memcmp(keptState_.data(), state, bytes(keptState_)) != 0 ||
                   std::memcmp(keptOccupied_.data(), occupied, bytes(keptOccupied_)) != 0)) {
    // Growth places a few agents between two passes: bring in the cells that
    // changed; many changes are cheaper rebuilt.
    const long long side = 2LL * r + 1;
    int changes = 0;
    for (int i = 0; i < n; ++i) {
      if (!sound(i)) return false;
      changes += keptState_[i] != state[i];
    }
    if (changes * side * side > static_cast<long long>(n) * kinds) {
      rebuild = true;
    } else {
      for (int i = 0; i < n; ++i) {
        if (keptState_[i] == state[i]) continue;
        kept_.Change(i % w.GridCols, i / w.GridCols, keptState_[i], state[i], KeptWeight(i));
        keptState_[i] = state[i];
      }
      std::copy(occupied, occupied + n, keptOccupied_.begin());
    }
  }
  if (rebuild) {
    for (int i = 0; i < n; ++i) {
      if (!sound(i)) return false;
    }
    keptPlain_ = weighted;
    keptWeighted_ = weighted && !AllOnes(cells.StreetValue.data(), n);
    if (keptWeighted_) {
      const long long side = 2LL * r + 1;
      const double limit = static_cast<double>((1LL << 30) / (side * side));
      keptWeights_.resize(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) {
        const double v = cells.StreetValue[i];
        if (!(v >= -limit && v <= limit) || v != std::floor(v)) {
          // Half-written weights match no counts: the next pass builds anew.
          kept_.Clear();
          return false;
        }
        keptWeights_[i] = static_cast<std::int32_t>(v);
      }
    }
    kept_.Build(state, keptWeighted_ ? keptWeights_.data() : nullptr, w.GridCols, w.GridRows, kinds, r);
    keptState_.assign(state, state + n);
    keptOccupied_.assign(occupied, occupied + n);
  }
  return true;
}

// Whole-number weights: the kept sums are exact, so they equal the sums
// taken cell by cell in scan order, and so does everything computed from them.
Simulation::PlainStore Simulation::PlainStoreFor(const EvalMode& mode) {
  auto& cells = world.Cells;
  const bool emptySimilar = mode.EmptyCells == 2, emptyDifferent = mode.EmptyCells == 1;
  if (!seenValid_) {
    // A pass without seen marks keeps no copies: what would go into them
    // lands on the stored values themselves, once more.
    return {cells.Satisfaction.data(), cells.Similar.data(),   cells.Different.data(), cells.Satisfaction.data(),
            cells.Similar.data(),      cells.Different.data(), emptySimilar,           emptyDifferent};
  }
  return {cells.Satisfaction.data(), cells.Similar.data(),  cells.Different.data(), seenSatisfaction_.data(),
          seenSimilar_.data(),       seenDifferent_.data(), emptySimilar,           emptyDifferent};
}

double Simulation::EvaluateKept(int i, const EvalMode& mode) {
  auto& w = world;
  auto& cells = w.Cells;
  const std::int32_t* s = kept_.At(i);
  const int g = cells.State[i];
  const int kinds = kept_.Kinds();
  double result = 0.0;
  if (mode.Individual) {
    std::uint32_t* counts = w.KindCounts.data();
    for (int k = 0; k < kinds; ++k) counts[k] = static_cast<std::uint32_t>(s[k]);
    if (g != 0) result = IndividualSatisfaction(g, counts);
  } else {
    if (g == 0) {
      const double value = Evaluate(i % w.GridCols, i / w.GridCols, mode);
      const PlainStore store = PlainStoreFor(mode);
      store.SeenSatisfaction[i] = value;
      store.SeenSimilar[i] = cells.Similar[static_cast<std::size_t>(i)];
      store.SeenDifferent[i] = cells.Different[static_cast<std::size_t>(i)];
      return value;
    }
    return KeptPlain(PlainStoreFor(mode), i, g);
  }
  cells.Satisfaction[i] = result;
  seenSatisfaction_[static_cast<std::size_t>(i)] = result;
  return result;
}

double Simulation::EvaluateKeptTarget(int tx, int ty, int cx, int cy, int g, const EvalMode& mode) {
  auto& w = world;
  auto& cells = w.Cells;
  const int cols = w.GridCols, r = w.NbRadius;
  const int t = ty * cols + tx, c = cy * cols + cx;
  const std::int32_t* s = kept_.At(t);
  const int kinds = kept_.Kinds();
  // The target, empty on the committed grid, holds the agent; its own cell,
  // if within reach, is vacated: kind 0 for the counts, and still occupied,
  // so a different neighbour of its own weight for the plain sums.
  const int dx = tx - cx, dy = ty - cy;
  const bool reaches = dx >= -r && dx <= r && dy >= -r && dy <= r;
  double result = 0.0;
  if (mode.Individual) {
    std::uint32_t* counts = w.KindCounts.data();
    for (int k = 0; k < kinds; ++k) counts[k] = static_cast<std::uint32_t>(s[k]);
    --counts[0];
    ++counts[g];
    if (reaches) {
      --counts[g];
      ++counts[0];
    }
    result = IndividualSatisfaction(g, counts);
  } else {
    const long long vacated = reaches ? KeptWeight(c) : 0;
    return PlainStoreFor(mode).Store(t, s[g] + KeptWeight(t) - vacated, KeptGroups(s) - s[g] + vacated, s[0] - 1);
  }
  cells.Satisfaction[t] = result;
  seenSatisfaction_[static_cast<std::size_t>(t)] = result;
  return result;
}

int Simulation::CountKindsWithTree(int x0, int y0, int x1, int y1, std::uint32_t* counts) const {
  std::fill(counts, counts + world.GroupCount + 1, 0u);
  counter_.Add(x0, y0, x1, y1, counts);
  int vacated = 0;
  for (int p = 0; p < pendingCount_; ++p) {
    const PendingKind& d = pending_[p];
    if (d.X >= x0 && d.X <= x1 && d.Y >= y0 && d.Y <= y1) {
      --counts[d.TreeKind];
      ++counts[d.Kind];
      vacated += d.Kind == 0;
    }
  }
  return vacated;
}

void Simulation::FillTolerancePercent() {
  const int basis = controls.Position(MainControl::ToleranceToItselfUpDown);
  const int superior = controls.Position(MainControl::ToleranceToSuperiorUpDown);
  const int inferior = controls.Position(MainControl::ToleranceToInferiorUpDown);
  const int empty = controls.Position(MainControl::ToleranceToEmptyUpDown);
  const int groups = world.GroupCount;
  world.TolerancePercent.ResizeKeep(groups, groups + 1);
  for (int i = 1; i <= groups; ++i) {
    for (int j = 1; j <= groups; ++j) {
      const int d = i - j;
      const int p = d > 0 ? basis - d * inferior : basis + d * superior;
      world.TolerancePercent(i - 1, j) = std::clamp(p, 0, 100);
    }
    world.TolerancePercent(i - 1, 0) = empty;
  }
  ConvertTolerance();
}

void Simulation::ConvertTolerance() {
  if (!controls.Checked(MainControl::IndividualThresholds)) return;
  const int groups = world.GroupCount;
  world.TolerancePercent.ResizeKeep(groups, groups + 1);
  world.GroupTolerance.ResizeKeep(groups, groups + 1);
  const int n = world.NbCellCount;
  for (int k = 0; k <= groups; ++k) {
    for (int j = 0; j < groups; ++j) {
      world.GroupTolerance(j, k) =
          n - static_cast<std::int32_t>(world::Round(world.TolerancePercent(j, k) / 100.0 * n));
    }
  }
}

}  // namespace simulation
