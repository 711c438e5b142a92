#include "street_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "world/convert.h"
#include "world/street_colors.h"

namespace streets {

using world::World;

namespace {

// A neighbourhood sums up to (2 * 1000 + 1)^2 weights and a satisfaction
// takes a hundred times that sum: within this bound both stay finite.
constexpr double kWeightLimit = 1e299;

double ParseWeight(const StreetWeightTexts& texts, int type) {
  const std::string& text = texts[static_cast<std::size_t>(type + 3)];
  const double weight = world::StrToFloat(text);
  if (std::fabs(weight) > kWeightLimit) {
    throw world::MissingValue("the street weight '" + text + "' is out of range: weights must lie between " +
                              world::FloatToText(-kWeightLimit) + " and " + world::FloatToText(kWeightLimit));
  }
  return weight;
}

// Cells of the row band [y - r, y + r] whose neighbourhood box can meet the
// segment: the x extent of the segment's part within the band, widened by r.
bool BandInterval(const world::StreetSegment& s, int y, int r, int cols, int& x0, int& x1) {
  const double ax = s.StartCol, ay = s.StartRow, bx = s.EndCol, by = s.EndRow;
  const double lo = std::max<double>(y - r, std::min(ay, by));
  const double hi = std::min<double>(y + r, std::max(ay, by));
  if (lo > hi) return false;
  double xa, xb;
  if (ay == by) {
    xa = std::min(ax, bx);
    xb = std::max(ax, bx);
  } else {
    const double t0 = (lo - ay) / (by - ay);
    const double t1 = (hi - ay) / (by - ay);
    const double p = ax + t0 * (bx - ax);
    const double q = ax + t1 * (bx - ax);
    xa = std::min(p, q);
    xb = std::max(p, q);
  }
  x0 = std::max(0, static_cast<int>(std::floor(xa)) - r - 1);
  x1 = std::min(cols - 1, static_cast<int>(std::ceil(xb)) + r + 1);
  return x0 <= x1;
}

// Lists, per cell, the barrier segments that can cross a pair of its
// neighbourhood. Past a memory budget every cell near any barrier falls
// back to the whole barrier list.
void BuildBarrierLists(World& w) {
  auto& f = w.Field;
  const int cols = w.GridCols, rows = w.GridRows, r = w.NbRadius;
  const std::size_t cells = static_cast<std::size_t>(cols) * rows;
  f.BarrierNear.assign(cells, 0);
  f.BarrierStart.assign(cells + 1, 0);
  f.BarrierList.clear();
  f.BarrierAll = false;
  if (f.Barriers.empty() || cells == 0) return;

  constexpr std::size_t kBudget = 32u << 20;  // list entries
  std::vector<std::uint32_t> count(cells, 0);
  std::size_t total = 0;
  for (const auto& s : f.Barriers) {
    const int y0 = std::max(0, std::min(s.StartRow, s.EndRow) - r);
    const int y1 = std::min(rows - 1, std::max(s.StartRow, s.EndRow) + r);
    for (int y = y0; y <= y1; ++y) {
      int x0, x1;
      if (!BandInterval(s, y, r, cols, x0, x1)) continue;
      for (int x = x0; x <= x1; ++x) ++count[static_cast<std::size_t>(y) * cols + x];
      total += static_cast<std::size_t>(x1 - x0 + 1);
    }
  }
  if (total > kBudget) {
    f.BarrierAll = true;
    f.AllIndices.resize(f.Barriers.size());
    for (std::uint32_t k = 0; k < f.AllIndices.size(); ++k) f.AllIndices[k] = k;
    for (std::size_t i = 0; i < cells; ++i) f.BarrierNear[i] = count[i] > 0;
    return;
  }
  for (std::size_t i = 0; i < cells; ++i) {
    f.BarrierNear[i] = count[i] > 0;
    f.BarrierStart[i + 1] = f.BarrierStart[i] + count[i];
  }
  f.BarrierList.resize(total);
  std::vector<std::uint32_t> fill(f.BarrierStart.begin(), f.BarrierStart.end() - 1);
  for (std::uint32_t k = 0; k < f.Barriers.size(); ++k) {
    const auto& s = f.Barriers[k];
    const int y0 = std::max(0, std::min(s.StartRow, s.EndRow) - r);
    const int y1 = std::min(rows - 1, std::max(s.StartRow, s.EndRow) + r);
    for (int y = y0; y <= y1; ++y) {
      int x0, x1;
      if (!BandInterval(s, y, r, cols, x0, x1)) continue;
      for (int x = x0; x <= x1; ++x) f.BarrierList[fill[static_cast<std::size_t>(y) * cols + x]++] = k;
    }
  }
}

}  // namespace

StreetWeights ParseNeededWeights(const World& w, const StreetWeightTexts& texts) {
  std::array<bool, 7> parsed{};
  StreetWeights weights{};
  auto need = [&](int type) {
    if (type < -3 || type > 3 || parsed[type + 3]) return;
    weights[type + 3] = ParseWeight(texts, type);
    parsed[type + 3] = true;
  };
  // Most cells carry no street: pass over zeros eight at a time.
  auto needNonZero = [&](const std::int32_t* type, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::int32_t any = 0;
      for (std::size_t k = 0; k < 8; ++k) any |= type[i + k];
      if (any == 0) continue;
      for (std::size_t k = 0; k < 8; ++k) {
        if (type[i + k] != 0) need(type[i + k]);
      }
    }
    for (; i < n; ++i) {
      if (type[i] != 0) need(type[i]);
    }
  };
  // In the order the imprint meets them: cells first, then type 0 for every pair, then barriers.
  needNonZero(w.Cells.StreetType.data(), w.Cells.StreetType.size());
  need(0);
  // Type 0 is parsed by now, so only the drawn cells of the street grid matter.
  for (int i = 0; i < w.StreetGrid.Size0(); ++i) {
    needNonZero(w.StreetGrid.Row(i), static_cast<std::size_t>(w.StreetGrid.Size1()));
  }
  for (const auto& s : w.StreetSegments) {
    if (s.Type < 0) need(s.Type);
  }
  return weights;
}

