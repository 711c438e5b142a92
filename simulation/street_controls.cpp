#include "street_controls.h"

#include "world/convert.h"
#include "main_controls.h"

namespace simulation {

streets::StreetWeightTexts StreetWeightTextsOf(const ControlModel& controls) {
  streets::StreetWeightTexts texts;
  for (int type = -3; type <= 3; ++type) {
    texts[static_cast<std::size_t>(type + 3)] = controls.Text(StreetWeightControl(type));
  }
  return texts;
}

streets::TypeChoice ReadTypeChoice(const ControlModel& controls) {
  return {controls.Checked(MainControl::RandomStreetTypes), controls.Position(MainControl::StreetTypeUpDown)};
}

streets::StreetEditor::Hooks StreetEditorHooks(world::World& world, ControlModel& controls) {
  world::World* w = &world;
  ControlModel* c = &controls;
  streets::StreetEditor::Hooks hooks;
  hooks.TypeItem = [c] { return c->ItemIndex(MainControl::StreetTypeChoice); };
  hooks.DrawWithoutAgents = [c] { return c->Checked(MainControl::DrawWithoutAgents); };
  hooks.WeightTexts = [c] { return StreetWeightTextsOf(*c); };
  hooks.StopRun = [c] {
    c->SetChecked(MainControl::Timer, false);
    c->SetFontColor(MainControl::StartStop, world::kRed);
  };
  hooks.Imprinted = [w, c] { ShowStreetCells(*w, *c); };
  return hooks;
}

void ShowStreetCells(const world::World& world, ControlModel& controls) {
  controls.SetText(MainControl::StreetCellsLabel, world::IntToText(world.StreetCellCount));
}

streets::StreetWeights ParseNeededWeights(const world::World& world, const ControlModel& controls) {
  return streets::ParseNeededWeights(world, StreetWeightTextsOf(controls));
}

void ImprintStreets(world::World& world, ControlModel& controls) {
  streets::ImprintStreets(world, StreetWeightTextsOf(controls));
  ShowStreetCells(world, controls);
}

void ApplyStreetGrid(world::World& world, ControlModel& controls) {
  streets::ApplyStreetGrid(world, StreetWeightTextsOf(controls));
  ShowStreetCells(world, controls);
}

void DrawStreetGrid(world::World& world, ControlModel& controls, int n, int m, streets::TypeChoice choice,
                    streets::StreetEditor* editor) {
  streets::DrawStreetGrid(world, StreetWeightTextsOf(controls), n, m, choice, editor);
  ShowStreetCells(world, controls);
}

void DrawRandomStreets(world::World& world, ControlModel& controls, int count, streets::TypeChoice choice,
                       streets::StreetEditor* editor) {
  streets::DrawRandomStreets(world, StreetWeightTextsOf(controls), count, choice, editor);
  ShowStreetCells(world, controls);
}

void DeleteStreets(world::World& world, ControlModel& controls) {
  streets::DeleteStreets(world, StreetWeightTextsOf(controls));
  ShowStreetCells(world, controls);
}

}  // namespace simulation
