#pragma once

#include <cstdint>
#include <vector>

#include "export/save_windows.h"
#include "measures/charts.h"

namespace experiments {

// The stability surface ser_landsc that the 3-D window "3D Prozess-Analyse-Landscape"
// (TForm7) shows, built by the stability experiment one row per pass of the third parameter.
class StabilitySurface {
 public:
  StabilitySurface();

  measures::Chart Chart_3DLand;

  const std::vector<std::vector<exporting::SurfacePoint>>& ser_landsc() const { return rows_; }
  std::size_t PointCount() const;
  void Clear();
  // Starts the row of a new pass.
  void AddRow();
  // Adds a point to the last row (starting one if there is none); the view repaints.
  void AddPoint(exporting::SurfacePoint point);
  // Grows with every change: the view repaints.
  std::uint64_t Revision() const { return revision_; }

  // Every point in point order, for the spreadsheet export: columns "X", "Y", "Z".
  std::vector<exporting::SurfacePoint> SurfacePoints() const;

 private:
  std::vector<std::vector<exporting::SurfacePoint>> rows_;
  std::uint64_t revision_ = 0;
};

}  // namespace experiments
