#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls.h"
#include "kept_copy.h"
#include "kind_counter.h"
#include "measures/analysis.h"
#include "measures/analysis_charts.h"
#include "neighbour_counts.h"
#include "world/convert.h"
#include "world/world.h"

namespace simulation {

// Everything a set-up reads, parsed and checked before the old world is touched.
struct SetupSettings {
  int CellSize = 6;
  int Radius = 2;
  int MoveDistance = 54;
  int GroupCount = 6;
  int AgentCount = 12000;
  bool GrowthActive = false;
  int StartGrowWith = 100;
  bool GroupSizesActive = false;
  bool RentActive = true;
  double MinRent = -1.0;
  double MaxRent = 1.0;
  int TileSize = 20;
  int StopStep = 500;
  int Threshold = 100;
  bool DrawWhileMoving = true;
};

// The texts of the main window's fields that the measures read: the live
// texts of "grid size", "cluster thr." and "number of agents".
measures::Analysis::FieldTexts AnalysisFieldTexts(const ControlModel& controls);

// The main window's world and what drives it, without any window: set-up,
// evaluation, move rule, rent landscape, time step and run control. Every
// driver (the window's timer, the experiments, the headless tool) calls
// NewSetup and TimeStep. Bad settings throw world::UserError; conditions
// that must not stop a run (a per-group rent that does not parse, a full
// grid) go to the reporter once.
class Simulation {
 public:
  using Clock = std::function<std::int64_t()>;        // milliseconds
  using SeedSource = std::function<std::uint64_t()>;  // seed of the next set-up
  using Reporter = std::function<void(const world::UserError&)>;

  // What the first set-up places. A caller that sets up again before
  // anything reads the agents or draws from the world's random source (no
  // street laid in between) gets the same world without placing them twice.
  enum class FirstAgents { Placed, Left };

  // Creates the main window's world as the window's creation does: controls
  // at their defaults, agent size 2, the first set-up, all streets cleared.
  explicit Simulation(SeedSource seeds = {}, Clock clock = {}, FirstAgents first = FirstAgents::Placed);
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  world::World world;
  ControlModel controls;
  measures::Analysis analysis;
  // What the analysis window shows of the analysis; follows it.
  measures::AnalysisCharts analysisCharts{analysis, world};

  void SetReporter(Reporter reporter) { analysis.SetReporter(reporter); reporter_ = std::move(reporter); }
  void SetSeedSource(SeedSource seeds);
  void SetClock(Clock clock);
  // The painter of the window, or none (headless).
  void SetPainter(world::WorldPainter* painter) { world.Painter = painter; }

  // --- Set-up -------------------------------------------------------------
  // Reads and checks every setting set-up needs; throws UserError.
  SetupSettings ReadSetupSettings() const;
  // Checks the settings, then destroys the world and builds a new one,
  // then resets the analysis. A refused set-up leaves the old world intact.
  void NewSetup();
  void BuildWorld(const SetupSettings& settings, FirstAgents agents = FirstAgents::Placed);
  static std::vector<world::ColorRef> BuildPalette(int n);

  // --- Evaluation ---------------------------------------------------------
  void CountNeighbours(int x, int y);
  double EvaluateCell(int x, int y);
  void FillTolerancePercent();
  void ConvertTolerance();

  // --- Move rule ----------------------------------------------------------
  void MoveAgents();
  void CommitMove(world::TAgent& agent, int x, int y);

  // --- Rent landscape -----------------------------------------------------
  void BuildRentControls();
  // With the rent landscape active, the cell takes the entry rent of the
  // group that entered it (groups 1 to 6 only).
  void ApplyEntryRent(int x, int y);
  void SmoothRent();

  // --- Time step and run control ------------------------------------------
  void TimeStep();
  void GrowPopulation();
  bool Running() const { return controls.Checked(MainControl::Timer); }
  void SetRunning(bool running) { controls.SetChecked(MainControl::Timer, running); }
  const std::string& Caption() const { return controls.Text(MainControl::Caption); }

  // Button handlers of the main window.
  void B_stopClick();
  void B_setupClick();
  void B_setTolsClick() { FillTolerancePercent(); }
  void B_imprintClick();
  // "cluster analysis" and "dissimilar": one more analysis, whose bad
  // settings are reported on every press.
  bool B_clusterClick() { return analysis.AnalyseClusters(true); }
  bool Button2Click() { return analysis.ComputeSegregation(true); }
  // "show indivdual thresholds": the track bar to 100; the window then shows itself.
  void Button3Click() { controls.SetPosition(MainControl::Threshold, 100); }
  // What showing the main window does to the model: with individual
  // thresholds active the tolerance window fills the percentages; then they
  // are converted.
  void MainWindowShown();

