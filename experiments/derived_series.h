#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "measures/charts.h"

namespace experiments {

using measures::Point;
using measures::Series;

// The fitting functions take degrees 1 to 20.
inline constexpr int kMinFitDegree = 1;
inline constexpr int kMaxFitDegree = 20;
// Points of a fitted curve, evenly spaced from the smallest to the largest x.
inline constexpr int kCurveSamples = 201;

// Inserts p after every point whose x is not greater: the series stays in
// ascending x, and points of equal x keep the order they came in.
void InsertByX(Series& series, Point p);

// One point per consecutive block of `period` points (a period below 1
// counts as 1): x is the middle of the block's first and last x, y the mean
// of its y. An incomplete last block gives the mean of the points it has, so
// the line follows the data while a value's calculations are still coming in.
Series BlockAverage(const Series& source, int period);

// A least-squares polynomial through a cloud of points, in a Chebyshev basis
// on x mapped to [-1, 1]: well conditioned even for degree 20 or far from 0.
class Polynomial {
 public:
  // Fits the finite points of source. The degree is clamped to 1..20 and
  // then lowered to the number of distinct x minus 1, so that the fit is
  // always determined (one distinct x gives the constant mean). Returns
  // nothing when source has no finite point.
  static std::optional<Polynomial> Fit(const Series& source, int degree);

  double operator()(double x) const;
  int Degree() const { return static_cast<int>(coefficients_.size()) - 1; }
  double MinX() const { return minX_; }
  double MaxX() const { return maxX_; }

 private:
  double minX_ = 0;
  double maxX_ = 0;
  std::vector<double> coefficients_;
};

// The least-squares straight line through all points, as its two ends at the
// smallest and the largest x; a single point (the mean) when all x are equal;
// empty for an empty source.
Series TrendLine(const Series& source);

// The least-squares polynomial of the given degree (see Polynomial::Fit),
// sampled at `samples` evenly spaced x from the smallest to the largest;
// a single point when all x are equal; empty for an empty source.
Series PolynomialCurve(const Series& source, int degree, int samples = kCurveSamples);

// A point series of a chart: its points stay in ascending x (InsertByX).
// Series derived from it refer to it, so it neither copies nor moves.
class PointSeries {
 public:
  explicit PointSeries(std::string title = {}) : title_(std::move(title)) {}
  PointSeries(const PointSeries&) = delete;
  PointSeries& operator=(const PointSeries&) = delete;

  void Add(Point p) {
    InsertByX(points_, p);
    ++revision_;
  }
  void Add(double x, double y) { Add(Point{x, y}); }
  // Empties this series and, with it, every series computed from it.
  void Clear() {
    points_.clear();
    ++clears_;
    ++revision_;
  }

  const Series& Points() const { return points_; }
  std::size_t Size() const { return points_.size(); }
  bool Empty() const { return points_.empty(); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) {
    title_ = std::move(title);
    ++revision_;
  }
  // Grows at every Clear.
  std::uint64_t Clears() const { return clears_; }
  // Grows at every change: a view redraws when it moved.
  std::uint64_t Revision() const { return revision_; }

 private:
  Series points_;
  std::string title_;
  std::uint64_t clears_ = 0;
  std::uint64_t revision_ = 0;
};

enum class DerivedFunction { Average, Trend, PolynomialFit };

// A series computed from a point series by an attached function. It is
// recomputed only when its owner calls Recompute: adding points to the
// source leaves it as it was, emptying the source empties it.
class DerivedSeries {
 public:
  DerivedSeries(DerivedFunction function, int parameter = 1, std::string title = {})
      : function_(function), parameter_(parameter), title_(std::move(title)) {
    if (function == DerivedFunction::PolynomialFit) SetDegree(parameter);
  }
  DerivedSeries(const DerivedSeries&) = delete;
  DerivedSeries& operator=(const DerivedSeries&) = delete;

  // The series to compute from; the points show nothing until the next Recompute.
  void SetSource(const PointSeries* source);
  const PointSeries* Source() const { return source_; }

  DerivedFunction Function() const { return function_; }
  // The period of an average, the degree of a fit (clamped to 1..20); the
  // trend has none. Takes effect at the next Recompute.
  void SetPeriod(int period) { parameter_ = period; }
  int Period() const { return parameter_; }
  void SetDegree(int degree);
  int Degree() const { return parameter_; }

  void Recompute();
  // What the chart shows: empty when the source was emptied after the last Recompute.
  const Series& Points() const;

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) {
    title_ = std::move(title);
    ++revision_;
  }
  // Grows whenever the points shown may have changed.
  std::uint64_t Revision() const { return revision_ + (source_ ? source_->Clears() : 0); }

 private:
  DerivedFunction function_;
  int parameter_;
  std::string title_;
  const PointSeries* source_ = nullptr;
  std::uint64_t sourceClears_ = 0;
  bool computed_ = false;
  Series points_;
  Series none_;
  std::uint64_t revision_ = 0;
};

}  // namespace experiments
