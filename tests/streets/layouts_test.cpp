#include "streets/layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "simulation/simulation.h"
#include "simulation/street_controls.h"
#include "world/convert.h"
#include "streets/editing.h"
#include "tests/support/world_builder.h"

namespace streets {
namespace {

using test_support::BareWorld;
using Cells = std::vector<std::pair<int, int>>;

// The cells the walk marked, in the order it painted them.
Cells Walk(int cols, int rows, int endCol, int endRow, int startCol, int startRow) {
  BareWorld b(cols, rows);
  AddStreet(b.World, endCol, endRow, startCol, startRow, 1);
  return b.Painter.Cells;
}

TEST(MarkStreetCells, LastStepIsVerticalWhenTheStartLiesStraightLeft) {
  // The candidate in the start's row sees the start at +pi while the street
  // runs at nearly -pi: without an angle wrap it loses to the vertical step.
  const Cells expected = {{10, 10}, {9, 10}, {8, 10}, {8, 9}, {7, 9}, {6, 9}, {5, 9},
                          {5, 8},   {4, 8},  {3, 8},  {2, 8}, {1, 8}, {0, 8}, {0, 7}};
  EXPECT_EQ(Walk(20, 20, 10, 10, 0, 7), expected);
}

TEST(MarkStreetCells, MirroredStreetBelowTakesItsOwnStaircase) {
  const Cells expected = {{10, 10}, {9, 10}, {8, 10}, {8, 11}, {7, 11}, {6, 11}, {5, 11},
                          {5, 12},  {4, 12}, {3, 12}, {2, 12}, {2, 13}, {1, 13}, {0, 13}};
  EXPECT_EQ(Walk(20, 20, 10, 10, 0, 13), expected);
}

TEST(MarkStreetCells, EndsSharingARowOrColumnGiveAStraightRun) {
  EXPECT_EQ(Walk(12, 12, 2, 5, 6, 5), (Cells{{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}}));
  EXPECT_EQ(Walk(12, 12, 6, 5, 2, 5), (Cells{{6, 5}, {5, 5}, {4, 5}, {3, 5}, {2, 5}}));
  EXPECT_EQ(Walk(12, 12, 3, 0, 3, 3), (Cells{{3, 0}, {3, 1}, {3, 2}, {3, 3}}));
  EXPECT_EQ(Walk(12, 12, 3, 11, 3, 9), (Cells{{3, 11}, {3, 10}, {3, 9}}));
}

TEST(MarkStreetCells, OneCellStreetMarksOnlyThatCell) { EXPECT_EQ(Walk(12, 12, 4, 4, 4, 4), (Cells{{4, 4}})); }

TEST(MarkStreetCells, CandidatesWrapAroundTheGridEdges) {
  // On three columns the wrapped right neighbour of column 2 is column 0,
  // as near to the start in column 1 as the left neighbour, at the same
  // angle atan2(0, 1) = atan2(0, 0) = 0, and earlier in the candidate order. From there the walk would swing between the two
  // edge columns for ever; it stops after as many cells as the grid holds.
  const Cells cells = Walk(3, 3, 2, 0, 1, 0);
  ASSERT_GE(cells.size(), 2u);
  EXPECT_EQ(cells[0], std::make_pair(2, 0));
  EXPECT_EQ(cells[1], std::make_pair(0, 0));
  EXPECT_LE(cells.size(), 9u);
}

TEST(AddStreet, IgnoresPositionsOutsideTheGridAndUnknownTypes) {
  BareWorld b(10);
  AddStreet(b.World, -1, 0, 5, 0, 1);
  AddStreet(b.World, 0, 0, 10, 0, 1);
  AddStreet(b.World, 0, 0, 5, 10, 1);
  AddStreet(b.World, 0, 0, 5, 0, 0);
  AddStreet(b.World, 0, 0, 5, 0, 4);
  EXPECT_TRUE(b.World.StreetSegments.empty());
  EXPECT_TRUE(b.Painter.Cells.empty());
  EXPECT_EQ(std::count(b.World.Cells.StreetType.begin(), b.World.Cells.StreetType.end(), 0), 100);
}

TEST(AddStreet, LaterStreetOverwritesCellsAndBothSegmentsStay) {
  BareWorld b(10);
  AddStreet(b.World, 0, 4, 9, 4, -3);
  AddStreet(b.World, 4, 0, 4, 9, 2);
  EXPECT_EQ(b.TypeAt(4, 4), 2);
  EXPECT_EQ(b.ColorAt(4, 4), world::Rgb(205, 102, 0));
  EXPECT_EQ(b.TypeAt(3, 4), -3);
  EXPECT_EQ(b.World.StreetSegments.size(), 2u);
}

TEST(RandomStreetType, DrawsTheSixTypesAlike) {
  world::Random random(11);
  std::map<int, int> counts;
  for (int i = 0; i < 6000; ++i) ++counts[RandomStreetType(random)];
  ASSERT_EQ(counts.size(), 6u);
  for (const auto& [type, count] : counts) EXPECT_TRUE(type != 0 && count > 850 && count < 1150) << type;
}

// The main window's world after its creation, with a fixed seed.
struct DefaultWorld : ::testing::Test {
  simulation::Simulation sim{[] { return std::uint64_t{5}; }};
  test_support::RecordingPainter painter;
  void SetUp() override { sim.SetPainter(&painter); }
  int StreetCells() const {
    return static_cast<int>(std::count_if(sim.world.Cells.StreetType.begin(), sim.world.Cells.StreetType.end(),
                                          [](int t) { return t != 0; }));
  }
};

using DrawStreetGridTest = DefaultWorld;

TEST_F(DrawStreetGridTest, DefaultGridOnTheDefaultWorld) {
  auto& w = sim.world;
  ASSERT_EQ(w.GridRows, 116);
  simulation::DrawStreetGrid(w, sim.controls, 5, 5, {false, 3});
  const std::set<int> lines = {22, 45, 68, 91};
  for (int y = 0; y < 116; ++y) {
    for (int x = 0; x < 116; ++x) {
      const bool street = lines.count(x) || lines.count(y);
      ASSERT_EQ(w.Cells.StreetType[w.Cells.Index(x, y)], street ? 3 : 0) << x << "," << y;
    }
  }
  EXPECT_EQ(w.StreetCellCount, 912);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), "912");
  ASSERT_EQ(w.StreetSegments.size(), 8u);
  EXPECT_EQ(w.StreetSegments[0], (world::StreetSegment{22, 115, 22, 0, 3}));
  EXPECT_EQ(w.StreetSegments[4], (world::StreetSegment{115, 22, 0, 22, 3}));
  EXPECT_FALSE(w.StreetsDirty);
  EXPECT_EQ(painter.Repaints, 1);
}

