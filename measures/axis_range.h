#pragma once

#include <utility>

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

}  // namespace measures
