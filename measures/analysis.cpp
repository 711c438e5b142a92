#include "analysis.h"

#include <algorithm>

namespace measures {

namespace {

// A field the simulation did not hand over reads as empty.
const std::string& TextOf(const std::string* field) {
  static const std::string kEmpty;
  return field ? *field : kEmpty;
}

}  // namespace

Analysis::Analysis(world::World& world) : world_(world) {
  Chart1.BottomAxisTitle = "time in log10";
  Chart1.RightAxisTitle = "satisfaction";
  Chart1.LogarithmicBottom = true;

  Chart2.BottomAxisStepOne = true;
  Chart2.Lines = {{SeriesSource::ClusterBars, 0, SeriesKind::Bar, Axis::Left, std::nullopt}};

  Chart3.ValueMarks = true;
  Chart3.Lines = {{SeriesSource::GroupSizes, 0, SeriesKind::HorizontalBar, Axis::Left, std::nullopt}};

  Chart4.BottomAxisTitle = "time";
  Chart4.RightAxisTitle = "segregation index";
  Chart4.LeftGridVisible = false;

  Chart5.BottomAxisTitle = "number of agents";
  Chart5.LeftAxisTitle = "density";
  Chart5.RightAxisTitle = "segregation index";
  Chart5.LeftGridVisible = false;
  Chart5.LeftAxisLineVisible = false;

  Chart6.BottomAxisTitle = "timesteps";
  Chart6.LeftAxisTitle = "percentage of changing agents";
  Chart6.RightAxisTitle = "number of changing agents";
  Chart6.LeftGridVisible = false;
}

std::string Analysis::TileTitle(std::string_view prefix) const {
  // The field's text as typed, unparsed: a title can never fail.
  const std::string& t = TextOf(fields_.TileSize);
  std::string title(prefix);
  title += t;
  title += 'x';
  title += t;
  title += " tiles";
  return title;
}

world::ColorRef Analysis::GroupColor(int g) const {
  const auto& colors = world_.GroupColors;
  return g >= 0 && g < static_cast<int>(colors.size()) ? colors[static_cast<std::size_t>(g)] : 0;
}

int Analysis::GroupSize(int g) const {
  const auto& sizes = world_.GroupCounts;
  return g >= 0 && g < static_cast<int>(sizes.size()) ? sizes[static_cast<std::size_t>(g)] : 0;
}

void Analysis::FillGroupSizeBars() {
  Series3.Clear();
  for (int g = 0; g < world_.GroupCount; ++g) Series3.Add(GroupSize(g), GroupColor(g));
}

void Analysis::ResetAnalysis() {
  const int k = std::max(0, world_.GroupCount);
  const auto groups = static_cast<std::size_t>(k);
  auto groupLines = [&](Chart& chart, SeriesSource source) {
    chart.Lines.clear();
    for (int g = 0; g < k; ++g) chart.Lines.push_back({source, g, SeriesKind::Line, Axis::Right, GroupColor(g)});
    ++chart.Revision;
  };

  SatisfactionSeries.assign(groups, {});
  Chart1.Title = {"average satisfaction of the agents"};
  groupLines(Chart1, SeriesSource::Satisfaction);

  SegregationSeries.assign(groups, {});
  Chart4.Title = {TileTitle("segregation measure in ")};
  groupLines(Chart4, SeriesSource::Segregation);

  // The cluster bars stay until the next cluster analysis.
  Chart2.Title = {"cluster sizes"};
  ++Chart2.Revision;

  Chart3.Title = {"group sizes"};
  FillGroupSizeBars();
  ++Chart3.Revision;

  DissimiGrid.Assign(k + 1, k + 2, " ");
  DissimiGrid(0, 0) = "groups";
  for (int g = 0; g < k; ++g) {
    const std::string header = "group " + world::IntToText(g);
    DissimiGrid(g + 1, 0) = header;
    DissimiGrid(0, g + 1) = header;
  }
  DissimiGrid(0, k + 1) = "IS";

  DensitySegregationSeries.assign(groups, {});
  Chart5.Title = {TileTitle("density - segregation measure in ")};
  groupLines(Chart5, SeriesSource::DensitySegregation);

  for (auto& s : ChangeSeries) s.clear();
  Chart6.Title = {"changes"};
  Chart6.Lines = {{SeriesSource::Change, 0, SeriesKind::Line, Axis::Right, std::nullopt},
                  {SeriesSource::Change, 1, SeriesKind::Line, Axis::Left, std::nullopt}};
  ++Chart6.Revision;
  Chart5.Lines.push_back({SeriesSource::Change, 2, SeriesKind::Line, Axis::Left, std::nullopt});
  Chart4.Lines.push_back({SeriesSource::Change, 3, SeriesKind::Line, Axis::Left, std::nullopt});
}

bool Analysis::SizedForGroups() const {
  const auto k = static_cast<std::size_t>(std::max(0, world_.GroupCount));
  return SatisfactionSeries.size() == k && SegregationSeries.size() == k && DensitySegregationSeries.size() == k &&
         DissimiGrid.Size0() == static_cast<int>(k) + 1 && DissimiGrid.Size1() == static_cast<int>(k) + 2;
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
  if (k < kLaneSlots) {
    // Up to eight slots count in the 8-bit lanes of one register, a run of
    // at most 255 cells at a time, so that no increment waits for the last.
    for (std::size_t i = 0; i < n;) {
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
    for (std::size_t i = 0; i < n; ++i) {
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

const Series& Analysis::PointsOf(const ChartSeries& series) const {
  static const Series kNone;
  const auto i = static_cast<std::size_t>(series.Index);
  auto pick = [&](const std::vector<Series>& list) -> const Series& {
    return series.Index >= 0 && i < list.size() ? list[i] : kNone;
  };
  switch (series.Source) {
    case SeriesSource::Satisfaction:
      return pick(SatisfactionSeries);
    case SeriesSource::Segregation:
      return pick(SegregationSeries);
    case SeriesSource::DensitySegregation:
      return pick(DensitySegregationSeries);
    case SeriesSource::Change:
      return series.Index >= 0 && i < ChangeSeries.size() ? ChangeSeries[i] : kNone;
    case SeriesSource::ClusterBars:
      return ClusterBarSeries.Points;
    case SeriesSource::GroupSizes:
      return Series3.Points;
  }
  return kNone;
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
