#include "world_handle.h"

#include <algorithm>
#include <utility>

#include "cli/control_settings.h"
#include "cli/report.h"

namespace pyvicinara {

WorldHandle::WorldHandle(std::optional<std::uint64_t> seed, const std::vector<std::string>& settings) {
  const std::vector<cli::Setting> parsed = cli::ParseSettings(settings, "settings", true);
  simulation::Simulation::SeedSource seeds;
  if (seed) seeds = [s = *seed] { return s; };
  // The settings set up again before anything reads the first agents.
  sim_ = std::make_unique<simulation::Simulation>(seeds, simulation::Simulation::Clock{},
                                                  simulation::Simulation::FirstAgents::Left);
  sim_->SetReporter([this](const world::UserError& e) { notices_.push_back(e.what()); });
  sim_->MainWindowShown();
  cli::ApplyMainSettings(*sim_, parsed);
  StartTable();
}

void WorldHandle::Set(const std::string& name, const std::string& value) {
  const std::lock_guard lock(mutex_);
  const std::vector<cli::Setting> one{{name, value}};
  cli::CheckSettings(sim_->controls, one, cli::CreatedBySetup(name));
  sim_->controls.SetByUser(name, value);
}

std::string WorldHandle::Get(const std::string& name) {
  const std::lock_guard lock(mutex_);
  const simulation::Control* c = sim_->controls.Find(name);
  if (!c) throw cli::UnknownControl(sim_->controls, name);
  switch (c->Kind) {
    case simulation::ControlKind::CheckBox:
    case simulation::ControlKind::RadioButton:
    case simulation::ControlKind::Timer:
      return c->Checked ? "1" : "0";
    case simulation::ControlKind::UpDown:
    case simulation::ControlKind::TrackBar:
      return std::to_string(c->Position);
    case simulation::ControlKind::ComboBox:
      return std::to_string(c->ItemIndex);
    default:
      return c->Text;
  }
}

void WorldHandle::NewSetup() {
  const std::lock_guard lock(mutex_);
  sim_->B_setupClick();
  StartTable();
}

void WorldHandle::SetThresholds() {
  const std::lock_guard lock(mutex_);
  sim_->B_setTolsClick();
}

long long WorldHandle::Step(long long steps, const std::function<bool()>& more) {
  if (steps < 0) throw cli::UsageError("steps must not be negative");
  const std::lock_guard lock(mutex_);
  long long done = 0;
  for (; done < steps && (!more || more()); ++done) {
    sim_->TimeStep();
    table_ += cli::CsvRow(*sim_);
    table_ += '\n';
    // The rows above are the record: the analysis keeps only the newest point.
    sim_->analysis.ForgetHistory();
  }
  return done;
}

long long WorldHandle::StepsToStop() {
  const std::lock_guard lock(mutex_);
  return std::max(0LL, static_cast<long long>(sim_->world.StopStep) - sim_->world.StepCount);
}

WorldHandle::Grid WorldHandle::CopyGrid() {
  const std::lock_guard lock(mutex_);
  const auto& cells = sim_->world.Cells;
  return {cells.Rows, cells.Cols, cells.State, cells.Rent};
}

std::string WorldHandle::Measures() {
  const std::lock_guard lock(mutex_);
  return cli::Summary(*sim_, sim_->world.Rng.SeedValue(), sim_->world.StepCount, 0).dump();
}

std::string WorldHandle::Table() {
  const std::lock_guard lock(mutex_);
  return table_;
}

int WorldHandle::StepCount() {
  const std::lock_guard lock(mutex_);
  return sim_->world.StepCount;
}

std::vector<std::string> WorldHandle::TakeNotices() {
  const std::lock_guard lock(mutex_);
  return std::exchange(notices_, {});
}

void WorldHandle::StartTable() { table_ = cli::CsvHeader(*sim_) + "\n"; }

}  // namespace pyvicinara
