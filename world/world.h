#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "agent.h"
#include "cell_grid.h"
#include "painter.h"
#include "random.h"
#include "rounding.h"
#include "table.h"

namespace world {

// The drawing panel the grid is sized from.
inline constexpr int kPanelWidth = 694;
inline constexpr int kPanelHeight = 694;

// One drawn street, all grid indices; Type is -3..-1 or +1..+3.
struct StreetSegment {
  int StartCol = 0;
  int StartRow = 0;
  int EndCol = 0;
  int EndRow = 0;
  int Type = 0;
  bool operator==(const StreetSegment&) const = default;
};

// What the last ImprintStreets left for the evaluation. The neighbour weight
// of a pair is the neighbour's StreetValue unless a barrier segment crosses
// the pair; only cells whose neighbourhood a barrier reaches (BarrierNear)
// need the crossing tests, so the weight lists stay implicit and cost no
// memory even for the largest radius.
struct StreetField {
  std::vector<std::uint8_t> BarrierNear;   // per cell
  std::vector<StreetSegment> Barriers;     // segments that can lower a weight, in list order
  std::vector<std::uint32_t> BarrierStart; // per cell, into BarrierList (cells + 1 entries)
  std::vector<std::uint32_t> BarrierList;  // indices into Barriers
  bool BarrierAll = false;                 // too many to list: cells near a barrier test them all
  std::vector<std::uint32_t> AllIndices;   // 0 .. Barriers.size() - 1 when BarrierAll
  std::array<double, 4> BarrierWeight{};   // weights of types -3, -2, -1, 0 at the imprint
  int Radius = 0;                          // NbRadius the imprint was made for

  // Built from the above on the first plain-mode evaluation after an imprint
  // (streets/barrier_sums): per cell and neighbourhood row, the column runs
  // a barrier cuts off, so that a sum needs no crossing test.
  struct BlockedRun {
    std::uint16_t First = 0, Last = 0;     // columns, inclusive
    std::int8_t Type = 0;                  // lowest barrier type crossing: -3, -2 or -1
  };
  struct BarrierRuns {
    bool Built = false;
    bool Listed = false;                   // runs stored per row; otherwise found per evaluation
    bool Exact = false;                    // weights allow adding a binade's worth at once
    int Cols = 0, Rows = 0, Radius = 0;
    std::vector<std::uint32_t> RowFirst;   // per cell, into RowRun (cells + 1 entries)
    std::vector<std::uint32_t> RowRun;     // per cell and in-grid row, into Runs (one more at the end)
    std::vector<BlockedRun> Runs;
    std::vector<std::uint8_t> ValueClass;  // per cell: index of its StreetValue in ClassWeight
    std::vector<std::uint32_t> Special;    // per row, cols + 1 prefix counts of cells of a class other than 0
    std::vector<std::uint32_t> SpecialStart;    // per row, into SpecialColumn (rows + 1 entries)
    std::vector<std::uint16_t> SpecialColumn;   // columns of those cells, row by row
    std::array<double, 8> ClassWeight{};   // class 0 is 1.0
    std::array<std::uint8_t, 3> BlockedClass{};  // class of the weights of types -3, -2, -1
    int Classes = 0;
    // Scratch of one evaluation or one row, sized by the build.
    std::vector<std::int64_t> Lines;       // per barrier near the cell, the half-planes a pair must end in
    std::vector<std::array<int, 3>> Cuts;  // run ends of one row: column, +1 or -1, type index
    std::vector<BlockedRun> RowScratch;
  } Sums;
};

// One world: the grid, the agents, the parameters every Part reads, the
// street state that outlives set-ups and the world's own random source.
// Several worlds can live side by side; nothing here is global.
class World {
 public:
  // World parameters (set by set-up unless said otherwise).
  int CellSize = 6;
  int HalfCell = 3;
  int GridCols = 0;
  int GridRows = 0;
  int NbRadius = 2;
  int NbCellCount = 25;
  int MoveDistance = 54;
  int GroupCount = 6;
  int AgentSize = 2;
  int StepCount = 0;
  int StopStep = 500;
  int Threshold = 100;
  bool DrawWhileMoving = true;
  int TileSize = 20;
  int UnsatisfiedCount = 0;
  std::vector<ColorRef> GroupColors;
  std::vector<int> GroupCounts;
  std::vector<double> GroupShares;
  Table<std::int32_t> GroupTolerance;  // [group - 1][kind], GroupCount x (GroupCount + 1)
  Table<double> TolerancePercent;      // [group - 1][kind], percent

  CellGrid Cells;
  std::vector<TAgent> Agents;
  std::vector<double> RentBuffer;  // row-major like Cells

  // Street state kept across set-ups.
  Table<std::int32_t> StreetGrid;  // [column][row]
  std::vector<StreetSegment> StreetSegments;
  bool StreetsDirty = false;
  int StreetCellCount = 0;
  StreetField Field;

  // Counts per kind of the latest individual-mode evaluation.
  std::vector<std::uint32_t> KindCounts;

  Random Rng;
  WorldPainter* Painter = nullptr;

  // Brings a position back onto the grid as a torus; offsets of several
  // grid widths are allowed.
  void WrapOnTorus(int& x, int& y) const {
    if (x < 0) {
      while (x < 0) x += GridCols;
    } else {
      while (x > GridCols - 1) x -= GridCols;
    }
    if (y < 0) {
      while (y < 0) y += GridRows;
    } else {
      while (y > GridRows - 1) y -= GridRows;
    }
  }

  bool IsOutside(int x, int y) const { return x < 0 || x > GridCols - 1 || y < 0 || y > GridRows - 1; }

  int PositionX(int x) const { return x * CellSize + HalfCell; }
  int PositionY(int y) const { return y * CellSize + HalfCell; }

  int NumberOfAgents() const { return static_cast<int>(Agents.size()); }

  // Painting; a world without a painter paints nothing.
  void DrawCell(int x, int y) {
    if (Painter) Painter->DrawCell(x, y);
  }
  void DrawAgent(const TAgent& agent) {
    if (Painter) Painter->DrawAgent(agent);
  }
  void DrawAllCells() {
    if (Painter) Painter->DrawAllCells();
  }
  void RepaintWorld() {
    if (Painter) Painter->RepaintWorld();
  }
};

}  // namespace world