void ImprintStreets(World& w, const StreetWeightTexts& texts) {
  const StreetWeights weights = ParseNeededWeights(w, texts);
  auto weightOf = [&](int type) { return weights[type + 3]; };
  auto& cells = w.Cells;
  const int cols = w.GridCols, rows = w.GridRows;

  std::fill(cells.StreetValue.begin(), cells.StreetValue.end(), 1.0);
  // Only a positive street marks the cells around it; most worlds have none.
  const bool anyPositive = std::any_of(cells.StreetType.begin(), cells.StreetType.end(), [](std::int32_t t) { return t > 0; });
  int count = 0;
  if (!anyPositive) {
    // No cell is marked: only the barrier cells take their weight.
    const std::int32_t* type = cells.StreetType.data();
    double* value = cells.StreetValue.data();
    for (int i = 0; i < cols * rows; ++i) {
      count += type[i] != 0;
      if (type[i] < 0) value[i] = weightOf(type[i]);
    }
  } else {
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < cols; ++x) {
        const int i = cells.Index(x, y);
        const int type = cells.StreetType[i];
        if (type < 0) cells.StreetValue[i] = weightOf(type);
        if (type == 0) {
          bool marked = false;
          // The 3 x 3 block wraps around the edges; the last positive street met decides.
          for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
              int nx = x + dx, ny = y + dy;
              w.WrapOnTorus(nx, ny);
              const int neighbourType = cells.StreetType[cells.Index(nx, ny)];
              if (neighbourType > 0) {
                cells.StreetValue[i] = weightOf(neighbourType);
                marked = true;
              }
            }
          }
          if (marked) {
            cells.DisplayColor[i] = world::kLightGrey;
            w.DrawCell(x, y);
          }
        } else {
          ++count;
        }
      }
    }
  }
  w.StreetCellCount = count;

  auto& f = w.Field;
  f.Radius = w.NbRadius;
  f.BarrierWeight = {weights[0], weights[1], weights[2], weights[3]};
  f.Barriers.clear();
  for (const auto& s : w.StreetSegments) {
    if (s.Type < 0 && (s.StartCol != s.EndCol || s.StartRow != s.EndRow)) f.Barriers.push_back(s);
  }
  BuildBarrierLists(w);
  f.Sums.Built = false;
  w.StreetsDirty = false;
}

