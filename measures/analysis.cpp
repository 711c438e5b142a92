#include "analysis.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace measures {

namespace {

#if defined(__SSE2__)
// Up to this many groups count four cells at a time, one comparison per group.
constexpr int kVectorGroups = 6;

// Counts, from cell `i` on in runs of four, the occupied cells of each group
// 1..k and those of them that are satisfied; returns where the runs end.
std::size_t CountFourAtATime(std::size_t i, std::size_t n, int k, const std::int32_t* state,
                             const std::uint8_t* occupied, const double* satisfaction, int* agents, int* satisfied) {
  const __m128i zero = _mm_setzero_si128();
  const __m128d hundred = _mm_set1_pd(100.0);
  __m128i agentLanes[kVectorGroups], satisfiedLanes[kVectorGroups];
  for (int g = 0; g < k; ++g) agentLanes[g] = satisfiedLanes[g] = zero;
  for (; i + 4 <= n; i += 4) {
    std::int32_t occupiedBytes;
    std::memcpy(&occupiedBytes, occupied + i, sizeof occupiedBytes);
    __m128i flags = _mm_unpacklo_epi8(_mm_cvtsi32_si128(occupiedBytes), zero);
    flags = _mm_unpacklo_epi16(flags, zero);
    // An empty cell reads as kind 0, which no group has.
    const __m128i kind =
        _mm_andnot_si128(_mm_cmpeq_epi32(flags, zero), _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + i)));
    const __m128d low = _mm_cmpge_pd(_mm_loadu_pd(satisfaction + i), hundred);
    const __m128d high = _mm_cmpge_pd(_mm_loadu_pd(satisfaction + i + 2), hundred);
    const __m128i content =
        _mm_castps_si128(_mm_shuffle_ps(_mm_castpd_ps(low), _mm_castpd_ps(high), _MM_SHUFFLE(2, 0, 2, 0)));
    for (int g = 0; g < k; ++g) {
      const __m128i member = _mm_cmpeq_epi32(kind, _mm_set1_epi32(g + 1));
      agentLanes[g] = _mm_sub_epi32(agentLanes[g], member);
      satisfiedLanes[g] = _mm_sub_epi32(satisfiedLanes[g], _mm_and_si128(member, content));
    }
  }
  auto total = [](__m128i lanes) {
    alignas(16) std::int32_t v[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(v), lanes);
    return v[0] + v[1] + v[2] + v[3];
  };
  for (int g = 0; g < k; ++g) {
    agents[g + 1] += total(agentLanes[g]);
    satisfied[g + 1] += total(satisfiedLanes[g]);
  }
  return i;
}
#endif

// A field the simulation did not hand over reads as empty.
const std::string& TextOf(const std::string* field) {
  static const std::string kEmpty;
  return field ? *field : kEmpty;
}

}  // namespace

Analysis::Analysis(world::World& world) : world_(world) {}

int Analysis::GroupSize(int g) const {
  const auto& sizes = world_.GroupCounts;
  return g >= 0 && g < static_cast<int>(sizes.size()) ? sizes[static_cast<std::size_t>(g)] : 0;
}

void Analysis::ResetAnalysis() {
  const auto groups = static_cast<std::size_t>(std::max(0, world_.GroupCount));
  SatisfactionSeries.assign(groups, {});
  SegregationSeries.assign(groups, {});
  DensitySegregationSeries.assign(groups, {});
  for (auto& s : ChangeSeries) s.clear();
  if (listener_) listener_->AnalysisReset();
}

bool Analysis::SizedForGroups() const {
  const auto k = static_cast<std::size_t>(std::max(0, world_.GroupCount));
  return SatisfactionSeries.size() == k && SegregationSeries.size() == k && DensitySegregationSeries.size() == k;
}

void Analysis::RecordStep() {
  // A world whose group count no reset has seen yet (a recording without a
  // set-up before it) is reset first rather than written past its series.
  if (world_.StepCount == 1 || !SizedForGroups()) ResetAnalysis();
  RecordSatisfaction();
  if ((world_.StepCount - 1) % 30 == 0) AnalyseClusters(false);
  ComputeSegregation(false);
}