TEST_F(DrawStreetGridTest, HorizontalStreetsTakeOverTheCrossings) {
  auto& w = sim.world;
  simulation::DrawStreetGrid(w, sim.controls, 3, 3, {true, 3});
  ASSERT_EQ(w.StreetSegments.size(), 4u);
  // Round(116 / 3) = 39: columns and rows 38 and 77.
  EXPECT_EQ(w.Cells.StreetType[w.Cells.Index(38, 77)], w.StreetSegments[3].Type);
  EXPECT_EQ(w.Cells.StreetType[w.Cells.Index(77, 38)], w.StreetSegments[2].Type);
  EXPECT_EQ(w.Cells.StreetType[w.Cells.Index(38, 10)], w.StreetSegments[0].Type);
}

TEST_F(DrawStreetGridTest, OneRowAndOneColumnDrawNothingButStillImprintAndRepaint) {
  sim.controls.SetText(simulation::MainControl::StreetCellsLabel, "stale");
  simulation::DrawStreetGrid(sim.world, sim.controls, 1, 1, {true, 3});
  EXPECT_TRUE(sim.world.StreetSegments.empty());
  EXPECT_EQ(StreetCells(), 0);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), "0");
  EXPECT_FALSE(sim.world.StreetsDirty);
  EXPECT_EQ(painter.Repaints, 1);
}

TEST_F(DrawStreetGridTest, SpacingsBeyondTheGridSkipTheirStreets) {
  // Round(116 / 300) = 0 puts every street in column or row -1.
  simulation::DrawStreetGrid(sim.world, sim.controls, 300, 1, {true, 3});
  EXPECT_TRUE(sim.world.StreetSegments.empty());
  // Round(116 / 200) = 1: columns 0..115, the rest lies beyond the grid.
  simulation::DrawStreetGrid(sim.world, sim.controls, 200, 1, {false, -1});
  EXPECT_EQ(sim.world.StreetSegments.size(), 116u);
  EXPECT_EQ(sim.world.StreetCellCount, 116 * 116);
}

TEST_F(DrawStreetGridTest, FixedTypeZeroRefusesEvenWithRandomTypes) {
  sim.world.Rng.Seed(3);
  for (bool random : {true, false}) {
    try {
      simulation::DrawStreetGrid(sim.world, sim.controls, 5, 5, {random, 0});
      FAIL() << "no refusal";
    } catch (const world::UserError& e) {
      EXPECT_STREQ(e.what(), "0 is not a valid street type");
      EXPECT_EQ(e.Caption(), "missing value");
    }
  }
  EXPECT_TRUE(sim.world.StreetSegments.empty());
  EXPECT_EQ(StreetCells(), 0);
  EXPECT_EQ(painter.Repaints, 0);
  world::Random untouched(3);
  EXPECT_EQ(sim.world.Rng.Next(), untouched.Next());  // not even a type was drawn
}

