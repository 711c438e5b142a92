#include "main_controls.h"

#include <cmath>
#include <optional>
#include <vector>

#include "world/convert.h"

namespace simulation {

std::string WeightControlName(int type) { return "SG_weight." + world::IntToText(type + 4); }

std::string RentEditName(int group) { return "E_Rent" + world::IntToText(group); }

std::string RentLabelName(int group) { return "Lbl_Rent" + world::IntToText(group); }

namespace {

using C = MainControl;
using Handler = void (*)(ControlModel&, world::World&);

// --- Handlers. Each reads the field it checks at the moment it runs. ---------

void AgentCountChanged(ControlModel& m, world::World& w) {
  const int agents = m.Int(C::AgentCount);
  const long long cells = static_cast<long long>(w.GridRows) * w.GridCols;
  if (agents > cells)
    m.SetText(C::AgentCount, world::IntToText(cells - world::Round(static_cast<double>(cells) * 0.05)));
}

void GroupCountChanged(ControlModel& m, world::World&) {
  if (m.Int(C::GroupCount) < 1) m.SetText(C::GroupCount, "1");
}

// Runs for the agent size and the group thresholds too, and checks the cell size.
void CellSizeChanged(ControlModel& m, world::World&) {
  if (static_cast<double>(world::kPanelWidth) / 20.0 < m.Int(C::CellSize)) {
    m.SetText(C::CellSize, world::IntToText(static_cast<long long>(std::floor(world::kPanelWidth / 20.0))));
  }
  if (m.Int(C::CellSize) < 1) m.SetText(C::CellSize, "1");
}

void MoveDistanceChanged(ControlModel& m, world::World& w) {
  // A distance beyond half the rows becomes half the rows, rounded down.
  if (m.Int(C::MoveDistance) > w.GridRows / 2.0) m.SetText(C::MoveDistance, world::IntToText(w.GridRows / 2));
  if (m.Int(C::MoveDistance) < 1) m.SetText(C::MoveDistance, "1");
}

void RadiusChanged(ControlModel& m, world::World&) {
  if (m.Int(C::Radius) < 1) m.SetText(C::Radius, "1");
}

void AgentSizeClicked(ControlModel& m, world::World& w) { w.AgentSize = m.Position(C::AgentSizeUpDown); }

void ThresholdMoved(ControlModel& m, world::World& w) {
  const int position = m.Position(C::Threshold);
  m.SetPosition(C::ThresholdUpDown, position);
  m.SetText(C::ThresholdLabel, world::IntToText(position));
  w.Threshold = position;
}

void ThresholdClicked(ControlModel& m, world::World& w) {
  m.SetPosition(C::Threshold, m.Position(C::ThresholdUpDown));
  w.Threshold = m.Position(C::ThresholdUpDown);
}

void TileSizeChanged(ControlModel& m, world::World& w) { w.TileSize = m.Int(C::TileSize); }

void StopStepChanged(ControlModel& m, world::World& w) { w.StopStep = m.Int(C::StopStep); }

// --- The table. ----------------------------------------------------------------

// One control as the table lists it; an up-down and its edit name each other.
struct Row {
  MainControl Id;
  ControlKind Kind;
  const char* Caption = "";
  const char* Text = "";  // edits, labels and grid cells; a combo box's text
  NumberKind Number = NumberKind::None;
  bool DigitsOnly = false;
  bool Checked = false;  // check boxes, radio buttons; a timer's enabled state
  int Min = 0;
  int Max = 0;
  int Position = 0;
  int Increment = 1;
  std::optional<MainControl> Associate = std::nullopt;
  const char* Group = "";  // radio group
  std::vector<std::string> Items = {};
  world::ColorRef FontColor = 0;
  Handler OnChange = nullptr;
  Handler OnClick = nullptr;
};

using K = ControlKind;
using N = NumberKind;

Row Edit(C id, const char* caption, const char* text, N number, bool digitsOnly, C upDown, Handler onChange = nullptr) {
  return {.Id = id, .Kind = K::Edit, .Caption = caption, .Text = text, .Number = number, .DigitsOnly = digitsOnly,
          .Associate = upDown, .OnChange = onChange};
}

Row UpDown(C id, C edit, int min, int max, int position, int increment = 1, Handler onClick = nullptr) {
  return {.Id = id, .Kind = K::UpDown, .Min = min, .Max = max, .Position = position, .Increment = increment,
          .Associate = edit, .OnClick = onClick};
}

Row CheckBox(C id, const char* caption, bool checked) {
  return {.Id = id, .Kind = K::CheckBox, .Caption = caption, .Checked = checked};
}

Row Label(C id, const char* text) { return {.Id = id, .Kind = K::Label, .Text = text}; }

Row WeightCell(C id, const char* type, const char* weight) {
  return {.Id = id, .Kind = K::GridCell, .Caption = type, .Text = weight, .Number = N::Real};
}

const std::vector<Row>& MainTable() {
  static const std::vector<Row> table{
      // Tab "setup", group box "setup settings".
      {.Id = C::AgentCount,
       .Kind = K::Edit,
       .Caption = ": number of agents",
       .Text = "12000",
       .Number = N::Integer,
       .DigitsOnly = true,
       .OnChange = AgentCountChanged},
      Edit(C::AgentSize, ": agent size", "6", N::Integer, false, C::AgentSizeUpDown, CellSizeChanged),
      UpDown(C::AgentSizeUpDown, C::AgentSize, 1, 50, 6, 1, AgentSizeClicked),
      Edit(C::CellSize, ": cell size", "6", N::Integer, true, C::CellSizeUpDown, CellSizeChanged),
      UpDown(C::CellSizeUpDown, C::CellSize, 1, 50, 6),
      Edit(C::GroupCount, ": number of groups", "6", N::Integer, true, C::GroupCountUpDown, GroupCountChanged),
      UpDown(C::GroupCountUpDown, C::GroupCount, 2, 1000, 6),
      Edit(C::Radius, ": radius neighbourh.", "2", N::Integer, true, C::RadiusUpDown, RadiusChanged),
      UpDown(C::RadiusUpDown, C::Radius, 1, 1000, 2),
      Edit(C::MoveDistance, ": move distance", "54", N::Integer, true, C::MoveDistanceUpDown, MoveDistanceChanged),
      UpDown(C::MoveDistanceUpDown, C::MoveDistance, 2, 1000, 54),
      CheckBox(C::RunWithGraphic, "run with graphic (slower)", true),
      CheckBox(C::StreetOccupation, "allow street occupation", false),
      CheckBox(C::IndividualGroupSizes, "activate", false),

      // Group box "growth".
      CheckBox(C::Growth, "activate", false),
      Label(C::AgentCountLabel, "nr agents"),
      Edit(C::GrowthStart, "start with agents:", "100", N::Integer, false, C::GrowthStartUpDown, AgentCountChanged),
      UpDown(C::GrowthStartUpDown, C::GrowthStart, 1, 32000, 100, 10),
      Edit(C::GrowthRate, "add agents per timestep:", "10", N::Integer, false, C::GrowthRateUpDown, AgentCountChanged),
      UpDown(C::GrowthRateUpDown, C::GrowthRate, 1, 32000, 10, 5),
      CheckBox(C::ShowAgents, "show agents", true),
      CheckBox(C::ShowRentLandscape, "show rent landscape", true),

      // Tab "parameter", group box "tolerance settings".
      Label(C::ThresholdLabel, "___"),
      {.Id = C::Threshold,
       .Kind = K::TrackBar,
       .Min = 0,
       .Max = 100,
       .Position = 100,
       .Increment = 5,
       .OnChange = ThresholdMoved},
      {.Id = C::ThresholdUpDown, .Kind = K::UpDown, .Min = 0, .Max = 100, .Position = 100, .OnClick = ThresholdClicked},
      CheckBox(C::IndividualThresholds, "activate individual thresholds", true),

      // Group box "group thresholds": they act only through "set" or the tolerance window.
      Edit(C::ToleranceToItself, "to itself (basis):", "0", N::Integer, false, C::ToleranceToItselfUpDown,
           CellSizeChanged),
      UpDown(C::ToleranceToItselfUpDown, C::ToleranceToItself, 0, 100, 0),
      Edit(C::ToleranceToSuperior, "to superior: distance *", "0", N::Integer, false, C::ToleranceToSuperiorUpDown,
           CellSizeChanged),
      UpDown(C::ToleranceToSuperiorUpDown, C::ToleranceToSuperior, -100, 100, 0),
      Edit(C::ToleranceToInferior, "to inferior  : distance *", "-20", N::Integer, false, C::ToleranceToInferiorUpDown,
           CellSizeChanged),
      UpDown(C::ToleranceToInferiorUpDown, C::ToleranceToInferior, -100, 100, -20),
      Edit(C::ToleranceToEmpty, "to empty:", "0", N::Integer, false, C::ToleranceToEmptyUpDown, CellSizeChanged),
      UpDown(C::ToleranceToEmptyUpDown, C::ToleranceToEmpty, 0, 100, 0),
      {.Id = C::EmptyNotCounted,
       .Kind = K::RadioButton,
       .Caption = "do not count empty cells",
       .Checked = true,
       .Group = "RadioGroup1"},
      {.Id = C::EmptyAsDifferent,
       .Kind = K::RadioButton,
       .Caption = "count empty cells as different",
       .Group = "RadioGroup1"},
      {.Id = C::EmptyAsSimilar,
       .Kind = K::RadioButton,
       .Caption = "count empty cells as similar",
       .Group = "RadioGroup1"},

      // Tab "analysis".
      Edit(C::ClusterThreshold, ": cluster thr.", "10", N::Integer, true, C::ClusterThresholdUpDown),
      UpDown(C::ClusterThresholdUpDown, C::ClusterThreshold, 1, 10000, 10),
      Edit(C::TileSize, ": grid size", "20", N::Integer, true, C::TileSizeUpDown, TileSizeChanged),
      UpDown(C::TileSizeUpDown, C::TileSize, 1, 10000, 20),

      // Group box "save windows ".
      CheckBox(C::SaveMain, "main window with cells and agents", true),
      CheckBox(C::SaveBasic, "basic process recording charts", false),
      CheckBox(C::SaveParameterSpace, "parameterspace (ps) charts", false),
      CheckBox(C::SaveGrowth, "analyse growth charts", false),
      CheckBox(C::SaveStreets, "analyse streets charts", false),
      CheckBox(C::SaveStability, "analyse stability charts", true),
      CheckBox(C::SaveSurface, "3D stability surface", true),
      {.Id = C::SaveRound, .Kind = K::Edit, .Caption = "round:", .Text = "01"},
      {.Id = C::SaveName, .Kind = K::Edit, .Caption = "examination name:", .Text = "please enter name"},

      // Tab "streets".
      {.Id = C::StreetTypeChoice,
       .Kind = K::ComboBox,
       .Text = " choose street type",
       .Items = {" street type -3", " street type -2", " street type -1", " street type +1", " street type +2",
                 " street type +3"}},
      CheckBox(C::DrawWithoutAgents, "draw without agents", true),
      WeightCell(C::StreetWeightMinus3, "-3", "0"),
      WeightCell(C::StreetWeightMinus2, "-2", "0,33"),
      WeightCell(C::StreetWeightMinus1, "-1", "0,67"),
      WeightCell(C::StreetWeightZero, "0", "1"),
      WeightCell(C::StreetWeightPlus1, "+1", "2"),
      WeightCell(C::StreetWeightPlus2, "+2", "4"),
      WeightCell(C::StreetWeightPlus3, "+3", "8"),
      Edit(C::StreetRows, ": rows", "5", N::Integer, false, C::StreetRowsUpDown),
      UpDown(C::StreetRowsUpDown, C::StreetRows, 1, 10000, 5),
      Edit(C::StreetCols, ": columns", "5", N::Integer, false, C::StreetColsUpDown),
      UpDown(C::StreetColsUpDown, C::StreetCols, 1, 10000, 5),
      Edit(C::StreetCount, ": streets", "20", N::Integer, false, C::StreetCountUpDown),
      UpDown(C::StreetCountUpDown, C::StreetCount, 1, 10000, 20, 5),
      Edit(C::StreetType, ": street type", "3", N::Integer, false, C::StreetTypeUpDown),
      UpDown(C::StreetTypeUpDown, C::StreetType, -3, 3, 3),
      CheckBox(C::RandomStreetTypes, "random street types", true),

      // Tab "rent".
      CheckBox(C::RentLandscape, "activate rent landscape", true),
      {.Id = C::RentMin, .Kind = K::Edit, .Caption = "min rent:", .Text = "-1,00", .Number = N::Real},
      {.Id = C::RentMax, .Kind = K::Edit, .Caption = "max rent:", .Text = "+1,00", .Number = N::Real},
      Label(C::BudgetLabel, "____"),

      // Below the tabs.
      Label(C::StepsLabel, ""),
      {.Id = C::StartStop, .Kind = K::Button, .Caption = "start / stop", .FontColor = world::kGreen},
      Label(C::CellSizeLabel, ""),
      Label(C::StreetCellsLabel, "0"),
      {.Id = C::StopStep,
       .Kind = K::Edit,
       .Caption = ": stop at timestep",
       .Text = "500",
       .Number = N::Integer,
       .DigitsOnly = true,
       .OnChange = StopStepChanged},
      {.Id = C::Timer, .Kind = K::Timer, .Checked = true},
      Label(C::Caption, "Vicinara"),
  };
  return table;
}

}  // namespace

void BuildMainControls(ControlModel& m, world::World& w) {
  for (const Row& row : MainTable()) {
    Control c;
    c.Kind = row.Kind;
    c.Caption = row.Caption;
    c.Text = row.Text;
    c.Number = row.Number;
    c.DigitsOnly = row.DigitsOnly;
    c.Checked = row.Checked;
    c.Min = row.Min;
    c.Max = row.Max;
    c.Position = row.Position;
    c.Increment = row.Increment;
    if (row.Associate) c.Associate = std::string(NameOf(*row.Associate));
    c.Group = row.Group;
    c.Items = row.Items;
    c.FontColor = row.FontColor;
    if (Handler f = row.OnChange) c.OnChange = [f, &m, &w] { f(m, w); };
    if (Handler f = row.OnClick) c.OnClick = [f, &m, &w] { f(m, w); };
    m.Add(row.Id, std::move(c));
  }
}

}  // namespace simulation