void Analysis::RecordSatisfaction() {
  const int k = std::max(0, world_.GroupCount);
  // Slot g + 1 counts group g; slot 0 takes empty cells (and any kind that is
  // not a group), so the pass needs no branch per cell.
  satisfiedCount_.assign(static_cast<std::size_t>(k) + 1, 0);
  agentCount_.assign(static_cast<std::size_t>(k) + 1, 0);
  const auto& cells = world_.Cells;
  const std::size_t n = cells.State.size();
  const std::int32_t* state = cells.State.data();
  const std::uint8_t* occupied = cells.Occupied.data();
  const double* satisfaction = cells.Satisfaction.data();
  int* agents = agentCount_.data();
  int* satisfied = satisfiedCount_.data();
  auto slotOf = [&](std::size_t i) -> std::int32_t {
    const std::int32_t s = state[i];
    const bool counted = occupied[i] != 0 && static_cast<std::uint32_t>(s) <= static_cast<std::uint32_t>(k);
    return counted ? s : 0;
  };
  // Row-major storage: the index order is rows outer, columns inner. Whole
  // numbers: any order of adding gives the same counts.
  std::size_t first = 0;
#if defined(__SSE2__)
  if (k <= kVectorGroups) first = CountFourAtATime(0, n, k, state, occupied, satisfaction, agents, satisfied);
#endif
  if (k < kLaneSlots) {
    // Up to eight slots count in the 8-bit lanes of one register, a run of
    // at most 255 cells at a time, so that no increment waits for the last.
    for (std::size_t i = first; i < n;) {
      const std::size_t end = std::min(n, i + kLaneRun);
      std::uint64_t agentLanes = 0, satisfiedLanes = 0;
      for (; i < end; ++i) {
        const std::uint64_t one = std::uint64_t{1} << (8 * slotOf(i));
        agentLanes += one;
        satisfiedLanes += satisfaction[i] >= 100 ? one : 0;
      }
      for (int slot = 0; slot <= k; ++slot) {
        agents[slot] += static_cast<int>((agentLanes >> (8 * slot)) & 0xff);
        satisfied[slot] += static_cast<int>((satisfiedLanes >> (8 * slot)) & 0xff);
      }
    }
  } else {
    for (std::size_t i = first; i < n; ++i) {
      const std::int32_t slot = slotOf(i);
      ++agents[slot];
      satisfied[slot] += satisfaction[i] >= 100 ? 1 : 0;
    }
  }
  const double step = world_.StepCount;
  for (std::size_t g = 0; g < static_cast<std::size_t>(k); ++g) {
    // Each satisfied agent adds 100; a group without agents on the grid plots 0.
    const int count = agents[g + 1];
    const double y = count > 0 ? 100.0 * satisfied[g + 1] / count : 0.0;
    SatisfactionSeries[g].push_back({step, y});
  }
}

bool Analysis::ReadInt(const std::string* field, Reported& memo, bool always, int& value) {
  const std::string& text = TextOf(field);
  try {
    value = world::StrToInt(text);
    memo.Active = false;
    return true;
  } catch (const world::UserError& error) {
    // A run meets the same bad text at every step: one message is enough.
    if (always || !memo.Active || memo.Text != text) {
      memo.Active = true;
      memo.Text = text;
      Report(error);
    }
    return false;
  }
}

double Analysis::Density() const {
  const double cells = static_cast<double>(world_.GridRows) * world_.GridCols;
  if (cells <= 0) return 0.0;
  // A is the number of agents minus one; an empty world counts 0, not -1.
  const int a = std::max(0, world_.NumberOfAgents() - 1);
  return 100.0 * a / cells;
}

double Analysis::ChangingPercent() const {
  const int a = world_.NumberOfAgents() - 1;
  // With a single agent A is 0 and no share of changing agents exists: plot 0.
  if (a <= 0) return 0.0;
  return 100.0 * world_.UnsatisfiedCount / a;
}

void Analysis::ForgetHistory() {
  auto keepNewest = [](Series& series) {
    if (series.size() > 1) series.erase(series.begin(), series.end() - 1);
  };
  for (auto* list : {&SatisfactionSeries, &SegregationSeries, &DensitySegregationSeries}) {
    for (Series& series : *list) keepNewest(series);
  }
  for (Series& series : ChangeSeries) keepNewest(series);
}

}  // namespace measures
