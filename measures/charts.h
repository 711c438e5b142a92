#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "world/rounding.h"

namespace measures {

struct Point {
  double X = 0;
  double Y = 0;
  bool operator==(const Point&) const = default;
};

// An ordered list of points, appended one at a time and read back by index.
using Series = std::vector<Point>;

// Bars added without an x value: bar k stands at x = k. Every bar has its own colour.
struct BarSeries {
  Series Points;
  std::vector<world::ColorRef> Colors;  // one per point

  void Add(double value, world::ColorRef color) {
    Points.push_back({static_cast<double>(Points.size()), value});
    Colors.push_back(color);
  }
  void Clear() {
    Points.clear();
    Colors.clear();
  }
  std::size_t Size() const { return Points.size(); }
  bool operator==(const BarSeries&) const = default;
};

// Which recorded series of the analysis a chart shows.
enum class SeriesSource { Satisfaction, Segregation, DensitySegregation, Change, ClusterBars, GroupSizes };
// How a series is drawn: joined points, marks at the points, or bars
// (standing up from the bottom axis, or lying along it).
enum class SeriesKind { Line, Point, Bar, HorizontalBar };
// A chart's axes: the bottom one, and the vertical axes on either side.
enum class Axis { Bottom, Left, Right };

// One series on a chart: where its points live, how it is drawn, which
// vertical axis it is measured against and its colour.
struct ChartSeries {
  SeriesSource Source = SeriesSource::Satisfaction;
  int Index = 0;  // group index, or the entry of ChangeSeries
  SeriesKind Kind = SeriesKind::Line;
  Axis VerticalAxis = Axis::Left;
  std::optional<world::ColorRef> Color;  // none: the chart's automatic colour; bars carry their own
  bool operator==(const ChartSeries&) const = default;
};

// What a chart shows, as data: the window only displays it. The analysis
// charts list their recorded series in Lines; the experiment charts hand
// their series to the view themselves and use only the texts.
struct Chart {
  std::vector<std::string> Title;  // one entry per title line
  std::string BottomAxisTitle;
  std::string LeftAxisTitle;
  std::string RightAxisTitle;
  std::string DepthAxisTitle;  // 3-D charts only
  bool LogarithmicBottom = false;
  bool LeftGridVisible = true;
  bool LeftAxisLineVisible = true;
  bool BottomAxisStepOne = false;  // bottom axis labelled at every integer
  bool ValueMarks = false;         // bars show their value
  std::vector<ChartSeries> Lines;
  // Grows whenever the titles or the list of series change: the view rebuilds.
  std::uint64_t Revision = 0;
  // Grows whenever the chart asks its view to undo any zoom.
  std::uint64_t ZoomResets = 0;

  void SetTitle(std::string line) {
    Title = {std::move(line)};
    ++Revision;
  }
  void UndoZoom() { ++ZoomResets; }
};

}  // namespace measures
