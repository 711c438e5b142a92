#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "simulation.h"

namespace simulation {

namespace {

// Plain mode weighs each neighbour; counting with trees needs every weight
// to be 1, which holds without streets.
bool UnitWeights(const world::World& w) {
  if (!w.Field.Barriers.empty()) return false;
  const auto& value = w.Cells.StreetValue;
  return std::all_of(value.begin(), value.end(), [](double v) { return v == 1.0; });
}

// A cell a search found, returned by value: coordinates handed back through
// references would stay in memory in the loop over the turns.
struct FoundCell {
  int X, Y;  // X = -1: none
};

// Draws steps from (cx, cy) until one lands on a cell that is not blocked,
// at most `attempts` times; returns that cell. `step` draws the two
// offsets, `wrap` brings the target back onto the grid. The search works on
// copies of the random source and the offsets: the blocked bytes it reads
// could alias them, which would keep the source's state going through memory
// on every draw.
template <typename Step, typename Wrap>
FoundCell SearchFreeCell(world::Random& random, int cx, int cy, int cols, const std::uint8_t* blocked, int attempts,
                         int& stepX, int& stepY, Step step, Wrap wrap) {
  world::Random rng = random;
  int sx = stepX, sy = stepY;
  FoundCell found{-1, -1};
  for (int attempt = 0; attempt < attempts; ++attempt) {
    step(rng, sx, sy);
    int tx = cx + sx, ty = cy + sy;
    wrap(tx, ty);
    if (!blocked[ty * cols + tx]) {
      found = {tx, ty};
      break;
    }
  }
  random = rng;
  stepX = sx;
  stepY = sy;
  return found;
}

// The draws of TAgent::DrawStep for offsets that fit an int, with the
// rounding and the scaling of the draw done in fewer instructions.
struct FastStep {
  double Scale;  // width * 2^-53
  double Shift;
  FastStep(double width, double shift) : Scale(width * 0x1.0p-53), Shift(shift) {}
  int Offset(std::uint64_t bits) const {
    // A 53-bit draw times 2^-53 is exact, so one product by the scaled width
    // rounds exactly as the two products of NextReal() * width.
    const double v = static_cast<double>(bits >> 11) * Scale - Shift;
#if defined(__SSE2__)
    // The FPU rounds to nearest, ties to even, as RoundHalfEven does.
    return _mm_cvtsd_si32(_mm_set_sd(v));
#else
    return static_cast<int>(world::RoundHalfEven(v));
#endif
  }
  void operator()(world::Random& rng, int& x, int& y) const {
    x = Offset(rng.Next());
    y = Offset(rng.Next());
  }
};

// At most one wrap, without branches: whether a step leaves the grid is a
// coin toss for the branch predictor.
struct OneWrap {
  int Cols, Rows;
  void operator()(int& x, int& y) const {
    x += Cols & (x >> 31);
    x -= Cols & ((Cols - 1 - x) >> 31);
    y += Rows & (y >> 31);
    y -= Rows & ((Rows - 1 - y) >> 31);
  }
};

}  // namespace

long long Simulation::TreeCountingFrom() const {
  if (treeCountingFrom_ >= 0) return treeCountingFrom_;
  // A rectangle from the trees costs four prefix sums per kind of about
  // log(columns) x log(rows) steps each; cell by cell it costs one per position.
  auto log2 = [](int n) {
    long long bits = 1;
    while ((1 << bits) < n) ++bits;
    return bits;
  };
  const long long perQuery = 4LL * (world.GroupCount + 1) * log2(world.GridCols) * log2(world.GridRows);
  return std::max(625LL, perQuery);
}

struct Simulation::Pass {
  EvalMode Mode;
  PlainStore Plain;
  const std::uint8_t* Blocked;  // occupied, or a street while streets may not be occupied
  bool FastSearch;  // FastStep and OneWrap draw the search's steps
  int Attempts;
  double Width, Shift;  // of the steps drawn
  bool UniformRent;
  double Rent;       // of every cell, when uniform
  bool StreetCells;  // street cells that agents must leave
};

void Simulation::MoveAgents() {
  auto& w = world;
  auto& cells = w.Cells;
  const EvalMode mode = ReadEvalMode();
  const bool streetOccupation = controls.Checked(MainControl::StreetOccupation);
  // With "show agents" checked the end of the step repaints every cell and
  // agent, so what the move loop would paint is never seen: skip it.
  paintMoves_ = w.DrawWhileMoving && w.Painter && !controls.Checked(MainControl::ShowAgents);
  BeginRentReads();

  const int r = w.NbRadius;
  const long long positions = (2LL * r + 1) * (2LL * r + 1);
  useKept_ = PrepareKeptCounts(mode);
  // Marks pay off once few cells change from pass to pass: each move
  // forgets the marks of two neighbourhoods.
  const bool settled = w.StepCount != 0 && lastMoves_ * 2 * positions <= cells.Count() / 2;
  const bool markQuiet = useKept_ && settled && CheckQuietMarks(streetOccupation);
  if (!markQuiet && quietValid_) {
    kept_.ForgetQuiet();
    quietValid_ = false;
  }
  // A plain evaluation from the kept counts costs less than a guess whether
  // the row changed, which is a coin toss while many cells change: such a
  // pass evaluates every turn and keeps no seen marks.
  const bool plainKept = useKept_ && !mode.Individual;
  const bool evaluateAll = plainKept && !settled;
  const bool keepSeen = useKept_ && !evaluateAll;
  if (keepSeen) CheckSeenMarks(mode);
  lastMoves_ = 0;
  seenValid_ = keepSeen;
  countWithTree_ = !useKept_ && positions > TreeCountingFrom() &&
                   KindCounter::Fits(static_cast<long long>(cells.Count()), w.GroupCount + 1) &&
                   (mode.Individual || UnitWeights(w));
  if (countWithTree_) counter_.Build(cells.State.data(), w.GridCols, w.GridRows, w.GroupCount + 1);
  pendingCount_ = 0;

  // A move frees one cell and takes another, so the number of free allowed
  // cells stays what it is now for the whole pass. When there is none, every
  // search would spend its 1000 draws in vain: skip them.
  // The search reads one byte per cell: occupied, or a street while streets
  // may not be occupied.
  blocked_.resize(static_cast<std::size_t>(cells.Count()));
  std::uint8_t* blocked = blocked_.data();
  const std::uint8_t* occupied = cells.Occupied.data();
  const std::int32_t* streetType = cells.StreetType.data();
  const int cellCount = cells.Count();
  int freeCells = 0;
  if (streetOccupation) {
    for (int i = 0; i < cellCount; ++i) blocked[i] = occupied[i] != 0;
  } else {
    for (int i = 0; i < cellCount; ++i) blocked[i] = (occupied[i] != 0) | (streetType[i] != 0);
  }
  for (int i = 0; i < cellCount; ++i) freeCells += blocked[i] == 0;
  blockStreets_ = !streetOccupation;
  inPass_ = true;

  // A step reaches at most MoveDistance + 1 cells away; while that is no
  // more than the grid's width and height one wrap brings a target back.
  const int cols = w.GridCols, rows = w.GridRows;
  const bool oneWrap = std::abs(static_cast<long long>(w.MoveDistance)) + 1 <= std::min(cols, rows);
  const double width = 2.0 * w.MoveDistance + 2.0, shift = w.MoveDistance + 1.0;
  const bool fastSearch = oneWrap && std::fabs(width) + std::fabs(shift) < 0x1.0p30;
  const int attempts = freeCells > 0 ? 1000 : 0;

  // Rents that hold one value throughout and stay put over the pass, and a
  // grid without street cells, need no look at the cell for either. A pass
  // that makes quiet marks has just found both arrays as its copies hold them.
  bool uniformRent = false, streetCells = !streetOccupation;
  double oneRent = 0.0;
  if (markQuiet) {
    uniformRent = quietRent_.Uniform();
    oneRent = quietRent_.Value();
    streetCells = streetCells && !(quietStreets_.Uniform() && quietStreets_.Value() == 0);
  } else {
    uniformRent = !rentActiveThisStep_ && !cells.Rent.empty() &&
                  SameThroughout(cells.Rent.data(), cells.Rent.size(), cells.Rent[0]);
    if (uniformRent) oneRent = cells.Rent[0];
    streetCells = streetCells && !SameThroughout(streetType, cells.StreetType.size(), std::int32_t{0});
  }
  // Plain mode evaluates most turns of the early passes: look its arrays up once.
  const PlainStore plain = plainKept ? PlainStoreFor(mode) : PlainStore{};
  const Pass pass{mode, plain, blocked, fastSearch, attempts, width, shift, uniformRent, oneRent, streetCells};
  int skipped = -1;
  if (!useKept_) {
    skipped = TakeTurns<false, false, false, false>(pass);
  } else if (!plainKept) {
    skipped = markQuiet ? TakeTurns<true, false, false, true>(pass) : TakeTurns<true, false, false, false>(pass);
  } else if (evaluateAll) {
    skipped = TakeTurns<true, true, true, false>(pass);  // never settled, so never quiet
  } else {
    skipped = markQuiet ? TakeTurns<true, true, false, true>(pass) : TakeTurns<true, true, false, false>(pass);
  }
  if (useKept_) {
    // The counts of the latest evaluation stay behind, skipped or not.
    if (skipped >= 0 && mode.Individual) {
      const std::int32_t* row = kept_.At(skipped);
      for (int k = 0; k < kept_.Kinds(); ++k) w.KindCounts[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(row[k]);
    }
  }
  countWithTree_ = false;
  useKept_ = false;
  inPass_ = false;
}

template <bool Kept, bool PlainKept, bool EvaluateAll, bool MarkQuiet>
int Simulation::TakeTurns(const Pass& pass) {
  auto& w = world;
  auto& cells = w.Cells;
  // Copies, not references: the byte stores of a turn could otherwise alias them.
  const EvalMode mode = pass.Mode;
  const PlainStore plain = pass.Plain;
  const std::uint8_t* blocked = pass.Blocked;
  const bool fastSearch = pass.FastSearch;
  const int attempts = pass.Attempts;
  const double width = pass.Width, shift = pass.Shift;
  const int cols = w.GridCols, rows = w.GridRows;
  const std::int32_t* state = cells.State.data();
  // The arrays every turn reads, looked up once: no turn resizes them.
  world::TAgent* agents = w.Agents.data();
  const double* satisfaction = cells.Satisfaction.data();
  const double* rent = cells.Rent.data();
  const std::int32_t* streetType = cells.StreetType.data();
  const double threshold = w.Threshold;
  const bool uniformRent = pass.UniformRent, streetCells = pass.StreetCells;
  const double oneRent = pass.Rent;
  auto rentAt = [&](int i) { return uniformRent ? oneRent : rent[i]; };
  const bool evaluatedFirst = w.StepCount == 0;
  auto evaluateKept = [&](int i) {
    const int g = state[i];
    return PlainKept && g != 0 ? KeptPlain(plain, i, g) : EvaluateKept(i, mode);
  };

  int unsatisfied = 0;
  long long moves = 0;
  // The cell whose evaluation was skipped last, while no evaluation followed.
  int skipped = -1;
  const int n = w.NumberOfAgents();
  for (int i = 0; i < n; ++i) {
    world::TAgent& agent = agents[i];
    const int cx = agent.CellX, cy = agent.CellY;
    const int c = cy * cols + cx;
    if (MarkQuiet && kept_.Quiet(c)) {
      if (!agent.Satisfied) agent.Satisfied = true;
      skipped = c;
      continue;
    }
    auto evaluateHere = [&] {
      if (!Kept) return Evaluate(cx, cy, mode);
      if (!EvaluateAll && kept_.Unchanged(c)) {
        skipped = c;
        return satisfaction[c];
      }
      skipped = -1;
      const double value = evaluateKept(c);
      if (!EvaluateAll) kept_.MarkSeen(c);
      return value;
    };
    // The first pass evaluates every agent before its turn. Nothing changes
    // its neighbourhood before the turn's own evaluation, which a pass that
    // evaluates every turn need not repeat.
    const double first = evaluatedFirst ? evaluateHere() : 0.0;
    auto evaluateAgain = [&] { return EvaluateAll && evaluatedFirst ? first : evaluateHere(); };

    bool satisfied = !(threshold > satisfaction[c] || rentAt(c) >= agent.Budget);
    // An agent left on a street cell must leave while streets may not be occupied.
    if (satisfied && streetCells && streetType[c] != 0) satisfied = false;
    agent.Satisfied = satisfied;
    if (satisfied) {
      evaluateAgain();
      // Satisfied by the value just stored as well (rent and streets do not
      // change during a pass that makes marks): the next turn would only
      // confirm it, unless something around changes first.
      if (MarkQuiet && !(threshold > satisfaction[c])) kept_.MarkQuiet(c);
      continue;
    }

    const double rentHere = rentAt(c);
    int tx = cx, ty = cy;
    auto drawStep = [&](world::Random& rng, int& x, int& y) { world::TAgent::DrawStep(w.MoveDistance, rng, x, y); };
    auto wrapOnTorus = [&](int& x, int& y) { w.WrapOnTorus(x, y); };
    const FoundCell found = fastSearch ? SearchFreeCell(w.Rng, cx, cy, cols, blocked, attempts, agent.StepX,
                                                        agent.StepY, FastStep(width, shift), OneWrap{cols, rows})
                                       : SearchFreeCell(w.Rng, cx, cy, cols, blocked, attempts, agent.StepX,
                                                        agent.StepY, drawStep, wrapOnTorus);
    if (found.X >= 0) {
      tx = found.X;
      ty = found.Y;
    }
    const int t = ty * cols + tx;
    const double rentTarget = rentAt(t);

    // Tentative evaluation: the agent stands on the target, its own cell
    // counts as vacated (State 0) but stays occupied.
    const double here = evaluateAgain();
    double there;
    if (Kept) {
      if (t == c) {
        there = evaluateHere();
      } else {
        there = EvaluateKeptTarget(tx, ty, cx, cy, agent.Group, mode);
        kept_.ForgetSeen(t);
        skipped = -1;
      }
    } else {
      cells.State[c] = 0;
      cells.State[t] = agent.Group;
      if (countWithTree_ && t != c) {
        pending_[0] = {cx, cy, agent.Group, 0};
        pending_[1] = {tx, ty, 0, agent.Group};
        pendingCount_ = 2;
      }
      there = Evaluate(tx, ty, mode);
      pendingCount_ = 0;
      cells.State[t] = 0;
      cells.State[c] = agent.Group;
    }

    if (t != c && (here < there || rentTarget < rentHere)) {
      CommitMove(agent, tx, ty);
      ++moves;
    }
    ++unsatisfied;
    if (paintMoves_) w.DrawAgent(agent);
  }
  w.UnsatisfiedCount = unsatisfied;
  lastMoves_ = moves;
  return skipped;
}

void Simulation::CheckSeenMarks(const EvalMode& mode) {
  const auto& cells = world.Cells;
  // Step 0 follows a set-up, which evaluates nothing but is no pass either.
  bool hold = seenValid_ && world.StepCount != 0 && seenMode_ == mode &&
              (!mode.Individual || seenTolerance_ == world.GroupTolerance) &&
              seenSatisfaction_.size() == cells.Satisfaction.size();
  if (hold) {
    // Whatever wrote a stored value since (an evaluation from outside the
    // pass, a user of the grid) leaves a value that need not be the kept one.
    auto forgetWritten = [&](const std::vector<double>& now, std::vector<double>& left) {
      if (std::memcmp(now.data(), left.data(), now.size() * sizeof(double)) == 0) return;
      for (std::size_t i = 0; i < now.size(); ++i) {
        if (std::memcmp(&now[i], &left[i], sizeof(double)) != 0) {
          kept_.ForgetSeen(static_cast<int>(i));
          left[i] = now[i];
        }
      }
    };
    forgetWritten(cells.Satisfaction, seenSatisfaction_);
    if (!mode.Individual) {
      forgetWritten(cells.Similar, seenSimilar_);
      forgetWritten(cells.Different, seenDifferent_);
    }
    return;
  }
  kept_.ForgetAllSeen();
  seenMode_ = mode;
  if (mode.Individual) seenTolerance_ = world.GroupTolerance;
  // The pass writes what it stores into these copies as well, so that they
  // hold what it left without copying the grid after it.
  seenSatisfaction_.assign(cells.Satisfaction.begin(), cells.Satisfaction.end());
  seenSimilar_.assign(cells.Similar.begin(), cells.Similar.end());
  seenDifferent_.assign(cells.Different.begin(), cells.Different.end());
}

bool Simulation::CheckQuietMarks(bool streetOccupation) {
  const auto& cells = world.Cells;
  // Rents that spread after every pass change every cell.
  const bool allowed = !rentActiveThisStep_;
  const bool hold = quietValid_ && allowed && quietThreshold_ == world.Threshold &&
                    quietStreetOccupation_ == streetOccupation && quietRent_.Same(cells.Rent) &&
                    (streetOccupation || quietStreets_.Same(cells.StreetType));
  if (!hold) {
    if (quietValid_) kept_.ForgetQuiet();
    if (allowed) {
      quietThreshold_ = world.Threshold;
      quietStreetOccupation_ = streetOccupation;
      quietRent_.Take(cells.Rent);
      if (!streetOccupation) quietStreets_.Take(cells.StreetType);
    }
  }
  quietValid_ = allowed;
  return allowed;
}

void Simulation::CommitMove(world::TAgent& agent, int x, int y) {
  auto& w = world;
  auto& cells = w.Cells;
  const int oldX = agent.CellX, oldY = agent.CellY;
  const int old = cells.Index(oldX, oldY);
  cells.Occupied[old] = 0;
  cells.State[old] = 0;
  if (paintMoves_) w.DrawCell(oldX, oldY);
  agent.CellX = x;
  agent.CellY = y;
  agent.PixelX = w.PositionX(x);
  agent.PixelY = w.PositionY(y);
  const int target = cells.Index(x, y);
  cells.Occupied[target] = 1;
  cells.State[target] = agent.Group;
  if (countWithTree_) {
    counter_.Move(oldX, oldY, agent.Group, 0);
    counter_.Move(x, y, 0, agent.Group);
  }
  if (inPass_) {
    blocked_[static_cast<std::size_t>(old)] = blockStreets_ && cells.StreetType[old] != 0;
    blocked_[static_cast<std::size_t>(target)] = 1;
  }
  if (useKept_) {
    kept_.Change(oldX, oldY, agent.Group, 0, KeptWeight(old));
    kept_.Change(x, y, 0, agent.Group, KeptWeight(target));
    keptState_[static_cast<std::size_t>(old)] = 0;
    keptOccupied_[static_cast<std::size_t>(old)] = 0;
    keptState_[static_cast<std::size_t>(target)] = agent.Group;
    keptOccupied_[static_cast<std::size_t>(target)] = 1;
  }
  EnterRent(target);
}

}  // namespace simulation
