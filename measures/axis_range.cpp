#include "measures/axis_range.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace measures {

namespace {

constexpr int kLabelGap = 40;  // pixels between labels up the side; three quarters of it along the bottom

}  // namespace

double NiceStep(double span, double parts) {
  if (!(span > 0) || !(parts > 0)) return 1;
  const double raw = span / parts;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / power;
  const double nice = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
  return nice * power;
}

double LabelParts(int length, bool vertical) {
  const double pixels = std::max(40, vertical ? length - 60 : length - 80);
  return std::max(2.0, pixels / (vertical ? kLabelGap : kLabelGap * 0.75));
}

AxisRange LinearAxisRange(double min, double max, double parts, double fixedStep, bool roundOut) {
  if (!std::isfinite(min) || !std::isfinite(max)) {
    min = 0;
    max = 1;
  }
  // Zooming in again and again must not shrink the range below what doubles
  // can tell apart: the axis would need endless labels for it.
  const double least = std::max(1e-9, 1e-9 * std::max(std::fabs(min), std::fabs(max)));
  if (!(max - min >= least)) {
    const double middle = min / 2 + max / 2;
    const double half = std::max(1.0, least);
    min = middle - half;
    max = middle + half;
  }
  double step = NiceStep(max - min, parts);
  if (fixedStep > 0) step = std::max(step, fixedStep * std::ceil(step / fixedStep - 1e-9));
  // Never more labels than the axis has room for, whatever the fixed step.
  if (!(step > 0) || !std::isfinite(step) || (max - min) / step > 2 * parts + 2) step = NiceStep(max - min, parts);
  if (roundOut) {
    min = std::floor(min / step) * step;
    max = std::ceil(max / step) * step;
  }
  return {min, max, step};
}

AxisRange LogAxisRange(double min, double max, bool wholeDecades) {
  if (wholeDecades) {
    min = std::pow(10.0, std::floor(std::log10(std::max(min, 1e-300))));
    max = std::pow(10.0, std::ceil(std::log10(std::max(max, 1e-300))));
    if (max <= min) max = min * 10;
  }
  min = std::max(min, 1e-300);
  if (max <= min) max = min * 10;
  return {min, max, 0};
}

std::pair<double, double> ZoomedRange(double shownMin, double shownMax, double f0, double f1, bool logarithmic) {
  if (logarithmic) {
    const double l0 = std::log10(shownMin), l1 = std::log10(shownMax);
    return {std::pow(10.0, l0 + f0 * (l1 - l0)), std::pow(10.0, l0 + f1 * (l1 - l0))};
  }
  const double span = shownMax - shownMin;
  return {shownMin + f0 * span, shownMin + f1 * span};
}

void Extent::Take(double min, double max) {
  if (!Any) {
    Min = min;
    Max = max;
    Any = true;
    return;
  }
  Min = std::min(Min, min);
  Max = std::max(Max, max);
}

Extent PositiveXExtent(std::span<const Point> points, const Extent& x) {
  if (!x.Any) return {};
  double minPositive = std::numeric_limits<double>::infinity();
  if (x.Min > 0) {
    minPositive = x.Min;
  } else {
    for (const Point& p : points) {
      if (p.X > 0) minPositive = std::min(minPositive, p.X);
    }
  }
  if (!std::isfinite(minPositive)) return {};
  return {true, minPositive, x.Max};
}

BarExtent BarExtents(std::span<const double> values) {
  if (values.empty()) return {};
  double lo = 0, hi = 0;
  for (double v : values) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  const auto n = static_cast<double>(values.size());
  return {{true, -0.5, n - 0.5}, {true, lo, hi}};
}

AxisRange ChartAxisRange(const Extent& data, const ChartAxis& axis, double parts) {
  double min = 0, max = 0;
  bool followData = false;
  if (axis.Fixed) {
    min = axis.FixedMin;
    max = axis.FixedMax;
  } else if (axis.Zoomed) {
    min = axis.ZoomMin;
    max = axis.ZoomMax;
  } else if (data.Any) {
    min = data.Min;
    max = data.Max;
    followData = !axis.Bars;
  } else {
    min = axis.Logarithmic ? 1 : 0;
    max = axis.Logarithmic ? 10 : 1;
    followData = true;
  }
  // Whole decades when following the data, so that the labels read 1, 10, 100, ...
  if (axis.Logarithmic) return LogAxisRange(min, max, followData);
  return LinearAxisRange(min, max, parts, axis.Step, followData && axis.Vertical);
}

}  // namespace measures
