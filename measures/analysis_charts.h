#pragma once

#include <string>
#include <string_view>

#include "measures/analysis.h"
#include "measures/charts.h"
#include "world/table.h"
#include "world/world.h"

namespace measures {

// What the analysis window shows of an Analysis, as data: the six charts,
// the bars of the cluster and group-size charts and the dissimilarity table
// as texts. It follows the analysis as its listener, so every driver of a
// run (the window's timer, an experiment, the headless tool) leaves it as
// the window would see it; the window only displays it.
class AnalysisCharts : public AnalysisListener {
 public:
  // Listens to `analysis` from now on; `world` is the one it reads.
  AnalysisCharts(Analysis& analysis, const world::World& world);
  ~AnalysisCharts() override;
  AnalysisCharts(const AnalysisCharts&) = delete;
  AnalysisCharts& operator=(const AnalysisCharts&) = delete;

  // The live text of the "grid size" field, quoted as typed in the tile
  // charts' titles; the simulation sets it.
  void SetTileSizeText(const std::string* text) { tileSizeText_ = text; }

  // Satisfaction, clusters, group sizes, changes, density, segregation.
  Chart Chart1, Chart2, Chart3, Chart4, Chart5, Chart6;
  BarSeries ClusterBarSeries;  // one bar per large cluster, group by group
  BarSeries Series3;           // one horizontal bar per group: its size

  // The dissimilarity table as shown: (column, row) texts, GroupCount + 1
  // columns and GroupCount + 2 rows. The user may type into it; a
  // computation overwrites only the cells it writes.
  world::Table<std::string> DissimiGrid;
  // Decimal separator of the table texts; the window sets the user's locale's.
  char DecimalSeparator = ',';

  // The points a chart series shows (for bar series: their points).
  const Series& PointsOf(const ChartSeries& series) const;

  void AnalysisReset() override;
  void SegregationComputed() override;
  void ClustersAnalysed(const std::string& thresholdText) override;

 private:
  void ResetTable();
  void FillGroupSizeBars();
  std::string TileTitle(std::string_view prefix) const;
  // Colour and size of group index g; 0 for a group the world has no entry for.
  world::ColorRef GroupColor(int g) const;
  int GroupSize(int g) const;

  Analysis& analysis_;
  const world::World& world_;
  const std::string* tileSizeText_ = nullptr;
};

}  // namespace measures
