#include "streets/editing.h"

#include <gtest/gtest.h>

#include "simulation/street_controls.h"
#include "world/convert.h"
#include "tests/support/world_builder.h"

namespace streets {
namespace {

using test_support::BareWorld;

TEST(CellUnderPixel, RoundsHalvesToEven) {
  BareWorld b(116);  // cell size 6, half cell 3
  EXPECT_EQ(CellUnderPixel(b.World, 0, 0), (GridPosition{0, 0}));     // Round(-0.5) = 0
  EXPECT_EQ(CellUnderPixel(b.World, 6, 7), (GridPosition{0, 1}));     // Round(0.5) = 0, Round(0.67) = 1
  EXPECT_EQ(CellUnderPixel(b.World, 18, 30), (GridPosition{2, 4}));   // Round(2.5) = 2, Round(4.5) = 4
  EXPECT_EQ(CellUnderPixel(b.World, 24, 12), (GridPosition{4, 2}));   // Round(3.5) = 4, Round(1.5) = 2
  EXPECT_EQ(CellUnderPixel(b.World, 693, 693), (GridPosition{115, 115}));
}

TEST(CellUnderPixel, ClampsPixelsBeyondTheGridToItsEdge) {
  BareWorld b(69, 69, 10);  // 690 of the 694 pixels carry cells
  EXPECT_EQ(CellUnderPixel(b.World, 693, 5), (GridPosition{68, 0}));  // Round(68.8) = 69
  EXPECT_EQ(CellUnderPixel(b.World, -40, 2000), (GridPosition{0, 68}));
}

// A world of 20 x 20 cells of 6 pixels; the centre of cell (c, r) is (6c + 3, 6r + 3).
struct StreetEditorTest : ::testing::Test {
  BareWorld b{20};
  StreetEditor editor{b.World, simulation::StreetEditorHooks(b.World, b.Controls)};
  static int Px(int cell) { return 6 * cell + 3; }
  void Choose(int item) { b.Controls.SetItemIndex(simulation::MainControl::StreetTypeChoice, item); }
};

TEST_F(StreetEditorTest, PressWithoutAStreetTypeAsksForOneAndDoesNothingElse) {
  try {
    editor.Press(Px(1), Px(1), MouseButton::Left);
    FAIL() << "no message";
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "please select a street type");
    EXPECT_EQ(e.Caption(), "missing value");
  }
  EXPECT_FALSE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Drawing());
  EXPECT_TRUE(b.Controls.Checked(simulation::MainControl::Timer));
  EXPECT_EQ(b.Painter.AllCells + b.Painter.Repaints, 0);
  editor.Release(Px(5), Px(1), MouseButton::Left);  // silently ignored
  EXPECT_TRUE(b.World.StreetSegments.empty());
  EXPECT_TRUE(b.Painter.Cells.empty());
}

TEST_F(StreetEditorTest, PressDrawingWithoutAgentsStopsTheRunAndPaintsCellsOnly) {
  Choose(3);
  editor.Press(Px(2), Px(5), MouseButton::Left);
  EXPECT_FALSE(b.Controls.Checked(simulation::MainControl::Timer));
  EXPECT_EQ(b.Controls.Get(simulation::MainControl::StartStop).FontColor, world::Rgb(255, 0, 0));
  EXPECT_EQ(b.Painter.AllCells, 1);
  EXPECT_EQ(b.Painter.Repaints, 0);
  EXPECT_TRUE(editor.Dragging());
  EXPECT_TRUE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Overlay().Line.has_value());  // fully transparent
  EXPECT_EQ(b.World.Cells.AnchorX[b.World.Cells.Index(2, 5)], 2);
  EXPECT_EQ(b.World.Cells.AnchorY[b.World.Cells.Index(2, 5)], 5);
  EXPECT_TRUE(b.World.StreetSegments.empty());  // enters the list complete, on release
}

TEST_F(StreetEditorTest, MoveDrawsTheRubberBandFromTheStartCentre) {
  Choose(4);  // type +2
  editor.Press(Px(2) + 2, Px(5) - 2, MouseButton::Left);
  editor.Move(100, 40);
  ASSERT_TRUE(editor.Overlay().Line.has_value());
  EXPECT_EQ(*editor.Overlay().Line, (RubberBand{15, 33, 100, 40, world::Rgb(205, 102, 0), 3}));
}

TEST_F(StreetEditorTest, ReleaseDrawingWithoutAgentsMarksTheStreetAndLeavesTheImprint) {
  Choose(1);  // type -2
  editor.Press(Px(2), Px(5), MouseButton::Left);
  editor.Move(Px(6), Px(5));
  b.Painter.Cells.clear();
  editor.Release(Px(6), Px(5), MouseButton::Left);
  ASSERT_EQ(b.World.StreetSegments.size(), 1u);
  EXPECT_EQ(b.World.StreetSegments[0], (world::StreetSegment{2, 5, 6, 5, -2}));
  // Marked from the end cell to the start cell.
  EXPECT_EQ(b.Painter.Cells, (std::vector<std::pair<int, int>>{{6, 5}, {5, 5}, {4, 5}, {3, 5}, {2, 5}}));
  EXPECT_EQ(b.TypeAt(4, 5), -2);
  EXPECT_TRUE(b.World.StreetsDirty);
  EXPECT_EQ(b.World.StreetCellCount, 0);  // the count waits for the imprint
  EXPECT_EQ(b.Painter.AllCells, 2);
  EXPECT_EQ(b.Painter.Repaints, 0);
  EXPECT_FALSE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Dragging());
  EXPECT_FALSE(editor.Drawing());
  EXPECT_DOUBLE_EQ(editor.Walk().StreetAngle, std::atan2(0.0, -4.0));
}