TEST_F(DrawStreetGridTest, EndsAStreetTheEditorWasDrawing) {
  StreetEditor editor(sim.world, simulation::StreetEditorHooks(sim.world, sim.controls));
  sim.controls.SetItemIndex(simulation::MainControl::StreetTypeChoice, 0);
  editor.Press(3, 3, MouseButton::Left);
  simulation::DrawStreetGrid(sim.world, sim.controls, 2, 1, {false, 1}, &editor);
  EXPECT_FALSE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Drawing());
  const world::StreetSegment layout = sim.world.StreetSegments.back();
  editor.Release(600, 600, MouseButton::Left);
  ASSERT_EQ(sim.world.StreetSegments.size(), 1u);
  EXPECT_EQ(sim.world.StreetSegments.back(), layout);
}

using DrawRandomStreetsTest = DefaultWorld;

TEST_F(DrawRandomStreetsTest, DrawsOneStreetFewerThanAsked) {
  simulation::DrawRandomStreets(sim.world, sim.controls, 20, {true, 3});
  EXPECT_EQ(sim.world.StreetSegments.size(), 19u);
  for (const auto& s : sim.world.StreetSegments) {
    EXPECT_NE(s.Type, 0);
    EXPECT_GE(s.Type, -3);
    EXPECT_LE(s.Type, 3);
  }
  EXPECT_EQ(sim.world.StreetCellCount, StreetCells());
  EXPECT_FALSE(sim.world.StreetsDirty);
  simulation::DrawRandomStreets(sim.world, sim.controls, 1, {true, 3});  // nothing, but imprinted and repainted
  EXPECT_EQ(sim.world.StreetSegments.size(), 19u);
  EXPECT_EQ(painter.Repaints, 2);
}

TEST_F(DrawRandomStreetsTest, DrawsTheTypeBeforeThePositions) {
  sim.world.Rng.Seed(42);
  simulation::DrawRandomStreets(sim.world, sim.controls, 2, {true, 3});
  world::Random replay(42);
  const int type = RandomStreetType(replay);
  const int endCol = replay.NextInt(116), endRow = replay.NextInt(116);
  const int startCol = replay.NextInt(116), startRow = replay.NextInt(116);
  ASSERT_EQ(sim.world.StreetSegments.size(), 1u);
  EXPECT_EQ(sim.world.StreetSegments[0], (world::StreetSegment{startCol, startRow, endCol, endRow, type}));
}

TEST_F(DrawRandomStreetsTest, FixedTypeZeroRefuses) {
  EXPECT_THROW(simulation::DrawRandomStreets(sim.world, sim.controls, 20, {true, 0}), world::UserError);
  EXPECT_TRUE(sim.world.StreetSegments.empty());
}

using DeleteStreetsTest = DefaultWorld;

TEST_F(DeleteStreetsTest, ClearsEveryTraceOfTheStreets) {
  auto& w = sim.world;
  simulation::DrawStreetGrid(w, sim.controls, 5, 5, {false, 2});  // positive: light-grey neighbours
  ASSERT_EQ(w.Cells.DisplayColor[w.Cells.Index(21, 0)], world::kLightGrey);
  simulation::DeleteStreets(w, sim.controls);
  EXPECT_TRUE(w.StreetSegments.empty());
  EXPECT_EQ(StreetCells(), 0);
  EXPECT_EQ(w.StreetCellCount, 0);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), "0");
  for (int x = 0; x < w.StreetGrid.Size0(); ++x) {
    for (int y = 0; y < w.StreetGrid.Size1(); ++y) ASSERT_EQ(w.StreetGrid(x, y), 0);
  }
  EXPECT_TRUE(std::all_of(w.Cells.DisplayColor.begin(), w.Cells.DisplayColor.end(),
                          [](world::ColorRef c) { return c == world::kWhite; }));
  EXPECT_TRUE(std::all_of(w.Cells.StreetValue.begin(), w.Cells.StreetValue.end(),
                          [](double v) { return v == 1.0; }));
  EXPECT_EQ(painter.Repaints, 2);
}

// The street layer reads no control: the simulation layer hands it the
// weight texts and shows the count it leaves in Lbl_strCell.
TEST_F(DrawStreetGridTest, TheCountShownFollowsEveryLayoutAndABadWeightChangesNothing) {
  simulation::DrawStreetGrid(sim.world, sim.controls, 3, 1, {false, 2});
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), world::IntToText(sim.world.StreetCellCount));
  EXPECT_EQ(sim.world.StreetCellCount, StreetCells());

  sim.controls.SetText(simulation::StreetWeightControl(-1), "x");
  const int before = sim.world.StreetCellCount;
  EXPECT_THROW(simulation::DrawRandomStreets(sim.world, sim.controls, 4, {false, -1}), world::UserError);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), world::IntToText(before));

  sim.controls.SetText(simulation::StreetWeightControl(-1), "0,67");
  simulation::DeleteStreets(sim.world, sim.controls);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::StreetCellsLabel), "0");
  EXPECT_EQ(simulation::StreetWeightTextsOf(sim.controls)[2], "0,67");
}

}  // namespace
}  // namespace streets
