#include "world/controls.h"

#include <gtest/gtest.h>

#include "world/convert.h"
#include "world/main_controls.h"

namespace world {
namespace {

class MainControls : public ::testing::Test {
 protected:
  void SetUp() override {
    world.GridCols = 116;
    world.GridRows = 116;
    BuildMainControls(controls, world);
  }
  World world;
  ControlModel controls;
};

TEST_F(MainControls, AgentsAboveTheCellsBecomeNinetyFivePercent) {
  controls.SetByUser("Edit_anzAg", "20000");
  EXPECT_EQ(controls.Text("Edit_anzAg"), "12783");
  controls.SetByUser("Edit_anzAg", "13456");
  EXPECT_EQ(controls.Text("Edit_anzAg"), "13456");
  controls.SetByUser("Edit_anzAg", "13457");
  EXPECT_EQ(controls.Text("Edit_anzAg"), "12783");
}

TEST_F(MainControls, GrowthFieldsCheckTheNumberOfAgents) {
  controls.Get("Edit_anzAg").Text = "99999";  // as if typed before the world shrank
  controls.SetByUser("E_growRate", "15");
  EXPECT_EQ(controls.Text("Edit_anzAg"), "12783");
}

TEST_F(MainControls, CellSizeIsClampedToOneAndThirtyFour) {
  controls.SetByUser("Edit_cellSiz", "50");
  EXPECT_EQ(controls.Text("Edit_cellSiz"), "34");
  EXPECT_EQ(controls.Position("UpD_sellSz"), 34);
  controls.SetByUser("Edit_cellSiz", "0");
  EXPECT_EQ(controls.Text("Edit_cellSiz"), "1");
}

TEST_F(MainControls, SmallValuesAreRaisedToOne) {
  controls.SetByUser("Edit_anzGr", "0");
  EXPECT_EQ(controls.Text("Edit_anzGr"), "1");
  controls.SetByUser("Edit_nRad", "0");
  EXPECT_EQ(controls.Text("Edit_nRad"), "1");
  controls.SetByUser("Edit_mDist", "0");
  EXPECT_EQ(controls.Text("Edit_mDist"), "1");
}

TEST_F(MainControls, MoveDistanceAboveHalfTheRowsBecomesHalfTheRows) {
  controls.SetByUser("Edit_mDist", "59");
  EXPECT_EQ(controls.Text("Edit_mDist"), "58");
  controls.SetByUser("Edit_mDist", "58");
  EXPECT_EQ(controls.Text("Edit_mDist"), "58");
}

TEST_F(MainControls, AClearedFieldReportsAndKeepsItsText) {
  try {
    controls.SetByUser("Edit_anzAg", "");
    FAIL();
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "'' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(controls.Text("Edit_anzAg"), "");
}

TEST_F(MainControls, DigitsOnlyFieldsRefuseSignsAndSeparators) {
  EXPECT_THROW(controls.SetByUser("Edit_anzAg", "-5"), UserError);
  EXPECT_THROW(controls.SetByUser("E_stopT", "1,5"), UserError);
  EXPECT_EQ(controls.Text("E_stopT"), "500");
  controls.SetByUser("E_toInfer", "-30");  // not digits-only
  EXPECT_EQ(controls.Position("UpD_toInfer"), -30);
}

TEST_F(MainControls, TrackBarDrivesLabelUpDownAndThreshold) {
  controls.SetByUser("TrB_thresh", "70");
  EXPECT_EQ(controls.Text("Lbl_P"), "70");
  EXPECT_EQ(controls.Position("UpD_thresh"), 70);
  EXPECT_EQ(world.Threshold, 70);
  controls.SetByUser("UpD_thresh", "40");
  EXPECT_EQ(controls.Position("TrB_thresh"), 40);
  EXPECT_EQ(world.Threshold, 40);
  controls.SetByUser("TrB_thresh", "150");
  EXPECT_EQ(controls.Position("TrB_thresh"), 100);
}

TEST_F(MainControls, TileSizeAndStopStepFollowTheirFields) {
  controls.SetByUser("E_nbSize", "7");
  EXPECT_EQ(world.TileSize, 7);
  controls.SetByUser("E_stopT", "42");
  EXPECT_EQ(world.StopStep, 42);
}

TEST_F(MainControls, AgentSizeChangesOnlyThroughTheUpDownClick) {
  world.AgentSize = 2;
  controls.SetByUser("Edit_agentSize", "9");
  EXPECT_EQ(world.AgentSize, 2);
  EXPECT_EQ(controls.Position("UpD_agentSz"), 9);
  controls.SetByUser("UpD_agentSz", "5");
  EXPECT_EQ(world.AgentSize, 5);
  EXPECT_EQ(controls.Text("Edit_agentSize"), "5");
}

TEST_F(MainControls, UpDownPositionsAreClampedAndWrittenIntoTheirEdit) {
  controls.SetPosition("UpD_nrGroups", 1);
  EXPECT_EQ(controls.Text("Edit_anzGr"), "2");
  controls.SetPosition("UpD_radNb", 5000);
  EXPECT_EQ(controls.Text("Edit_nRad"), "1000");
}

TEST_F(MainControls, RadioButtonsExcludeEachOther) {
  controls.SetByUser("RB_count_diff", "1");
  EXPECT_TRUE(controls.Checked("RB_count_diff"));
  EXPECT_FALSE(controls.Checked("RB_count_no"));
  controls.SetByUser("RB_count_simi", "1");
  EXPECT_FALSE(controls.Checked("RB_count_diff"));
}

TEST_F(MainControls, DefaultsOfASample) {
  EXPECT_EQ(controls.Text("Edit_anzAg"), "12000");
  EXPECT_EQ(controls.Text("E_rentMin"), "-1,00");
  EXPECT_EQ(controls.Text("E_rentMax"), "+1,00");
  EXPECT_EQ(controls.Text(WeightControlName(-2)), "0,33");
  EXPECT_EQ(controls.Text(WeightControlName(3)), "8");
  EXPECT_EQ(controls.ItemIndex("CB_strType"), -1);
  EXPECT_TRUE(controls.Checked("cb_individTol"));
  EXPECT_TRUE(controls.Checked("Timer1"));
  EXPECT_EQ(controls.Get("B_stop").FontColor, kGreen);
  EXPECT_EQ(controls.Text("Caption"), "Vicinara");
}

TEST_F(MainControls, BadUserValuesAreRefused) {
  EXPECT_THROW(controls.SetByUser("CB_strOcc", "yes"), UserError);
  EXPECT_THROW(controls.SetByUser("CB_strType", "6"), UserError);
  EXPECT_THROW(controls.SetByUser("Lbl_P", "5"), UserError);
  EXPECT_THROW(controls.SetByUser("NoSuchControl", "5"), std::out_of_range);
  controls.SetByUser("CB_strType", "2");
  EXPECT_EQ(controls.Text("CB_strType"), " street type -1");
}

TEST_F(MainControls, ListenersSeeEveryChange) {
  std::vector<std::string> changed;
  const int id = controls.Subscribe([&](const Control& c, ControlEvent) { changed.push_back(c.Name); });
  controls.SetByUser("TrB_thresh", "60");
  controls.Unsubscribe(id);
  controls.SetByUser("TrB_thresh", "50");
  EXPECT_EQ(changed, (std::vector<std::string>{"TrB_thresh", "UpD_thresh", "Lbl_P"}));
}

}  // namespace
}  // namespace world
