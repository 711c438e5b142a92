#include "simulation/controls.h"

#include <gtest/gtest.h>

#include "simulation/control_builders.h"
#include "world/convert.h"
#include "simulation/main_controls.h"

namespace simulation {
namespace {

class MainControls : public ::testing::Test {
 protected:
  void SetUp() override {
    world.GridCols = 116;
    world.GridRows = 116;
    BuildMainControls(controls, world);
  }
  world::World world;
  ControlModel controls;
};

// The handles and the component names are one table: every handle has its
// control, under its own name, and reaching it by handle or by name is the same.
TEST_F(MainControls, EveryHandleReachesItsControlUnderItsName) {
  EXPECT_EQ(controls.Names().size(), static_cast<std::size_t>(kMainControlCount));
  for (int i = 0; i < kMainControlCount; ++i) {
    const auto id = static_cast<MainControl>(i);
    const std::string name(NameOf(id));
    ASSERT_EQ(FindMainControl(name), id) << name;
    EXPECT_EQ(&controls.Get(id), &controls.Get(name)) << name;
    EXPECT_EQ(controls.Get(id).Name, name);
  }
  EXPECT_FALSE(FindMainControl("Edit_anzag").has_value());
  EXPECT_EQ(NameOf(StreetWeightControl(-3)), "SG_weight.1");
  EXPECT_EQ(NameOf(StreetWeightControl(3)), "SG_weight.7");
  EXPECT_EQ(controls.Get(MainControl::AgentSize).Associate, "UpD_agentSz");
  EXPECT_EQ(controls.Get(MainControl::AgentSizeUpDown).Associate, "Edit_agentSize");
}

TEST(ControlKeys, AHandleFallsBackToTheNameAndARemovedControlIsGone) {
  ControlModel fields;  // another window's model that has a field of the same name
  fields.Add(MakeLabel("E_clusterT", "7"));
  EXPECT_EQ(fields.Text(MainControl::ClusterThreshold), "7");
  EXPECT_FALSE(fields.Has(MainControl::AgentCount));

  world::World w;
  ControlModel main;
  BuildMainControls(main, w);
  main.Remove("Lbl_P");
  EXPECT_FALSE(main.Has(MainControl::ThresholdLabel));
  EXPECT_THROW(main.Get(MainControl::ThresholdLabel), std::out_of_range);
}

TEST_F(MainControls, AgentsAboveTheCellsBecomeNinetyFivePercent) {
  controls.SetByUser("Edit_anzAg", "20000");
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "12783");
  controls.SetByUser("Edit_anzAg", "13456");
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "13456");
  controls.SetByUser("Edit_anzAg", "13457");
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "12783");
}

TEST_F(MainControls, GrowthFieldsCheckTheNumberOfAgents) {
  controls.Get(MainControl::AgentCount).Text = "99999";  // as if typed before the world shrank
  controls.SetByUser("E_growRate", "15");
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "12783");
}

TEST_F(MainControls, CellSizeIsClampedToOneAndThirtyFour) {
  controls.SetByUser("Edit_cellSiz", "50");
  EXPECT_EQ(controls.Text(MainControl::CellSize), "34");
  EXPECT_EQ(controls.Position(MainControl::CellSizeUpDown), 34);
  controls.SetByUser("Edit_cellSiz", "0");
  EXPECT_EQ(controls.Text(MainControl::CellSize), "1");
}

TEST_F(MainControls, SmallValuesAreRaisedToOne) {
  controls.SetByUser("Edit_anzGr", "0");
  EXPECT_EQ(controls.Text(MainControl::GroupCount), "1");
  controls.SetByUser("Edit_nRad", "0");
  EXPECT_EQ(controls.Text(MainControl::Radius), "1");
  controls.SetByUser("Edit_mDist", "0");
  EXPECT_EQ(controls.Text(MainControl::MoveDistance), "1");
}

TEST_F(MainControls, MoveDistanceAboveHalfTheRowsBecomesHalfTheRows) {
  controls.SetByUser("Edit_mDist", "59");
  EXPECT_EQ(controls.Text(MainControl::MoveDistance), "58");
  controls.SetByUser("Edit_mDist", "58");
  EXPECT_EQ(controls.Text(MainControl::MoveDistance), "58");
}

