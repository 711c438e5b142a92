#include "experiment_units.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <variant>

#include "experiments/experiment.h"
#include "world/convert.h"

namespace cli {

namespace {

// Appends the fields of one line, comma-separated.
class Line {
 public:
  explicit Line(std::string& table) : table_(table) {}
  ~Line() { table_ += '\n'; }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  Line& operator<<(const std::string& text) {
    Separate();
    table_ += text;
    return *this;
  }
  Line& operator<<(long long n) { return *this << std::to_string(n); }
  Line& operator<<(std::uint64_t n) { return *this << std::to_string(n); }
  Line& operator<<(int n) { return *this << std::to_string(n); }
  Line& operator<<(double x) { return *this << NumberText(x); }
  Line& operator<<(const std::optional<double>& x) { return x ? *this << *x : *this << std::string(); }
  Line& operator<<(const experiments::TableValue& v) {
    if (const auto* n = std::get_if<long long>(&v)) return *this << *n;
    if (const auto* x = std::get_if<double>(&v)) return *this << *x;
    return *this << std::string();
  }

 private:
  void Separate() {
    if (!first_) table_ += ',';
    first_ = false;
  }
  std::string& table_;
  bool first_ = true;
};

std::string Describe(const ExperimentSetup& setup, long long k, int value) {
  return setup.Name + " calculation " + std::to_string(k) + " (value " + std::to_string(value) + "): ";
}

std::unique_ptr<simulation::Simulation> Prepare(const ExperimentSetup& setup, SeedFeed& feed,
                                                const simulation::Simulation::Reporter& report, long long k,
                                                int value) {
  try {
    return PrepareWorld(setup, std::ref(feed), report);
  } catch (const world::UserError& e) {
    throw UnitFailure(Describe(setup, k, value) + e.what());
  }
}

// Appends a row a unit made to its table, after the columns every table of
// that kind begins with.
void Write(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long first, const experiments::UnitRow& row,
           UnitRows& rows) {
  const long long k = first + row.Calculation;
  std::string& table = row.Table == experiments::ResultTable::Runs    ? rows.Runs
                       : row.Table == experiments::ResultTable::Steps ? rows.Steps
                                                                      : rows.Rises;
  Line line(table);
  if (row.Table == experiments::ResultTable::Runs) line << setup.Name;
  line << k << row.Value << row.Repetition;
  if (row.Table == experiments::ResultTable::Runs) line << CalculationSeed(sweepSeed, k);
  for (const experiments::TableValue& value : row.Fields) line << value;
}

}  // namespace

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

TableHeaders HeadersOf(ExperimentKind kind) { return TypeOf(kind).Headers; }

bool RunUnit(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long unit, const std::function<bool()>& stop,
             const simulation::Simulation::Reporter& report, UnitRows& rows) {
  rows = {};
  const long long first = setup.FirstCalculation(unit);
  const int value = setup.UnitValue(unit);
  SeedFeed feed(sweepSeed, first);
  auto sim = Prepare(setup, feed, report, first, value);
  // The window's own experiment on the unit's world: its set-up, its steps
  // and what it records.
  const std::unique_ptr<experiments::Experiment> window = TypeOf(setup.Kind).Make(*sim);
  try {
    ApplyWindowFields(window->Fields(), setup);
    feed.Arm();
    if (const auto refused = window->StartUnit(unit, value, {setup.MaxRoundSteps})) report(*refused);
  } catch (const world::UserError& e) {
    throw UnitFailure(Describe(setup, first, value) + e.what());
  }
  std::vector<experiments::UnitRow> made;
  while (window->UnitRunning()) {
    if (stop()) return false;
    try {
      window->StepUnit(made);
    } catch (const experiments::UnitFailed& e) {
      throw UnitFailure(Describe(setup, first + e.Calculation(), value) + e.what() +
                        (e.StepLimit() ? " (--max-round-steps)" : ""));
    }
    for (const experiments::UnitRow& row : made) Write(setup, sweepSeed, first, row, rows);
    made.clear();
  }
  return true;
}

}  // namespace cli