  // Neighbourhoods of more positions than this are counted with a
  // KindCounter during the move pass (individual mode, and plain mode while
  // every neighbour weighs 1); the results are the same either way, only
  // the cost differs. Negative: where the trees are the cheaper way, which
  // depends on the number of groups and the grid.
  void SetTreeCountingFrom(int positions) { treeCountingFrom_ = positions; }

  // The move pass keeps every cell's neighbourhood counts from pass to pass
  // where that is exact and worth it; off, it counts cell by cell. The
  // results are the same either way.
  void SetKeptCounts(bool on) { keptAllowed_ = on; }

  // Agents that could not be placed because no free cell was left.
  bool PlacementStopped() const { return placementStopped_; }

 private:
  struct Placement;  // what placing an agent reads, parsed once per batch
  struct EvalMode {
    bool Individual = true;
    int EmptyCells = 0;  // 0 not counted, 1 as different, 2 as similar
    bool operator==(const EvalMode&) const = default;
  };

  EvalMode ReadEvalMode() const;
  double Evaluate(int x, int y, const EvalMode& mode);
  // Satisfaction of a group-g occupant (g >= 1) from the counts of every kind.
  double IndividualSatisfaction(int g, const std::uint32_t* counts) const;
  // Brings the kept neighbourhood counts up to the grid as it stands, or
  // rebuilds them; false when this pass must count cell by cell.
  bool PrepareKeptCounts(const EvalMode& mode);
  // Evaluate from the kept counts: the cell i on the committed grid, and the
  // target (tx, ty) while the agent of group g on (cx, cy) stands there
  // tentatively.
  double EvaluateKept(int i, const EvalMode& mode);
  double EvaluateKeptTarget(int tx, int ty, int cx, int cy, int g, const EvalMode& mode);
  // Plain mode from whole-number sums of the own group, the other groups and
  // the empty cells. Store(i, ...) stores the satisfaction, Similar and
  // Different of cell i and the copies the pass leaves, and returns the
  // satisfaction. The arrays are looked up once, for a whole pass.
  struct PlainStore {
    double* Satisfaction;
    double* Similar;
    double* Different;
    double* SeenSatisfaction;
    double* SeenSimilar;
    double* SeenDifferent;
    long long EmptySimilar;  // 1 when empty cells count as similar
    long long EmptyDifferent;
    double Store(int i, long long own, long long others, long long empty) const {
      const double similar = static_cast<double>(own + EmptySimilar * empty);
      const double different = static_cast<double>(others + EmptyDifferent * empty);
      Similar[i] = similar;
      Different[i] = different;
      SeenSimilar[i] = similar;
      SeenDifferent[i] = different;
      const double total = similar + different;
      const double result = total > 0 ? 100.0 * similar / total : 0.0;
      Satisfaction[i] = result;
      SeenSatisfaction[i] = result;
      return result;
    }
  };
  PlainStore PlainStoreFor(const EvalMode& mode);
  // The weight of all groups in a kept row: everything but the empty cells.
  long long KeptGroups(const std::int32_t* row) const {
    // Two groups are the common case: a loop for them costs more than the sum.
    const int kinds = kept_.Kinds();
    if (kinds == 3) return static_cast<long long>(row[1]) + row[2];
    long long groups = 0;
    for (int k = 1; k < kinds; ++k) groups += row[k];
    return groups;
  }
  // Plain mode from the kept counts: the cell i, occupied by group g.
  double KeptPlain(const PlainStore& plain, int i, int g) const {
    const std::int32_t* s = kept_.At(i);
    return plain.Store(i, s[g], KeptGroups(s) - s[g], s[0]);
  }
  std::int32_t KeptWeight(int i) const { return keptWeighted_ ? keptWeights_[static_cast<std::size_t>(i)] : 1; }
  // Counts of every kind over the rectangle from the trees, as the grid
  // stands now; returns how many of its cells are vacated but still occupied
  // (the mover's own cell while its target is evaluated).
  int CountKindsWithTree(int x0, int y0, int x1, int y1, std::uint32_t* counts) const;
  long long TreeCountingFrom() const;
  Placement ReadPlacement(int total) const;
  // The min or max rent field; throws UserError for a text that does not
  // parse or a rent beyond the range whose sums stay finite.
  double ReadRent(MainControl control, const char* what) const;
  bool PlaceAgent(int index, const Placement& placement);
  bool ChooseCell(int& x, int& y, bool streetOccupation);
  void UpdateSpeedDisplay();
  void ResizeTables();
  void Report(const world::UserError& error);
  double EntryRent(int group, bool& ok);
  // The rent settings a step reads, taken once at its start.
  void BeginRentReads();
  void EnterRent(int cellIndex);

