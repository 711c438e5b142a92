#include "analysis_charts.h"

#include <algorithm>

#include "world/convert.h"

namespace measures {

AnalysisCharts::AnalysisCharts(Analysis& analysis, const world::World& world) : analysis_(analysis), world_(world) {
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

  analysis_.SetListener(this);
}

AnalysisCharts::~AnalysisCharts() {
  if (analysis_.Listener() == this) analysis_.SetListener(nullptr);
}

std::string AnalysisCharts::TileTitle(std::string_view prefix) const {
  // The field's text as typed, unparsed: a title can never fail.
  const std::string t = tileSizeText_ ? *tileSizeText_ : std::string();
  std::string title(prefix);
  title += t;
  title += 'x';
  title += t;
  title += " tiles";
  return title;
}

world::ColorRef AnalysisCharts::GroupColor(int g) const {
  const auto& colors = world_.GroupColors;
  return g >= 0 && g < static_cast<int>(colors.size()) ? colors[static_cast<std::size_t>(g)] : 0;
}

int AnalysisCharts::GroupSize(int g) const {
  const auto& sizes = world_.GroupCounts;
  return g >= 0 && g < static_cast<int>(sizes.size()) ? sizes[static_cast<std::size_t>(g)] : 0;
}

void AnalysisCharts::FillGroupSizeBars() {
  Series3.Clear();
  for (int g = 0; g < world_.GroupCount; ++g) Series3.Add(GroupSize(g), GroupColor(g));
}

void AnalysisCharts::ResetTable() {
  const int k = std::max(0, world_.GroupCount);
  DissimiGrid.Assign(k + 1, k + 2, " ");
  DissimiGrid(0, 0) = "groups";
  for (int g = 0; g < k; ++g) {
    const std::string header = "group " + world::IntToText(g);
    DissimiGrid(g + 1, 0) = header;
    DissimiGrid(0, g + 1) = header;
  }
  DissimiGrid(0, k + 1) = "IS";
}

void AnalysisCharts::AnalysisReset() {
  const int k = std::max(0, world_.GroupCount);
  auto groupLines = [&](Chart& chart, SeriesSource source) {
    chart.Lines.clear();
    for (int g = 0; g < k; ++g) chart.Lines.push_back({source, g, SeriesKind::Line, Axis::Right, GroupColor(g)});
    ++chart.Revision;
  };

  Chart1.Title = {"average satisfaction of the agents"};
  groupLines(Chart1, SeriesSource::Satisfaction);

  Chart4.Title = {TileTitle("segregation measure in ")};
  groupLines(Chart4, SeriesSource::Segregation);

  // The cluster bars stay until the next cluster analysis.
  Chart2.Title = {"cluster sizes"};
  ++Chart2.Revision;

  Chart3.Title = {"group sizes"};
  FillGroupSizeBars();
  ++Chart3.Revision;

  ResetTable();

  Chart5.Title = {TileTitle("density - segregation measure in ")};
  groupLines(Chart5, SeriesSource::DensitySegregation);

  Chart6.Title = {"changes"};
  Chart6.Lines = {{SeriesSource::Change, 0, SeriesKind::Line, Axis::Right, std::nullopt},
                  {SeriesSource::Change, 1, SeriesKind::Line, Axis::Left, std::nullopt}};
  ++Chart6.Revision;
  Chart5.Lines.push_back({SeriesSource::Change, 2, SeriesKind::Line, Axis::Left, std::nullopt});
  Chart4.Lines.push_back({SeriesSource::Change, 3, SeriesKind::Line, Axis::Left, std::nullopt});
}

void AnalysisCharts::SegregationComputed() {
  const int k = std::max(0, world_.GroupCount);
  // A table of another group count (charts made after the reset) is laid out anew.
  if (DissimiGrid.Size0() != k + 1 || DissimiGrid.Size1() != k + 2) ResetTable();
  const auto& table = analysis_.DissimilarityTable();
  const auto& index = analysis_.SegregationIndex();
  for (int i = 0; i < k; ++i) {
    for (int j = i; j < k; ++j) DissimiGrid(j + 1, i + 1) = world::FormatTwoDecimals(table(i, j), DecimalSeparator);
    DissimiGrid(i + 1, k + 1) = world::FormatTwoDecimals(index[static_cast<std::size_t>(i)], DecimalSeparator);
  }
}

void AnalysisCharts::ClustersAnalysed(const std::string& thresholdText) {
  Chart2.Lines = {{SeriesSource::ClusterBars, 0, SeriesKind::Bar, Axis::Left, std::nullopt}};
  ++Chart2.ZoomResets;
  Chart2.Title = {"cluster sizes >" + thresholdText + " at timestep " + world::IntToText(world_.StepCount)};
  ++Chart2.Revision;

  ClusterBarSeries.Clear();
  FillGroupSizeBars();
  const auto& clusters = analysis_.ClusterSizes;
  for (std::size_t g = 0; g < clusters.size(); ++g) {
    const world::ColorRef color = GroupColor(static_cast<int>(g));
    for (const int size : clusters[g]) {
      if (size > analysis_.ClusterThreshold) ClusterBarSeries.Add(size, color);
    }
  }
}

const Series& AnalysisCharts::PointsOf(const ChartSeries& series) const {
  static const Series kNone;
  const auto i = static_cast<std::size_t>(series.Index);
  auto pick = [&](const std::vector<Series>& list) -> const Series& {
    return series.Index >= 0 && i < list.size() ? list[i] : kNone;
  };
  switch (series.Source) {
    case SeriesSource::Satisfaction:
      return pick(analysis_.SatisfactionSeries);
    case SeriesSource::Segregation:
      return pick(analysis_.SegregationSeries);
    case SeriesSource::DensitySegregation:
      return pick(analysis_.DensitySegregationSeries);
    case SeriesSource::Change:
      return series.Index >= 0 && i < analysis_.ChangeSeries.size() ? analysis_.ChangeSeries[i] : kNone;
    case SeriesSource::ClusterBars:
      return ClusterBarSeries.Points;
    case SeriesSource::GroupSizes:
      return Series3.Points;
  }
  return kNone;
}

}  // namespace measures
