#include "layouts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "world/convert.h"
#include "world/street_colors.h"
#include "editing.h"
#include "street_field.h"

namespace streets {

using world::World;

namespace {

bool IsStreetType(int type) { return type >= -3 && type <= 3 && type != 0; }

void CheckFixedType(const TypeChoice& choice) {
  if (choice.FixedType == 0) throw world::MissingValue("0 is not a valid street type");
}

int NextType(World& w, const TypeChoice& choice) { return choice.Random ? RandomStreetType(w.Rng) : choice.FixedType; }

void FinishLayout(World& w, const StreetWeightTexts& weights, StreetEditor* editor) {
  w.StreetsDirty = true;
  // An unfinished mouse street would otherwise complete over the layout's
  // segments; it ends here, before the imprint can stop on a bad weight.
  if (editor) editor->Cancel();
  ImprintStreets(w, weights);
  w.RepaintWorld();
}

}  // namespace

int RandomStreetType(world::Random& random) {
  int r = 1 + random.NextInt(6);
  if (r > 3) r -= 7;
  return r;
}

void MarkStreetCells(World& w, const StreetWalk& walk, int col, int row, int type) {
  auto& cells = w.Cells;
  const world::ColorRef color = world::StreetColor(type);
  const int sc = walk.StartCol, sr = walk.StartRow;
  // The walk is deterministic, so a walk that visited more cells than the
  // grid holds would circle for ever; the bound only guards against that.
  const long long limit = static_cast<long long>(w.GridCols) * w.GridRows;
  for (long long visited = 0; visited < limit; ++visited) {
    const int i = cells.Index(col, row);
    cells.DisplayColor[i] = color;
    cells.StreetType[i] = type;
    w.StreetGrid(col, row) = type;
    w.DrawCell(col, row);
    if (col == sc && row == sr) return;

    const int candidates[4][2] = {{col, row + 1}, {col, row - 1}, {col + 1, row}, {col - 1, row}};
    bool found = false;
    double best = 0.0;
    int nextCol = col, nextRow = row;
    for (const auto& candidate : candidates) {
      int kc = candidate[0], kr = candidate[1];
      w.WrapOnTorus(kc, kr);
      if (std::abs(sr - kr) > std::abs(sr - row) || std::abs(sc - kc) > std::abs(sc - col)) continue;
      const double a = std::atan2(static_cast<double>(sr - kr), static_cast<double>(sc - kc));
      const double d = std::fabs(walk.StreetAngle - a);
      if (!found || d < best) {
        found = true;
        best = d;
        nextCol = kc;
        nextRow = kr;
      }
    }
    if (!found) return;
    col = nextCol;
    row = nextRow;
  }
}

void AddStreet(World& w, int endCol, int endRow, int startCol, int startRow, int type) {
  if (w.IsOutside(endCol, endRow) || w.IsOutside(startCol, startRow) || !IsStreetType(type)) return;
  w.StreetSegments.push_back({startCol, startRow, endCol, endRow, type});
  StreetWalk walk;
  walk.StartCol = startCol;
  walk.StartRow = startRow;
  walk.StreetAngle = std::atan2(static_cast<double>(startRow - endRow), static_cast<double>(startCol - endCol));
  MarkStreetCells(w, walk, endCol, endRow, type);
}

void DrawStreetGrid(World& w, const StreetWeightTexts& weights, int n, int m, TypeChoice choice, StreetEditor* editor) {
  CheckFixedType(choice);
  // Both spacings come from GridRows; the world is square. With n or m of 1
  // (or less) the loops are empty and no spacing is needed.
  if (n > 1) {
    const int s = static_cast<int>(world::Round(static_cast<double>(w.GridRows) / n));
    for (int k = 1; k <= n - 1; ++k) {
      const int type = NextType(w, choice);
      const int col = k * s - 1;
      AddStreet(w, col, 0, col, w.GridRows - 1, type);
    }
  }
  if (m > 1) {
    const int s = static_cast<int>(world::Round(static_cast<double>(w.GridRows) / m));
    for (int k = 1; k <= m - 1; ++k) {
      const int type = NextType(w, choice);
      const int row = k * s - 1;
      AddStreet(w, 0, row, w.GridCols - 1, row, type);
    }
  }
  FinishLayout(w, weights, editor);
}

void DrawRandomStreets(World& w, const StreetWeightTexts& weights, int count, TypeChoice choice, StreetEditor* editor) {
  CheckFixedType(choice);
  for (int k = 1; k <= count - 1; ++k) {
    const int type = NextType(w, choice);
    const int endCol = w.Rng.NextInt(w.GridRows);
    const int endRow = w.Rng.NextInt(w.GridCols);
    const int startCol = w.Rng.NextInt(w.GridRows);
    const int startRow = w.Rng.NextInt(w.GridCols);
    AddStreet(w, endCol, endRow, startCol, startRow, type);
  }
  FinishLayout(w, weights, editor);
}

void DeleteStreets(World& w, const StreetWeightTexts& weights) {
  w.StreetGrid.Fill(0);
  std::fill(w.Cells.StreetType.begin(), w.Cells.StreetType.end(), 0);
  w.StreetSegments.clear();
  ApplyStreetGrid(w, weights);
  w.RepaintWorld();
}

}  // namespace streets
