#include "experiment_summary.h"

#include <charconv>
#include <fstream>
#include <optional>

#include "export/file_output.h"
#include "export/xls.h"
#include "experiments/derived_series.h"
#include "experiments/stability_surface.h"

namespace cli {

namespace {

using experiments::DerivedFunction;
using experiments::DerivedSeries;
using experiments::Point;
using experiments::PointSeries;
using experiments::Series;
using nlohmann::json;

// Column positions shared by every runs.csv: experiment, calculation, value, repetition, seed.
constexpr std::size_t kValue = 2;
constexpr std::size_t kFirstMeasure = 5;

json Points(const Series& series) {
  json list = json::array();
  for (const Point& p : series) list.push_back({p.X, p.Y});
  return list;
}

// The trend line and its coefficients y = slope * x + intercept.
json Trend(const PointSeries& source) {
  DerivedSeries trend(DerivedFunction::Trend);
  trend.SetSource(&source);
  trend.Recompute();
  const Series& line = trend.Points();
  json j{{"points", Points(line)}, {"slope", nullptr}, {"intercept", nullptr}};
  if (line.size() == 1) {
    j["slope"] = 0.0;
    j["intercept"] = line[0].Y;
  } else if (line.size() == 2 && line[1].X != line[0].X) {
    const double slope = (line[1].Y - line[0].Y) / (line[1].X - line[0].X);
    j["slope"] = slope;
    j["intercept"] = line[0].Y - slope * line[0].X;
  }
  return j;
}

// What the parameter-space window shows of one point series: average per
// value, trend, polynomial fit.
json SweepSeries(const PointSeries& source, int period, int degree) {
  DerivedSeries average(DerivedFunction::Average, period);
  DerivedSeries fit(DerivedFunction::PolynomialFit, degree);
  average.SetSource(&source);
  fit.SetSource(&source);
  average.Recompute();
  fit.Recompute();
  const auto polynomial = experiments::Polynomial::Fit(source.Points(), fit.Degree());
  return {{"average", Points(average.Points())},
          {"trend", Trend(source)},
          {"fit",
           {{"requestedDegree", fit.Degree()},
            {"degree", polynomial ? json(polynomial->Degree()) : json(nullptr)},
            {"points", Points(fit.Points())}}}};
}

}  // namespace

json ParameterSpaceSeries(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers) {
  PointSeries clusters;
  PointSeries segregation;
  TableReader runs(folder.Runs(), headers.Runs);
  while (runs.Next()) {
    const double value = static_cast<double>(runs.Integer(kValue));
    clusters.Add(value, static_cast<double>(runs.Integer(kFirstMeasure)));
    if (const auto m = runs.Number(kFirstMeasure + 1)) segregation.Add(value, *m);
  }
  const int period = static_cast<int>(experiments::RepetitionsRun(setup.Sweep.Repetitions));
  return {{"LargeClusterCount", SweepSeries(clusters, period, setup.ClusterDegree)},
          {"meanSegregation", SweepSeries(segregation, period, setup.SegregationDegree)}};
}

json StreetsSeries(const OutputFolder& folder, const ExperimentSetup&, const TableHeaders& headers) {
  PointSeries streets;
  TableReader runs(folder.Runs(), headers.Runs);
  while (runs.Next()) {
    streets.Add(static_cast<double>(runs.Integer(kFirstMeasure)), static_cast<double>(runs.Integer(kFirstMeasure + 1)));
  }
  return {{"trend", Trend(streets)}};
}

// Per value the mean over its calculations of the group-mean segregation
// at every step, averaged as the window's "toler" line; the density of the
// last calculation, as its "dense" line.
json GrowthSeries(const OutputFolder& folder, const ExperimentSetup&, const TableHeaders& headers) {
  TableReader steps(folder.Steps(), headers.Steps);
  json values = json::array();
  Series density;
  Series valuePoints;
  int calculationsOfValue = 0;
  std::optional<long long> value;
  std::optional<long long> calculation;
  auto finishValue = [&] {
    if (!value) return;
    values.push_back({{"value", *value},
                      {"meanSegregation", Points(experiments::BlockAverage(valuePoints, calculationsOfValue))}});
    valuePoints.clear();
    calculationsOfValue = 0;
  };
  while (steps.Next()) {
    const long long k = steps.Integer(0);
    const long long v = steps.Integer(1);
    if (v != value) {
      finishValue();
      value = v;
    }
    if (k != calculation) {
      calculation = k;
      ++calculationsOfValue;
      density.clear();
    }
    const auto step = steps.Number(3);
    if (!step) continue;
    if (const auto m = steps.Number(4)) experiments::InsertByX(valuePoints, {*step, *m});
    if (const auto d = steps.Number(5)) density.push_back({*step, *d});
  }
  finishValue();
  return {{"values", values}, {"density", Points(density)}};
}

// Per pass the average over its rounds at every threshold, as the window's
// average line; with "activate" the surface, a row per pass.
json StabilitySeries(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers) {
  TableReader rises(folder.Rises(), headers.Rises);
  json passes = json::array();
  experiments::StabilitySurface surface;
  PointSeries segVal;
  std::optional<long long> pass;
  auto finishPass = [&] {
    if (!pass) return;
    DerivedSeries average(DerivedFunction::Average, static_cast<int>(setup.Rounds));
    average.SetSource(&segVal);
    average.Recompute();
    const Series& points = average.Points();
    const json value = setup.Sweep3d ? json(setup.UnitValue(*pass)) : json(nullptr);
    passes.push_back({{"value", value}, {"average", Points(points)}});
    if (setup.Sweep3d) {
      // Point i is the mean at threshold start + i; never read past the line.
      const long long wanted = static_cast<long long>(setup.Sweep.End) - setup.Sweep.Start + 1;
      const auto count = static_cast<std::size_t>(std::clamp<long long>(wanted, 0, static_cast<long long>(points.size())));
      if (count > 0) surface.AddRow();
      for (std::size_t i = 0; i < count; ++i) {
        surface.AddPoint({points[i].X, points[i].Y, static_cast<double>(setup.UnitValue(*pass))});
      }
    }
    segVal.Clear();
  };
  while (rises.Next()) {
    const long long p = setup.UnitOfCalculation(rises.Integer(0));
    if (p != pass) {
      finishPass();
      pass = p;
    }
    const auto tolerance = rises.Number(3);
    const auto m = rises.Number(5);
    if (tolerance && m) segVal.Add(*tolerance, *m);
  }
  finishPass();
  json result{{"passes", passes}};
  if (setup.Sweep3d) {
    json rows = json::array();
    exporting::XlsTable table;
    table.Header = {"X", "Y", "Z"};
    for (const auto& row : surface.ser_landsc()) {
      json points = json::array();
      for (const auto& p : row) points.push_back({p.X, p.Y, p.Z});
      rows.push_back(points);
    }
    for (const auto& p : surface.SurfacePoints()) table.Rows.push_back({p.X, p.Y, p.Z});
    exporting::WriteXlsFile(table, folder.Surface().string());
    result["surface"] = rows;
  }
  return result;
}

Shard ParseShard(const std::string& text) {
  const auto slash = text.find('/');
  auto number = [](std::string_view digits) -> std::optional<long long> {
    long long v = 0;
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return std::nullopt;
    return v;
  };
  if (slash != std::string::npos) {
    const auto k = number(std::string_view(text).substr(0, slash));
    const auto n = number(std::string_view(text).substr(slash + 1));
    if (k && n && *k >= 0 && *k < *n) return {*k, *n};
  }
  throw UsageError("--shard takes K/N with 0 <= K < N (K counted from 0), not '" + text + "'");
}

std::string ShardText(const Shard& shard) { return std::to_string(shard.Index) + "/" + std::to_string(shard.Count); }

nlohmann::json ReadManifest(const OutputFolder& folder) {
  std::error_code ignored;
  if (!std::filesystem::exists(folder.Manifest(), ignored)) {
    throw UsageError(folder.Dir.string() + " holds no experiment run (no run.json)");
  }
  const json j = json::parse(ReadTextFile(folder.Manifest()), nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("experiment") || !j.contains("seed")) {
    throw UsageError(folder.Manifest().string() + " does not read as the record of a run");
  }
  return j;
}

ExperimentSetup SetupOf(const nlohmann::json& manifest) {
  try {
    return ReadExperiment(manifest.at("experiment").get<std::string>(),
                          manifest.at("set").get<std::vector<std::string>>(),
                          manifest.at("exp").get<std::vector<std::string>>(), manifest.value("maxRoundSteps", 0LL));
  } catch (const json::exception&) {
    throw UsageError("run.json does not read as the record of a run");
  }
}

nlohmann::json ManifestOf(const ExperimentSetup& setup, std::uint64_t seed) {
  json j{{"format", 1},
         {"experiment", setup.Name},
         {"set", setup.SetTexts},
         {"exp", setup.ExpTexts},
         {"seed", seed},
         {"units", setup.Units},
         {"calculations", setup.Calculations}};
  if (setup.MaxRoundSteps > 0) j["maxRoundSteps"] = setup.MaxRoundSteps;
  return j;
}

void Summarise(const OutputFolder& folder, const ExperimentSetup& setup, std::uint64_t seed) {
  const ExperimentType& type = TypeOf(setup.Kind);
  json series = type.Series(folder, setup, type.Headers);
  json summary = ManifestOf(setup, seed);
  summary["series"] = std::move(series);
  // One line: the point lists would fill thousands of lines indented.
  WriteTextFile(folder.Summary(), summary.dump() + "\n");
}

}  // namespace cli
