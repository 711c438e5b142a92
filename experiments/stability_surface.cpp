#include "experiments/stability_surface.h"

namespace experiments {

StabilitySurface::StabilitySurface() {
  Chart_3DLand.SetTitle("Stability Surface");
  Chart_3DLand.BottomAxisTitle = "tolerance values";
  Chart_3DLand.DepthAxisTitle = "choosen third param.";
  Chart_3DLand.LeftAxisTitle = "average segregation indices";
}

std::size_t StabilitySurface::PointCount() const {
  std::size_t n = 0;
  for (const auto& row : rows_) n += row.size();
  return n;
}

void StabilitySurface::Clear() {
  rows_.clear();
  ++revision_;
}

void StabilitySurface::AddRow() {
  rows_.emplace_back();
  ++revision_;
}

void StabilitySurface::AddPoint(exporting::SurfacePoint point) {
  if (rows_.empty()) rows_.emplace_back();
  rows_.back().push_back(point);
  ++revision_;
}

std::vector<exporting::SurfacePoint> StabilitySurface::SurfacePoints() const {
  std::vector<exporting::SurfacePoint> points;
  points.reserve(PointCount());
  for (const auto& row : rows_) points.insert(points.end(), row.begin(), row.end());
  return points;
}

}  // namespace experiments
