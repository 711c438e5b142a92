#pragma once

#include <span>
#include <utility>

#include "measures/charts.h"

// The arithmetic of the charts' axes: which range an axis shows and how far
// apart its labels stand. The chart component only applies the results.
namespace measures {

// What an axis shows: its ends and the distance between two labels (0 on a
// logarithmic axis, whose labels stand at the decades).
struct AxisRange {
  double Min = 0;
  double Max = 1;
  double Step = 0;
};

// A step of 1, 2 or 5 times a power of ten that cuts `span` into about
// `parts`; 1 when either is not positive.
double NiceStep(double span, double parts);

// How many label gaps an axis has room for, at least 2: one label per 40
// pixels up the side, per 30 pixels along the bottom. `length` is the chart's
// height for a vertical axis, its width for the bottom one, in pixels.
double LabelParts(int length, bool vertical);

// A linear axis over [min, max] with room for `parts` label gaps. Infinite or
// NaN ends give 0..1; a range narrower than doubles tell apart (a single
// value, a zoom too deep) widens to at least one unit around its middle. The
// step is a nice one, a whole multiple of `fixedStep` when that is positive,
// but never so small that the labels would not fit. `roundOut` widens the
// ends to whole steps (value axes that follow their data).
AxisRange LinearAxisRange(double min, double max, double parts, double fixedStep, bool roundOut);

// A logarithmic axis over [min, max]: with `wholeDecades` (following the
// data) out to whole powers of ten; never below 1e-300 and always with
// max > min (a decade above min otherwise).
AxisRange LogAxisRange(double min, double max, bool wholeDecades);

// The range a zoom selects: the fractions f0 and f1 (0 = start, 1 = end of
// the shown range) of [shownMin, shownMax], measured in decades on a
// logarithmic axis.
std::pair<double, double> ZoomedRange(double shownMin, double shownMax, double f0, double f1, bool logarithmic);

// The values that a chart's series span along one axis.
struct Extent {
  bool Any = false;  // whether the extent holds any value; Min and Max mean nothing without
  double Min = 0;
  double Max = 0;

  // Widens the extent to take in [min, max].
  void Take(double min, double max);
  void Take(const Extent& other) {
    if (other.Any) Take(other.Min, other.Max);
  }
};

// The part of a series' x extent `x` that a logarithmic axis can show: from
// the smallest positive x of `points` to the largest; nothing when no x is
// positive. Goes through the points only when x.Min is not positive.
Extent PositiveXExtent(std::span<const Point> points, const Extent& x);

// Where bars of `values` stand: bar k at k, so across them from -0.5 to
// n - 0.5; along them from 0 or the lowest value below it to 0 or the highest
// value above it. Nothing either way without bars.
struct BarExtent {
  Extent Across;
  Extent Along;
};
BarExtent BarExtents(std::span<const double> values);

// How a chart sets one axis: a fixed range, else the zoomed one, else the
// range of its data.
struct ChartAxis {
  bool Fixed = false;
  double FixedMin = 0, FixedMax = 0;
  bool Zoomed = false;
  double ZoomMin = 0, ZoomMax = 0;
  double Step = 0;           // labels at multiples of it at least; 0 for any step
  bool Logarithmic = false;  // base 10
  bool Vertical = false;     // up the side: only there do the ends follow the data out to whole steps
  bool Bars = false;         // bars stand at whole numbers along it: its ends stay half a bar beyond them
};

// The range a chart axis shows over the extent of its data, with room for
// `parts` label gaps (LabelParts). An axis without data shows 0..1, a
// logarithmic one 1..10; an axis that follows its data goes out to whole steps
// or decades.
AxisRange ChartAxisRange(const Extent& data, const ChartAxis& axis, double parts);

}  // namespace measures