  SeedSource seeds_;
  Clock clock_;
  Reporter reporter_;

  // Placement of growth continues from the set-up's group cursor and boundary.
  int groupCursor_ = 0;
  long long groupBoundary_ = 0;
  bool placementStopped_ = false;

  // Speed display.
  int frameCounter_ = 0;
  std::int64_t lastUpdate_ = 0;

  // Entry rents parsed at most once per step; texts already reported.
  std::vector<double> entryRents_;
  std::vector<std::uint8_t> entryRentState_;  // 0 unread, 1 parsed, 2 bad
  std::vector<std::string> reportedRentTexts_;
  std::vector<std::uint8_t> rentReported_;
  bool rentActiveThisStep_ = false;
  bool paintMoves_ = true;

  // Counting large neighbourhoods during the move pass. The trees hold the
  // committed kinds; while a target is evaluated tentatively the grid
  // differs from them at the mover's cell and the target.
  struct PendingKind {
    int X, Y, TreeKind, Kind;
  };
  KindCounter counter_;
  bool countWithTree_ = false;
  int treeCountingFrom_ = -1;
  PendingKind pending_[2]{};
  int pendingCount_ = 0;

  // Cells a target search must pass over, kept during the move pass.
  std::vector<std::uint8_t> blocked_;
  bool blockStreets_ = true;
  bool inPass_ = false;

  // Neighbourhood counts kept from pass to pass. The grid they were made
  // from is kept beside them, so that whatever changed the grid between two
  // passes (growth, a set-up, an edit) is found and brought in.
  NeighbourCounts kept_;
  bool keptAllowed_ = true;
  bool useKept_ = false;      // this pass evaluates from kept_
  bool keptPlain_ = false;    // plain mode: street values as weights
  bool keptWeighted_ = false;  // ... not all 1, so kept in keptWeights_
  std::vector<std::int32_t> keptState_;
  std::vector<std::uint8_t> keptOccupied_;
  std::vector<std::int32_t> keptWeights_;
  // A cell that kept_ marks as seen holds in Satisfaction (and Similar and
  // Different) what evaluating it from kept_ would give again: its row has
  // not changed since, nor have the mode and the tolerances the marks were
  // made under, nor has anything else written its stored values (the values
  // a pass leaves are kept beside them to find such writes: every evaluation
  // from kept_ stores into both). Its evaluation can then be skipped, bit
  // for bit the same.
  bool seenValid_ = false;
  EvalMode seenMode_;
  world::Table<std::int32_t> seenTolerance_;
  std::vector<double> seenSatisfaction_;
  std::vector<double> seenSimilar_;
  std::vector<double> seenDifferent_;
  // Before a pass: whether the marks still hold, forgetting those of cells
  // written since the last pass.
  void CheckSeenMarks(const EvalMode& mode);
  // What stays fixed over one pass of turns.
  struct Pass;
  // The turns of one pass; each kind of pass is its own loop, so that no turn
  // tests what the pass fixed. Returns the cell whose evaluation was skipped
  // last while no evaluation followed, or -1.
  template <bool Kept, bool PlainKept, bool EvaluateAll, bool MarkQuiet>
  int TakeTurns(const Pass& pass);
  // A quiet mark (see NeighbourCounts) lets a pass pass over a satisfied
  // agent whose cell and neighbourhood did not change. The marks hold while
  // the threshold, the rents, the street cells and whether streets may be
  // occupied stay as they were when the marks were made (the rents and
  // street cells are kept beside them to find any change); an agent's
  // budget never changes after its placement. Before a pass: forgets the
  // marks that no longer hold; returns whether this pass may make marks.
  bool CheckQuietMarks(bool streetOccupation);
  bool quietValid_ = false;
  long long lastMoves_ = 0;  // moves of the latest pass
  int quietThreshold_ = 0;
  bool quietStreetOccupation_ = false;
  KeptCopy<double> quietRent_;
  KeptCopy<std::int32_t> quietStreets_;
};

}  // namespace simulation