TEST_F(StreetEditorTest, WithAgentsShownTheRunGoesOnAndTheStreetIsImprinted) {
  Choose(5);  // type +3
  b.Controls.SetChecked(simulation::MainControl::DrawWithoutAgents, false);
  editor.Press(Px(2), Px(2), MouseButton::Left);
  EXPECT_TRUE(b.Controls.Checked(simulation::MainControl::Timer));
  EXPECT_EQ(b.Controls.Get(simulation::MainControl::StartStop).FontColor, world::kGreen);
  EXPECT_EQ(b.Painter.Repaints, 1);
  editor.Release(Px(2), Px(4), MouseButton::Left);
  EXPECT_FALSE(b.World.StreetsDirty);
  EXPECT_EQ(b.Controls.Text(simulation::MainControl::StreetCellsLabel), "3");
  EXPECT_EQ(b.World.Cells.StreetValue[b.World.Cells.Index(1, 3)], 8.0);
  EXPECT_EQ(b.Painter.Repaints, 2);
  EXPECT_EQ(b.Painter.AllCells, 0);
}

TEST_F(StreetEditorTest, OtherButtonShowsNoRubberBandButItsReleaseMakesAStreet) {
  Choose(3);
  editor.Press(Px(1), Px(1), MouseButton::Right);
  EXPECT_FALSE(editor.Dragging());
  EXPECT_TRUE(editor.Overlay().Exists);
  editor.Move(Px(4), Px(1));
  EXPECT_FALSE(editor.Overlay().Line.has_value());
  editor.Release(Px(4), Px(1), MouseButton::Right);
  EXPECT_EQ(b.World.StreetSegments.size(), 1u);
  EXPECT_EQ(b.TypeAt(4, 1), 1);
}

TEST_F(StreetEditorTest, PixelsBeyondTheGridAreClampedOntoIt) {
  BareWorld wide(69, 69, 10);
  StreetEditor e(wide.World, simulation::StreetEditorHooks(wide.World, wide.Controls));
  wide.Controls.SetItemIndex(simulation::MainControl::StreetTypeChoice, 3);
  e.Press(693, 5, MouseButton::Left);  // maps to column 69, one beyond the last
  e.Release(693, -300, MouseButton::Left);
  ASSERT_EQ(wide.World.StreetSegments.size(), 1u);
  EXPECT_EQ(wide.World.StreetSegments[0], (world::StreetSegment{68, 0, 68, 0, 1}));
  e.Press(-20, -20, MouseButton::Left);
  e.Release(2000, 2000, MouseButton::Left);
  EXPECT_EQ(wide.World.StreetSegments[1], (world::StreetSegment{0, 0, 68, 68, 1}));
  EXPECT_EQ(wide.TypeAt(68, 68), 1);
  EXPECT_EQ(wide.TypeAt(0, 0), 1);
}

TEST_F(StreetEditorTest, SecondPressDuringADragIsIgnored) {
  Choose(3);
  editor.Press(Px(1), Px(1), MouseButton::Left);
  const int allCells = b.Painter.AllCells;
  editor.Press(Px(9), Px(9), MouseButton::Right);
  EXPECT_EQ(b.Painter.AllCells, allCells);
  EXPECT_EQ(editor.Walk().StartCol, 1);
  EXPECT_TRUE(editor.Dragging());
  editor.Release(Px(3), Px(1), MouseButton::Right);
  editor.Release(Px(5), Px(5), MouseButton::Left);  // no press left to end
  ASSERT_EQ(b.World.StreetSegments.size(), 1u);
  EXPECT_EQ(b.World.StreetSegments[0], (world::StreetSegment{1, 1, 3, 1, 1}));
  EXPECT_FALSE(editor.Overlay().Exists);
}

TEST_F(StreetEditorTest, ReleaseAfterTheTypeWasClearedDropsTheStreetSilently) {
  Choose(3);
  editor.Press(Px(1), Px(1), MouseButton::Left);
  Choose(-1);
  EXPECT_NO_THROW(editor.Release(Px(4), Px(1), MouseButton::Left));
  EXPECT_TRUE(b.World.StreetSegments.empty());
  EXPECT_EQ(b.TypeAt(1, 1), 0);
  EXPECT_FALSE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Drawing());
}

TEST_F(StreetEditorTest, AnImprintStoppedByABadWeightLeavesNoOverlay) {
  Choose(0);
  b.Controls.SetChecked(simulation::MainControl::DrawWithoutAgents, false);
  b.Controls.SetText(simulation::WeightControlName(-3), "x");
  editor.Press(Px(1), Px(1), MouseButton::Left);
  try {
    editor.Release(Px(1), Px(3), MouseButton::Left);
    FAIL() << "no message";
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "'x' ist kein gültiger Gleitkommawert");
  }
  EXPECT_EQ(b.World.StreetSegments.size(), 1u);
  EXPECT_EQ(b.TypeAt(1, 2), -3);
  EXPECT_TRUE(b.World.StreetsDirty);
  EXPECT_FALSE(editor.Overlay().Exists);
  EXPECT_FALSE(editor.Drawing());
}

}  // namespace
}  // namespace streets