void ApplyStreetGrid(World& w, const StreetWeightTexts& texts) {
  auto& cells = w.Cells;
  // The grid holds a column of rows for each x: walk it column by column.
  const int cols = std::min(w.GridCols, w.StreetGrid.Size0()), rows = std::min(w.GridRows, w.StreetGrid.Size1());
  std::fill(cells.StreetType.begin(), cells.StreetType.end(), 0);
  std::fill(cells.DisplayColor.begin(), cells.DisplayColor.end(), world::kWhite);
  for (int x = 0; x < cols; ++x) {
    for (int y = 0; y < rows; ++y) {
      const int type = w.StreetGrid(x, y);
      if (type == 0) continue;
      const int i = cells.Index(x, y);
      cells.StreetType[i] = type;
      cells.DisplayColor[i] = world::StreetColor(type);
    }
  }
  if (w.Painter) {
    for (int y = 0; y < w.GridRows; ++y) {
      for (int x = 0; x < w.GridCols; ++x) {
        if (cells.StreetType[cells.Index(x, y)] != 0) w.DrawCell(x, y);
      }
    }
  }
  ImprintStreets(w, texts);
}

bool SegmentsCross(int ax, int ay, int bx, int by, int sx, int sy, int ex, int ey) {
  auto cross = [](std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) { return x1 * y2 - y1 * x2; };
  const std::int64_t d = cross(ax - bx, ay - by, sx - ex, sy - ey);
  if (d == 0) return false;
  const std::int64_t n1 = cross(bx - ax, by - ay, ex - ax, ey - ay);
  const std::int64_t n2 = cross(ex - bx, ey - by, sx - bx, sy - by);
  if (d > 0) return 0 < n1 && n1 < d && 0 < n2 && n2 < d;
  return d < n1 && n1 < 0 && d < n2 && n2 < 0;
}

BarrierSpan BarriersNear(const World& w, int i) {
  const auto& f = w.Field;
  if (f.BarrierNear.empty() || !f.BarrierNear[static_cast<std::size_t>(i)]) return {nullptr, nullptr};
  if (f.BarrierAll) return {f.AllIndices.data(), f.AllIndices.data() + f.AllIndices.size()};
  return {f.BarrierList.data() + f.BarrierStart[static_cast<std::size_t>(i)],
          f.BarrierList.data() + f.BarrierStart[static_cast<std::size_t>(i) + 1]};
}

double NeighbourWeight(const World& w, int x, int y, int nx, int ny) {
  const auto& f = w.Field;
  const double sv = w.Cells.StreetValue[w.Cells.Index(nx, ny)];
  const BarrierSpan span = BarriersNear(w, w.Cells.Index(x, y));
  int t = 0;
  for (const std::uint32_t* p = span.begin; p != span.end; ++p) {
    const auto& s = f.Barriers[*p];
    if (s.Type < t && SegmentsCross(x, y, nx, ny, s.StartCol, s.StartRow, s.EndCol, s.EndRow)) t = s.Type;
  }
  const double weight = f.BarrierWeight[t + 3];
  return weight == f.BarrierWeight[3] ? sv : weight;
}

std::vector<double> NeighbourWeights(const World& w, int x, int y) {
  std::vector<double> list;
  const int r = w.NbRadius;
  for (int dy = -r; dy <= r; ++dy) {
    for (int dx = -r; dx <= r; ++dx) {
      if (w.IsOutside(x + dx, y + dy)) continue;
      list.push_back(NeighbourWeight(w, x, y, x + dx, y + dy));
    }
  }
  return list;
}

}  // namespace streets
