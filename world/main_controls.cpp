#include "main_controls.h"

#include <cmath>

#include "control_builders.h"
#include "convert.h"

namespace world {

std::string WeightControlName(int type) { return "SG_weight." + IntToText(type + 4); }

std::string RentEditName(int group) { return "E_Rent" + IntToText(group); }

std::string RentLabelName(int group) { return "Lbl_Rent" + IntToText(group); }

void BuildMainControls(ControlModel& m, World& w) {
  // Handlers. Each reads the field it checks at the moment it runs.
  auto anzAgChange = [&m, &w] {
    const int agents = m.Int("Edit_anzAg");
    const long long cells = static_cast<long long>(w.GridRows) * w.GridCols;
    if (agents > cells) m.SetText("Edit_anzAg", IntToText(cells - Round(static_cast<double>(cells) * 0.05)));
  };
  auto anzGrChange = [&m] {
    if (m.Int("Edit_anzGr") < 1) m.SetText("Edit_anzGr", "1");
  };
  auto cellSizChange = [&m] {
    if (static_cast<double>(kPanelWidth) / 20.0 < m.Int("Edit_cellSiz")) {
      m.SetText("Edit_cellSiz", IntToText(static_cast<long long>(std::floor(kPanelWidth / 20.0))));
    }
    if (m.Int("Edit_cellSiz") < 1) m.SetText("Edit_cellSiz", "1");
  };
  auto mDistChange = [&m, &w] {
    // A distance beyond half the rows becomes half the rows, rounded down.
    if (m.Int("Edit_mDist") > w.GridRows / 2.0) m.SetText("Edit_mDist", IntToText(w.GridRows / 2));
    if (m.Int("Edit_mDist") < 1) m.SetText("Edit_mDist", "1");
  };
  auto nRadChange = [&m] {
    if (m.Int("Edit_nRad") < 1) m.SetText("Edit_nRad", "1");
  };

  // Tab "setup", group box "setup settings".
  Control c = MakeEdit("Edit_anzAg", ": number of agents", "12000", NumberKind::Integer, true);
  c.OnChange = anzAgChange;
  m.Add(std::move(c));

  c = MakeEdit("Edit_agentSize", ": agent size", "6", NumberKind::Integer);
  c.OnChange = cellSizChange;
  Control u = MakeUpDown("UpD_agentSz", "Edit_agentSize", 1, 50, 6);
  u.OnClick = [&m, &w] { w.AgentSize = m.Position("UpD_agentSz"); };
  AddEditWithUpDown(m, std::move(c), std::move(u));

  c = MakeEdit("Edit_cellSiz", ": cell size", "6", NumberKind::Integer, true);
  c.OnChange = cellSizChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_sellSz", "Edit_cellSiz", 1, 50, 6));

  c = MakeEdit("Edit_anzGr", ": number of groups", "6", NumberKind::Integer, true);
  c.OnChange = anzGrChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_nrGroups", "Edit_anzGr", 2, 1000, 6));

  c = MakeEdit("Edit_nRad", ": radius neighbourh.", "2", NumberKind::Integer, true);
  c.OnChange = nRadChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_radNb", "Edit_nRad", 1, 1000, 2));

  c = MakeEdit("Edit_mDist", ": move distance", "54", NumberKind::Integer, true);
  c.OnChange = mDistChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_moveDist", "Edit_mDist", 2, 1000, 54));

  m.Add(MakeCheckBox("CB_graphicUpd", "run with graphic (slower)", true));
  m.Add(MakeCheckBox("CB_strOcc", "allow street occupation", false));
  m.Add(MakeCheckBox("cb_indiGroups", "activate", false));

  // Group box "growth".
  m.Add(MakeCheckBox("CB_actiGrow", "activate", false));
  m.Add(MakeLabel("Lbl_nrAgents", "nr agents"));
  c = MakeEdit("E_startGrowWith", "start with agents:", "100", NumberKind::Integer);
  c.OnChange = anzAgChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpDown6", "E_startGrowWith", 1, 32000, 100, 10));
  c = MakeEdit("E_growRate", "add agents per timestep:", "10", NumberKind::Integer);
  c.OnChange = anzAgChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpDown7", "E_growRate", 1, 32000, 10, 5));

  m.Add(MakeCheckBox("CB_showAgs", "show agents", true));
  m.Add(MakeCheckBox("CB_showRentSc", "show rent landscape", true));

  // Tab "parameter", group box "tolerance settings".
  m.Add(MakeLabel("Lbl_P", "___"));
  Control track;
  track.Name = "TrB_thresh";
  track.Kind = ControlKind::TrackBar;
  track.Min = 0;
  track.Max = 100;
  track.Position = 100;
  track.Increment = 5;
  track.OnChange = [&m, &w] {
    const int position = m.Position("TrB_thresh");
    m.SetPosition("UpD_thresh", position);
    m.SetText("Lbl_P", IntToText(position));
    w.Threshold = position;
  };
  m.Add(std::move(track));
  u = MakeUpDown("UpD_thresh", "", 0, 100, 100);
  u.OnClick = [&m, &w] {
    m.SetPosition("TrB_thresh", m.Position("UpD_thresh"));
    w.Threshold = m.Position("UpD_thresh");
  };
  m.Add(std::move(u));
  m.Add(MakeCheckBox("cb_individTol", "activate individual thresholds", true));

  // Group box "group thresholds": they act only through "set" or the tolerance window.
  c = MakeEdit("E_toItself", "to itself (basis):", "0", NumberKind::Integer);
  c.OnChange = cellSizChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_toItself", "E_toItself", 0, 100, 0));
  c = MakeEdit("E_toSuper", "to superior: distance *", "0", NumberKind::Integer);
  c.OnChange = cellSizChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_toSuper", "E_toSuper", -100, 100, 0));
  c = MakeEdit("E_toInfer", "to inferior  : distance *", "-20", NumberKind::Integer);
  c.OnChange = cellSizChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_toInfer", "E_toInfer", -100, 100, -20));
  c = MakeEdit("E_toEmpty", "to empty:", "0", NumberKind::Integer);
  c.OnChange = cellSizChange;
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpD_toEmpty", "E_toEmpty", 0, 100, 0));

  m.Add(MakeRadioButton("RB_count_no", "do not count empty cells", "RadioGroup1", true));
  m.Add(MakeRadioButton("RB_count_diff", "count empty cells as different", "RadioGroup1", false));
  m.Add(MakeRadioButton("RB_count_simi", "count empty cells as similar", "RadioGroup1", false));

  // Tab "analysis".
  AddEditWithUpDown(m, MakeEdit("E_clusterT", ": cluster thr.", "10", NumberKind::Integer, true),
                    MakeUpDown("UpD_clS", "E_clusterT", 1, 10000, 10));
  c = MakeEdit("E_nbSize", ": grid size", "20", NumberKind::Integer, true);
  c.OnChange = [&m, &w] { w.TileSize = m.Int("E_nbSize"); };
  AddEditWithUpDown(m, std::move(c), MakeUpDown("UpDown5", "E_nbSize", 1, 10000, 20));

  // Group box "save windows ".
  m.Add(MakeCheckBox("cb_save_main", "main window with cells and agents", true));
  m.Add(MakeCheckBox("cb_save_basic", "basic process recording charts", false));
  m.Add(MakeCheckBox("cb_save_paraSp", "parameterspace (ps) charts", false));
  m.Add(MakeCheckBox("cb_save_growth", "analyse growth charts", false));
  m.Add(MakeCheckBox("cb_save_streets", "analyse streets charts", false));
  m.Add(MakeCheckBox("cb_save_stability", "analyse stability charts", true));
  m.Add(MakeCheckBox("cb_save_3DSurf", "3D stability surface", true));
  m.Add(MakeEdit("E_sRound", "round:", "01", NumberKind::None));
  m.Add(MakeEdit("E_sName", "examination name:", "please enter name", NumberKind::None));

  // Tab "streets".
  Control combo;
  combo.Name = "CB_strType";
  combo.Kind = ControlKind::ComboBox;
  combo.Text = " choose street type";
  combo.Items = {" street type -3", " street type -2", " street type -1",
                 " street type +1", " street type +2", " street type +3"};
  m.Add(std::move(combo));
  m.Add(MakeCheckBox("CB_hideAgs", "draw without agents", true));
  const char* weightTexts[kStreetTypeCount] = {"0", "0,33", "0,67", "1", "2", "4", "8"};
  const char* typeTexts[kStreetTypeCount] = {"-3", "-2", "-1", "0", "+1", "+2", "+3"};
  for (int t = -3; t <= 3; ++t) {
    Control cell;
    cell.Name = WeightControlName(t);
    cell.Kind = ControlKind::GridCell;
    cell.Caption = typeTexts[t + 3];
    cell.Text = weightTexts[t + 3];
    cell.Number = NumberKind::Real;
    m.Add(std::move(cell));
  }
  AddEditWithUpDown(m, MakeEdit("Ed_rows", ": rows", "5", NumberKind::Integer), MakeUpDown("UpD_rows", "Ed_rows", 1, 10000, 5));
  AddEditWithUpDown(m, MakeEdit("Ed_cols", ": columns", "5", NumberKind::Integer),
                    MakeUpDown("UpD_cols", "Ed_cols", 1, 10000, 5));
  AddEditWithUpDown(m, MakeEdit("Ed_nrStr", ": streets", "20", NumberKind::Integer),
                    MakeUpDown("UpD_nrStr", "Ed_nrStr", 1, 10000, 20, 5));
  AddEditWithUpDown(m, MakeEdit("Ed_strType", ": street type", "3", NumberKind::Integer),
                    MakeUpDown("UpD_strType", "Ed_strType", -3, 3, 3));
  m.Add(MakeCheckBox("CB_rndTyp", "random street types", true));

  // Tab "rent".
  m.Add(MakeCheckBox("cb_actiRentLand", "activate rent landscape", true));
  m.Add(MakeEdit("E_rentMin", "min rent:", "-1,00", NumberKind::Real));
  m.Add(MakeEdit("E_rentMax", "max rent:", "+1,00", NumberKind::Real));
  m.Add(MakeLabel("lbl_budgetR", "____"));

  // Below the tabs.
  m.Add(MakeLabel("lbl_Steps", ""));
  Control stop;
  stop.Name = "B_stop";
  stop.Kind = ControlKind::Button;
  stop.Caption = "start / stop";
  stop.FontColor = kGreen;
  m.Add(std::move(stop));
  m.Add(MakeLabel("Lbl_cellS", ""));
  m.Add(MakeLabel("Lbl_strCell", "0"));
  c = MakeEdit("E_stopT", ": stop at timestep", "500", NumberKind::Integer, true);
  c.OnChange = [&m, &w] { w.StopStep = m.Int("E_stopT"); };
  m.Add(std::move(c));
  Control timer;
  timer.Name = "Timer1";
  timer.Kind = ControlKind::Timer;
  timer.Checked = true;
  m.Add(std::move(timer));
  m.Add(MakeLabel("Caption", "Vicinara"));
}

}  // namespace world
