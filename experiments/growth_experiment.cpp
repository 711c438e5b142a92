#include "experiments/growth_experiment.h"

#include <algorithm>

namespace experiments {

namespace {

// Lines prepared at new start at most; more are added when a run needs them,
// so that a huge range typed by mistake costs nothing up front.
constexpr long long kPreparedLines = 1000;

SettingsBox Box() {
  SettingsBox box;
  box.Timer = ExperimentControl::GrowthTimer;
  box.StartCaption = "tolerance from:";
  box.Start = "10";
  box.End = "60";
  box.Increment = "10";
  box.Steps = "1300";
  box.Repetitions = "10";
  return box;
}

// Makes sure index i exists, adding points and their average line as
// needed; true when lines were added.
bool EnsureLine(std::deque<PointSeries>& points, std::deque<DerivedSeries>& lines, std::size_t i,
                const char* title) {
  const bool grows = points.size() <= i;
  while (points.size() <= i) {
    points.emplace_back();
    lines.emplace_back(DerivedFunction::Average, 1, title);
    lines.back().SetSource(&points.back());
  }
  return grows;
}

}  // namespace

GrowthExperiment::GrowthExperiment(simulation::Simulation& sim) : sim_(sim), runner(sim, controls, Box(), *this) {
  Chart_Growth.BottomAxisTitle = "time";
  Chart_Growth.LeftAxisTitle = "density in %";
  Chart_Growth.RightAxisTitle = "segregation index";
}

void GrowthExperiment::B_startClick() {
  calcIndex = 0;
  valueIndex = 0;
  runner.NewStart();
}

void GrowthExperiment::PrepareCharts(const SweepSettings& s) {
  Chart_Growth.SetTitle("segregation index with different densities");
  denseLine.clear();
  ++denseRevision_;
  tolerLines.clear();
  tolerPoints.clear();
  tempLines.clear();
  tempPoints.clear();
  calcIndex = 0;
  valueIndex = 0;
  const long long values = std::min(ValueCount(s.Start, s.End, s.Increment), kPreparedLines);
  const long long runs = std::min(RepetitionsRun(s.Repetitions), kPreparedLines);
  EnsureLine(tolerPoints, tolerLines, static_cast<std::size_t>(values - 1), "toler");
  EnsureLine(tempPoints, tempLines, static_cast<std::size_t>(runs - 1), "temp");
}

void GrowthExperiment::ApplyThreshold(simulation::Simulation& sim, int value) {
  sim.controls.SetPosition(simulation::MainControl::Threshold, value);
  sim.NewSetup();
}

GrowthExperiment::Result GrowthExperiment::Measure(const simulation::Simulation& sim, int steps) {
  Result result;
  const auto take = [steps](const Series& series) {
    const auto n = std::min(series.size(), static_cast<std::size_t>(std::max(0, steps)));
    return Series(series.begin(), series.begin() + static_cast<std::ptrdiff_t>(n));
  };
  for (const Series& group : sim.analysis.SegregationSeries) result.Segregation.push_back(take(group));
  result.Density = sim.analysis.ChangeSeries[3];
  return result;
}

std::optional<world::UserError> GrowthExperiment::ApplyTo(simulation::Simulation& sim, int value) const {
  ApplyThreshold(sim, value);
  return std::nullopt;
}

TableColumns GrowthExperiment::Columns() {
  return {{"meanSegregation", "density"}, {"step", "meanSegregation", "density"}};
}

CalculationRows GrowthExperiment::RowsOf(simulation::Simulation& sim, int steps) const {
  const Result result = Measure(sim, steps);
  // The group mean at every step, as the calculation's "temp" line shows it.
  Series points;
  for (const Series& group : result.Segregation) {
    for (const Point& p : group) InsertByX(points, p);
  }
  const Series mean = BlockAverage(points, static_cast<int>(std::max<std::size_t>(1, result.Segregation.size())));
  const std::size_t n = std::max(mean.size(), result.Density.size());
  CalculationRows rows;
  TableValue lastMean;
  TableValue lastDensity;
  for (std::size_t i = 0; i < n; ++i) {
    lastMean = i < mean.size() ? TableValue(mean[i].Y) : TableValue();
    lastDensity = i < result.Density.size() ? TableValue(result.Density[i].Y) : TableValue();
    const double step = i < mean.size() ? mean[i].X : result.Density[i].X;
    rows.Steps.push_back({step, lastMean, lastDensity});
  }
  rows.Measures = {lastMean, lastDensity};
  return rows;
}

void GrowthExperiment::Record(int value, int repetitions, const Result& result) {
  denseLine = result.Density;
  ++denseRevision_;

  const auto calc = static_cast<std::size_t>(calcIndex);
  if (EnsureLine(tempPoints, tempLines, calc, "temp")) ++Chart_Growth.Revision;
  PointSeries& points = tempPoints[calc];
  for (const Series& group : result.Segregation) {
    for (const Point& p : group) points.Add(p);
  }
  // Every step carries one point per group: blocks of that many are the
  // group mean at each step. The groups are counted from the calculation's
  // own world, so a group field changed before new start cannot shift them.
  tempLines[calc].SetSource(&points);
  tempLines[calc].SetPeriod(static_cast<int>(std::max<std::size_t>(1, result.Segregation.size())));
  tempLines[calc].Recompute();
  ++calcIndex;

  // The calculations of this value are complete. ">=" and the count of lines
  // filled keep this right when the repetitions field changed during the value.
  if (calcIndex < RepetitionsRun(repetitions)) return;
  const auto v = static_cast<std::size_t>(valueIndex);
  if (EnsureLine(tolerPoints, tolerLines, v, "toler")) ++Chart_Growth.Revision;
  for (int k = 0; k < calcIndex; ++k) {
    for (const Point& p : tempLines[static_cast<std::size_t>(k)].Points()) tolerPoints[v].Add(p);
  }
  tolerLines[v].SetSource(&tolerPoints[v]);
  tolerLines[v].SetPeriod(calcIndex);
  tolerLines[v].Recompute();
  tolerLines[v].SetTitle(world::IntToText(value));
  ++valueIndex;
  for (PointSeries& p : tempPoints) p.Clear();
  calcIndex = 0;
}

void GrowthExperiment::RecordCalculation(const SweepSettings& settings) {
  Record(static_cast<int>(runner.CurrentValue()), settings.Repetitions, Measure(sim_, settings.Steps));
}

void GrowthExperiment::Replay(const std::vector<UnitRow>& rows) {
  NewStart();
  StartStop();
  const int repetitions = runner.ReadSettings().Repetitions;
  // The steps hold each calculation's group mean per step: recorded as the
  // calculation's one series, its "temp" line is that mean itself.
  std::optional<long long> calculation;
  int value = 0;
  Result result;
  auto finish = [&] {
    if (calculation) Record(value, repetitions, result);
    result = {};
    result.Segregation.resize(1);
  };
  for (const UnitRow& row : rows) {
    if (row.Table != ResultTable::Steps) continue;
    if (row.Calculation != calculation) {
      finish();
      calculation = row.Calculation;
      value = static_cast<int>(NumberOf(row.Value).value_or(0));
    }
    const auto step = NumberOf(row.Fields.at(0));
    if (!step) continue;
    if (const auto mean = NumberOf(row.Fields.at(1))) result.Segregation[0].push_back({*step, *mean});
    if (const auto density = NumberOf(row.Fields.at(2))) result.Density.push_back({*step, *density});
  }
  finish();
}

}  // namespace experiments
