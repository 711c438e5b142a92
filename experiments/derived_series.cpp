#include "experiments/derived_series.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

namespace experiments {

void InsertByX(Series& series, Point p) {
  // Appending is the common case: the experiments mostly add in x order.
  if (series.empty() || !(p.X < series.back().X)) {
    series.push_back(p);
    return;
  }
  const auto at = std::upper_bound(series.begin(), series.end(), p.X,
                                   [](double x, const Point& q) { return x < q.X; });
  series.insert(at, p);
}

Series BlockAverage(const Series& source, int period) {
  const std::size_t n = static_cast<std::size_t>(std::max(1, period));
  Series result;
  result.reserve((source.size() + n - 1) / n);
  for (std::size_t first = 0; first < source.size(); first += n) {
    const std::size_t last = std::min(source.size(), first + n) - 1;
    double sum = 0;
    for (std::size_t i = first; i <= last; ++i) sum += source[i].Y;
    const double count = static_cast<double>(last - first + 1);
    result.push_back({(source[first].X + source[last].X) / 2.0, sum / count});
  }
  return result;
}

namespace {

// T_0 .. T_degree at t, by the three-term recurrence.
void Chebyshev(double t, int degree, double* out) {
  out[0] = 1.0;
  if (degree >= 1) out[1] = t;
  for (int k = 2; k <= degree; ++k) out[k] = 2.0 * t * out[k - 1] - out[k - 2];
}

double MapToUnit(double x, double minX, double maxX) {
  if (maxX <= minX) return 0.0;
  return (2.0 * x - minX - maxX) / (maxX - minX);
}

}  // namespace

std::optional<Polynomial> Polynomial::Fit(const Series& source, int degree) {
  std::vector<Point> finite;
  finite.reserve(source.size());
  for (const Point& p : source) {
    if (std::isfinite(p.X) && std::isfinite(p.Y)) finite.push_back(p);
  }
  if (finite.empty()) return std::nullopt;

  std::vector<double> xs;
  xs.reserve(finite.size());
  for (const Point& p : finite) xs.push_back(p.X);
  std::sort(xs.begin(), xs.end());
  const auto distinct = std::unique(xs.begin(), xs.end()) - xs.begin();
  // With d distinct x only a polynomial of degree d - 1 is determined; a
  // higher one would swing freely between the points.
  const int d = std::min(std::clamp(degree, kMinFitDegree, kMaxFitDegree), static_cast<int>(distinct) - 1);

  Polynomial poly;
  poly.minX_ = xs.front();
  poly.maxX_ = xs[static_cast<std::size_t>(distinct) - 1];
  const auto rows = static_cast<Eigen::Index>(finite.size());
  Eigen::MatrixXd a(rows, d + 1);
  Eigen::VectorXd b(rows);
  std::vector<double> basis(static_cast<std::size_t>(d) + 1);
  for (Eigen::Index i = 0; i < rows; ++i) {
    const Point& p = finite[static_cast<std::size_t>(i)];
    Chebyshev(MapToUnit(p.X, poly.minX_, poly.maxX_), d, basis.data());
    for (int k = 0; k <= d; ++k) a(i, k) = basis[static_cast<std::size_t>(k)];
    b(i) = p.Y;
  }
  // Orthogonal decomposition of the design matrix, never its normal equations;
  // it also copes with x that are distinct but nearly equal.
  const Eigen::VectorXd c = a.completeOrthogonalDecomposition().solve(b);
  poly.coefficients_.assign(c.data(), c.data() + c.size());
  return poly;
}

double Polynomial::operator()(double x) const {
  // Clenshaw's recurrence: the sum of c_k T_k(t) without forming the T_k.
  const double t = MapToUnit(x, minX_, maxX_);
  double next = 0;
  double afterNext = 0;
  for (std::size_t k = coefficients_.size() - 1; k >= 1; --k) {
    const double current = coefficients_[k] + 2.0 * t * next - afterNext;
    afterNext = next;
    next = current;
  }
  return coefficients_[0] + t * next - afterNext;
}

namespace {

Series Sample(const Polynomial& poly, int samples) {
  if (poly.MaxX() <= poly.MinX()) return {{poly.MinX(), poly(poly.MinX())}};
  const int n = std::max(2, samples);
  Series curve;
  curve.reserve(static_cast<std::size_t>(n));
  const double span = poly.MaxX() - poly.MinX();
  for (int i = 0; i < n; ++i) {
    // The last sample sits exactly on the largest x.
    const double x = i == n - 1 ? poly.MaxX() : poly.MinX() + span * i / (n - 1);
    curve.push_back({x, poly(x)});
  }
  return curve;
}

}  // namespace

Series TrendLine(const Series& source) {
  const auto line = Polynomial::Fit(source, 1);
  return line ? Sample(*line, 2) : Series{};
}

Series PolynomialCurve(const Series& source, int degree, int samples) {
  const auto poly = Polynomial::Fit(source, degree);
  return poly ? Sample(*poly, samples) : Series{};
}

void DerivedSeries::SetSource(const PointSeries* source) {
  source_ = source;
  computed_ = false;
  ++revision_;
}

void DerivedSeries::SetDegree(int degree) { parameter_ = std::clamp(degree, kMinFitDegree, kMaxFitDegree); }

void DerivedSeries::Recompute() {
  ++revision_;
  if (!source_) {
    points_.clear();
    computed_ = false;
    return;
  }
  const Series& src = source_->Points();
  switch (function_) {
    case DerivedFunction::Average:
      points_ = BlockAverage(src, parameter_);
      break;
    case DerivedFunction::Trend:
      points_ = TrendLine(src);
      break;
    case DerivedFunction::PolynomialFit:
      points_ = PolynomialCurve(src, parameter_);
      break;
  }
  sourceClears_ = source_->Clears();
  computed_ = true;
}

const Series& DerivedSeries::Points() const {
  if (!computed_ || !source_ || source_->Clears() != sourceClears_) return none_;
  return points_;
}

}  // namespace experiments
