#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "measures/charts.h"
#include "world/convert.h"
#include "world/table.h"
#include "world/world.h"

namespace measures {

// Number of tiles along a side of `cells` cells cut into tiles of
// `tileSize` (rounded up: the last tile may be narrower). A tile size below
// 1 counts as 1, so a 0 typed into the tile-size field never divides by zero.
int TileCount(int cells, int tileSize);

// Counting into the 8-bit lanes of a 64-bit register: up to eight slots,
// runs of at most 255 cells before a lane could overflow.
inline constexpr int kLaneSlots = 8;
inline constexpr std::size_t kLaneRun = 255;

// Told of every change of an Analysis that its charts show. The analysis
// window's charts (AnalysisCharts) implement it.
class AnalysisListener {
 public:
  virtual ~AnalysisListener() = default;
  // Every series was emptied for the current number of groups.
  virtual void AnalysisReset() = 0;
  // DissimilarityTable and SegregationIndex hold a new computation.
  virtual void SegregationComputed() = 0;
  // ClusterSizes and ClusterThreshold are new; `thresholdText` is the
  // threshold as typed.
  virtual void ClustersAnalysed(const std::string& thresholdText) = 0;
};

// The recorded course of a run: the segregation measures, the cluster
// analysis and the series the analysis window charts and the experiments
// read back. Owns no world; reads the one it is given. Settings that are
// read at their use (agent-count field, cluster threshold) come from the
// control model at that moment.
//
// A setting that does not parse never stops a run: the computation that
// needs it stops, leaves the series as they were and hands the conversion
// error to the reporter, once for as long as the same text stays in the
// field, unless the caller asks for every report (the window's buttons).
class Analysis {
 public:
  using Reporter = std::function<void(const world::UserError&)>;

  // The stability experiment's two series. While its timer runs it points
  // these at its series; every segregation computation then appends
  // (StepCount, UnsatisfiedCount) to ser_change and (StepCount, Threshold)
  // to ser_tol. Null: nothing is appended.
  struct StabilityHook {
    Series* ser_change = nullptr;
    Series* ser_tol = nullptr;
  };

  // The texts of the main window's fields that the measures read each time
  // they run, as typed: a text that does not parse is reported here. Each
  // points at the field's live text; the simulation sets them.
  struct FieldTexts {
    const std::string* ClusterThreshold = nullptr;  // "cluster thr."
    const std::string* AgentCount = nullptr;        // "number of agents": the segregation measure's E
  };

  explicit Analysis(world::World& world);
  Analysis(const Analysis&) = delete;
  Analysis& operator=(const Analysis&) = delete;

  void SetReporter(Reporter reporter) { reporter_ = std::move(reporter); }
  void SetFieldTexts(FieldTexts texts) { fields_ = texts; }
  // The one listener told of each change, or none.
  void SetListener(AnalysisListener* listener) { listener_ = listener; }
  AnalysisListener* Listener() const { return listener_; }

  // Empties every series for the current number of groups.
  void ResetAnalysis();
  // The measures of the step just counted; called by the time step after
  // StepCount was advanced. Resets at step 1, records satisfaction, analyses
  // the clusters at steps 1, 31, 61, ... and computes the segregation measures.
  void RecordStep();

  // Counts the agents of every group per tile, derives the dissimilarity
  // table and the segregation index (percent, 0..100) and appends one point
  // to each segregation, density and change series. Returns false when the
  // agent-count field did not parse (nothing written).
  bool ComputeSegregation(bool alwaysReport = false);

  // Finds the four-connected clusters of every group on the wrap-around grid
  // into ClusterSizes, then reads the cluster threshold. Returns false when
  // the threshold did not parse (the cluster chart then keeps its content).
  bool AnalyseClusters(bool alwaysReport = false);
  // Clears every cell's cluster mark.
  void ClearClusterMarks();

  // Clusters larger than the threshold at the last analysis whose threshold
  // parsed: the bars of the cluster chart.
  int LargeClusterCount() const { return largeClusters_; }

  // 100 * A / cells with A the number of agents minus one: percent of the grid.
  double Density() const;
  // 100 * UnsatisfiedCount / A; 0 while A is not positive (at most one agent).
  double ChangingPercent() const;

  // Results of the last successful segregation computation (unrounded).
  // DissimilarityTable(i, j) is set for i <= j; SegregationIndex per group.
  const world::Table<double>& DissimilarityTable() const { return dissimilarity_; }
  const std::vector<double>& SegregationIndex() const { return segregationIndex_; }

  // --- Recorded series ----------------------------------------------------
  std::vector<Series> SatisfactionSeries;        // per group: (StepCount, percent satisfied)
  std::vector<Series> SegregationSeries;         // per group: (StepCount, index)
  std::vector<Series> DensitySegregationSeries;  // per group: (A, index)
  // 0: (StepCount, UnsatisfiedCount), 1: (StepCount, percent changing),
  // 2: (A, density), 3: (StepCount, density).
  std::array<Series, 4> ChangeSeries;

  // Cluster sizes per group, in the order the row-by-row scan found them.
  std::vector<std::vector<int>> ClusterSizes;
  int ClusterThreshold = 10;  // as parsed at the last cluster analysis

  StabilityHook Stability;

  // Drops all but the newest point of every per-step series. A headless run
  // that reports each step as it goes calls it to keep its memory flat.
  void ForgetHistory();

 private:
  // What was last reported for one field: the same bad text is reported once.
  struct Reported {
    bool Active = false;
    std::string Text;
  };

  bool ReadInt(const std::string* text, Reported& memo, bool always, int& value);
  void Report(const world::UserError& error) {
    if (reporter_) reporter_(error);
  }
  bool SizedForGroups() const;
  void RecordSatisfaction();
  void CountTiles(int tileSize, int nCols, int nRows);
  // The runs of equal group cells in row y, joined across its wrap-around
  // edge; then the runs of row y joined to those of row `above` they touch.
  void FindRuns(int y);
  void JoinRows(int y, int above);
  int RootRun(int r);
  void JoinRuns(int a, int b);
  // Size of group index g; 0 for a group the world has no entry for.
  int GroupSize(int g) const;

  world::World& world_;
  FieldTexts fields_;
  Reporter reporter_;
  AnalysisListener* listener_ = nullptr;
  int largeClusters_ = 0;
  Reported anzAgReported_;
  Reported clusterTReported_;

  // Buffers reused from step to step: no allocation on the per-step path.
  std::vector<int> agentCount_;  // per group slot, see RecordSatisfaction
  std::vector<int> satisfiedCount_;
  std::vector<std::uint32_t> tileCounts_;  // [tile row][tile column][group]
  std::vector<int> tileOfColumn_;
  std::vector<std::int32_t> columnCounts_;  // [group][column] within one row of tiles
  std::vector<double> shares_;  // per group of one tile
  std::vector<int> groupSizes_;
  world::Table<double> dissimilarity_;
  std::vector<double> segregationIndex_;
  // The stretches of equal group cells along the rows, in scan order, and
  // the union-find forest that joins them into clusters.
  struct Run {
    std::int32_t First = 0;  // columns First..Last of its row
    std::int32_t Last = 0;
    std::int32_t Group = 0;
  };
  std::vector<Run> runs_;
  std::vector<std::int32_t> runParent_;
  std::vector<std::int32_t> runSize_;   // cells under a root run
  std::vector<std::int32_t> rowStart_;  // index of each row's first run; one more for the end
};

}  // namespace measures
