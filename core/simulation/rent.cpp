#include <algorithm>
#include <cmath>

#include "core/world/main_controls.h"
#include "simulation.h"

namespace simulation {

namespace {

// Smoothing adds the rents of nine cells: within this bound the sum, and so
// every budget, entry rent and mean derived from the rents, stays finite.
constexpr double kRentLimit = 1e307;

world::UserError RentOutOfRange(const std::string& what, const std::string& text) {
  return world::MissingValue(what + " '" + text + "' is out of range: rents must lie between " +
                             world::FloatToText(-kRentLimit) + " and " + world::FloatToText(kRentLimit));
}

}  // namespace

double Simulation::ReadRent(const char* name, const char* what) const {
  const double rent = controls.Real(name);
  if (std::fabs(rent) > kRentLimit) throw RentOutOfRange(what, controls.Text(name));
  return rent;
}

void Simulation::BuildRentControls() {
  const double minRent = ReadRent("E_rentMin", "min rent");
  const double maxRent = ReadRent("E_rentMax", "max rent");
  const double step = (maxRent - minRent) / (world.GroupCount - 1);
  for (int n = 1; n <= world.GroupCount; ++n) {
    world::Control label;
    label.Name = world::RentLabelName(n);
    label.Kind = world::ControlKind::Label;
    label.Text = "group " + world::IntToText(n);
    controls.Add(std::move(label));
    world::Control edit;
    edit.Name = world::RentEditName(n);
    edit.Kind = world::ControlKind::Edit;
    edit.Caption = "group " + world::IntToText(n);
    edit.Text = world::FloatToText(minRent + (n - 1) * step);
    edit.Number = world::NumberKind::Real;
    controls.Add(std::move(edit));
  }
  const auto groups = static_cast<std::size_t>(world.GroupCount) + 1;
  entryRents_.assign(groups, 0.0);
  entryRentState_.assign(groups, 0);
  reportedRentTexts_.assign(groups, {});
  rentReported_.assign(groups, 0);
  rentActiveThisStep_ = controls.Checked("cb_actiRentLand");
}

// The entry rent of a group, parsed at most once per step. A text that does
// not parse, or a rent out of range, is reported once; the cell then keeps
// its rent and the run goes on.
double Simulation::EntryRent(int group, bool& ok) {
  const auto g = static_cast<std::size_t>(group);
  if (g >= entryRentState_.size()) {
    ok = false;
    return 0.0;
  }
  if (entryRentState_[g] == 0) {
    const std::string& text = controls.Text(world::RentEditName(group));
    const bool number = world::IsFloat(text);
    const double rent = number ? world::StrToFloat(text) : 0.0;
    if (number && std::fabs(rent) <= kRentLimit) {
      entryRents_[g] = rent;
      entryRentState_[g] = 1;
      rentReported_[g] = 0;
    } else {
      entryRentState_[g] = 2;
      if (!rentReported_[g] || reportedRentTexts_[g] != text) {
        Report(number ? RentOutOfRange("the rent of group " + world::IntToText(group), text) : world::NotAFloat(text));
        rentReported_[g] = 1;
        reportedRentTexts_[g] = text;
      }
    }
  }
  ok = entryRentState_[g] == 1;
  return entryRents_[g];
}

void Simulation::BeginRentReads() {
  rentActiveThisStep_ = controls.Checked("cb_actiRentLand");
  std::fill(entryRentState_.begin(), entryRentState_.end(), 0);
}

void Simulation::ApplyEntryRent(int x, int y) {
  BeginRentReads();
  EnterRent(world.Cells.Index(x, y));
}

void Simulation::EnterRent(int i) {
  if (!rentActiveThisStep_) return;
  const int g = world.Cells.State[i];
  // Only groups 1 to 6 bring their rent; cells entered by higher groups keep theirs.
  if (g < 1 || g > 6) return;
  bool ok = false;
  const double rent = EntryRent(g, ok);
  if (ok) world.Cells.Rent[i] = rent;
}

void Simulation::SmoothRent() {
  auto& w = world;
  const int cols = w.GridCols, rows = w.GridRows;
  const double* rent = w.Cells.Rent.data();
  double* buffer = w.RentBuffer.data();
  for (int y = 0; y < rows; ++y) {
    const int up = (y == 0 ? rows - 1 : y - 1) * cols;
    const int mid = y * cols;
    const int down = (y == rows - 1 ? 0 : y + 1) * cols;
    for (int x = 0; x < cols; ++x) {
      const int left = x == 0 ? cols - 1 : x - 1;
      const int right = x == cols - 1 ? 0 : x + 1;
      // Nine cells in scan order, then the cell itself taken out again.
      double sum = rent[up + left];
      sum += rent[up + x];
      sum += rent[up + right];
      sum += rent[mid + left];
      sum += rent[mid + x];
      sum += rent[mid + right];
      sum += rent[down + left];
      sum += rent[down + x];
      sum += rent[down + right];
      buffer[mid + x] = (sum - rent[mid + x]) / 8.0;
    }
  }
  std::copy(w.RentBuffer.begin(), w.RentBuffer.end(), w.Cells.Rent.begin());
}

}  // namespace simulation