TEST_F(MainControls, AClearedFieldReportsAndKeepsItsText) {
  try {
    controls.SetByUser("Edit_anzAg", "");
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "'' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "");
}

TEST_F(MainControls, DigitsOnlyFieldsRefuseSignsAndSeparators) {
  EXPECT_THROW(controls.SetByUser("Edit_anzAg", "-5"), world::UserError);
  EXPECT_THROW(controls.SetByUser("E_stopT", "1,5"), world::UserError);
  EXPECT_EQ(controls.Text(MainControl::StopStep), "500");
  controls.SetByUser("E_toInfer", "-30");  // not digits-only
  EXPECT_EQ(controls.Position(MainControl::ToleranceToInferiorUpDown), -30);
}

TEST_F(MainControls, TrackBarDrivesLabelUpDownAndThreshold) {
  controls.SetByUser("TrB_thresh", "70");
  EXPECT_EQ(controls.Text(MainControl::ThresholdLabel), "70");
  EXPECT_EQ(controls.Position(MainControl::ThresholdUpDown), 70);
  EXPECT_EQ(world.Threshold, 70);
  controls.SetByUser("UpD_thresh", "40");
  EXPECT_EQ(controls.Position(MainControl::Threshold), 40);
  EXPECT_EQ(world.Threshold, 40);
  controls.SetByUser("TrB_thresh", "150");
  EXPECT_EQ(controls.Position(MainControl::Threshold), 100);
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
  EXPECT_EQ(controls.Position(MainControl::AgentSizeUpDown), 9);
  controls.SetByUser("UpD_agentSz", "5");
  EXPECT_EQ(world.AgentSize, 5);
  EXPECT_EQ(controls.Text(MainControl::AgentSize), "5");
}

TEST_F(MainControls, UpDownPositionsAreClampedAndWrittenIntoTheirEdit) {
  controls.SetPosition(MainControl::GroupCountUpDown, 1);
  EXPECT_EQ(controls.Text(MainControl::GroupCount), "2");
  controls.SetPosition(MainControl::RadiusUpDown, 5000);
  EXPECT_EQ(controls.Text(MainControl::Radius), "1000");
}

TEST_F(MainControls, RadioButtonsExcludeEachOther) {
  controls.SetByUser("RB_count_diff", "1");
  EXPECT_TRUE(controls.Checked(MainControl::EmptyAsDifferent));
  EXPECT_FALSE(controls.Checked(MainControl::EmptyNotCounted));
  controls.SetByUser("RB_count_simi", "1");
  EXPECT_FALSE(controls.Checked(MainControl::EmptyAsDifferent));
}

TEST_F(MainControls, DefaultsOfASample) {
  EXPECT_EQ(controls.Text(MainControl::AgentCount), "12000");
  EXPECT_EQ(controls.Text(MainControl::RentMin), "-1,00");
  EXPECT_EQ(controls.Text(MainControl::RentMax), "+1,00");
  EXPECT_EQ(controls.Text(WeightControlName(-2)), "0,33");
  EXPECT_EQ(controls.Text(WeightControlName(3)), "8");
  EXPECT_EQ(controls.ItemIndex(MainControl::StreetTypeChoice), -1);
  EXPECT_TRUE(controls.Checked(MainControl::IndividualThresholds));
  EXPECT_TRUE(controls.Checked(MainControl::Timer));
  EXPECT_EQ(controls.Get(MainControl::StartStop).FontColor, world::kGreen);
  EXPECT_EQ(controls.Text(MainControl::Caption), "Vicinara");
}

TEST_F(MainControls, BadUserValuesAreRefused) {
  EXPECT_THROW(controls.SetByUser("CB_strOcc", "yes"), world::UserError);
  EXPECT_THROW(controls.SetByUser("CB_strType", "6"), world::UserError);
  EXPECT_THROW(controls.SetByUser("Lbl_P", "5"), world::UserError);
  EXPECT_THROW(controls.SetByUser("NoSuchControl", "5"), std::out_of_range);
  controls.SetByUser("CB_strType", "2");
  EXPECT_EQ(controls.Text(MainControl::StreetTypeChoice), " street type -1");
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
}  // namespace simulation
