#include <algorithm>
#include <cmath>
#include <cstring>

#include "main_controls.h"
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

double Simulation::ReadRent(MainControl control, const char* what) const {
  const double rent = controls.Real(control);
  if (std::fabs(rent) > kRentLimit) throw RentOutOfRange(what, controls.Text(control));
  return rent;
}

void Simulation::BuildRentControls() {
  const double minRent = ReadRent(MainControl::RentMin, "min rent");
  const double maxRent = ReadRent(MainControl::RentMax, "max rent");
  const double step = (maxRent - minRent) / (world.GroupCount - 1);
  for (int n = 1; n <= world.GroupCount; ++n) {
    Control label;
    label.Name = RentLabelName(n);
    label.Kind = ControlKind::Label;
    label.Text = "group " + world::IntToText(n);
    controls.Add(std::move(label));
    Control edit;
    edit.Name = RentEditName(n);
    edit.Kind = ControlKind::Edit;
    edit.Caption = "group " + world::IntToText(n);
    edit.Text = world::FloatToText(minRent + (n - 1) * step);
    edit.Number = NumberKind::Real;
    controls.Add(std::move(edit));
  }
  const auto groups = static_cast<std::size_t>(world.GroupCount) + 1;
  entryRents_.assign(groups, 0.0);
  entryRentState_.assign(groups, 0);
  reportedRentTexts_.assign(groups, {});
  rentReported_.assign(groups, 0);
  rentActiveThisStep_ = controls.Checked(MainControl::RentLandscape);
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
    const std::string& text = controls.Text(RentEditName(group));
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
  rentActiveThisStep_ = controls.Checked(MainControl::RentLandscape);
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
  w.RentBuffer.resize(w.Cells.Rent.size());
  double* buffer = w.RentBuffer.data();
  // Nine cells in scan order, then the cell itself taken out again.
  auto mean = [](auto a, auto b, auto c, auto d, auto e, auto f, auto g, auto h, auto i, auto self) {
    auto sum = a;
    sum += b;
    sum += c;
    sum += d;
    sum += e;
    sum += f;
    sum += g;
    sum += h;
    sum += i;
    return (sum - self) / 8.0;
  };
  // Two cells at once in the lanes of one vector: each lane adds in the
  // same order as one cell alone, so every rent keeps every bit.
  using Pair = double __attribute__((vector_size(16)));
  auto load = [](const double* p) {
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
  };
  for (int y = 0; y < rows; ++y) {
    const double* up = rent + (y == 0 ? rows - 1 : y - 1) * cols;
    const double* mid = rent + y * cols;
    const double* down = rent + (y == rows - 1 ? 0 : y + 1) * cols;
    double* out = buffer + y * cols;
    auto one = [&](int x) {
      const int left = x == 0 ? cols - 1 : x - 1;
      const int right = x == cols - 1 ? 0 : x + 1;
      out[x] = mean(up[left], up[x], up[right], mid[left], mid[x], mid[right], down[left], down[x], down[right], mid[x]);
    };
    one(0);
    int x = 1;
    for (; x + 2 < cols; x += 2) {
      const Pair m = load(mid + x);
      const Pair v = mean(load(up + x - 1), load(up + x), load(up + x + 1), load(mid + x - 1), m, load(mid + x + 1),
                          load(down + x - 1), load(down + x), load(down + x + 1), m);
      std::memcpy(out + x, &v, sizeof v);
    }
    for (; x < cols; ++x) one(x);
  }
  // The new rents become the grid's; the buffer keeps the old ones until
  // the next pass overwrites them.
  w.Cells.Rent.swap(w.RentBuffer);
}

}  // namespace simulation
