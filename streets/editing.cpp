#include "editing.h"

#include <algorithm>
#include <cmath>

#include "world/convert.h"
#include "world/street_colors.h"
#include "street_field.h"

namespace streets {

namespace {

int PixelToIndex(int pixel, int halfCell, int cellSize, int count) {
  const auto index = world::Round(static_cast<double>(pixel - halfCell) / cellSize);
  return static_cast<int>(std::clamp<std::int64_t>(index, 0, std::max(0, count - 1)));
}

}  // namespace

GridPosition CellUnderPixel(const world::World& w, int x, int y) {
  return {PixelToIndex(x, w.HalfCell, w.CellSize, w.GridCols), PixelToIndex(y, w.HalfCell, w.CellSize, w.GridRows)};
}

int StreetEditor::ChosenType() const {
  constexpr int kTypes[6] = {-3, -2, -1, 1, 2, 3};
  const int item = hooks_.TypeItem();
  return item >= 0 && item < 6 ? kTypes[item] : 0;
}

void StreetEditor::Press(int x, int y, MouseButton button) {
  if (ChosenType() == 0) throw world::MissingValue("please select a street type");
  // A second button during a drag would start a second street over the
  // first; the street under way keeps its press.
  if (drawing_) return;
  if (hooks_.DrawWithoutAgents()) {
    hooks_.StopRun();
    world_.DrawAllCells();
  } else {
    world_.RepaintWorld();
  }
  dragging_ = button == MouseButton::Left;
  const GridPosition start = CellUnderPixel(world_, x, y);
  walk_.StartCol = start.Col;
  walk_.StartRow = start.Row;
  const int i = world_.Cells.Index(start.Col, start.Row);
  world_.Cells.AnchorX[i] = start.Col;
  world_.Cells.AnchorY[i] = start.Row;
  drawing_ = true;
  overlay_ = {true, std::nullopt};
}

void StreetEditor::Move(int x, int y) {
  if (!dragging_) return;
  overlay_.Line.reset();
  const int type = ChosenType();
  if (type == 0) return;
  overlay_.Line = RubberBand{world_.PositionX(walk_.StartCol), world_.PositionY(walk_.StartRow), x, y,
                             world::StreetColor(type), 3};
}

void StreetEditor::Release(int x, int y, MouseButton button) {
  (void)button;  // any button ends the street
  const int type = ChosenType();
  if (type == 0 || !drawing_) {
    Cancel();
    return;
  }
  const GridPosition end = CellUnderPixel(world_, x, y);
  dragging_ = false;
  walk_.StreetAngle =
      std::atan2(static_cast<double>(walk_.StartRow - end.Row), static_cast<double>(walk_.StartCol - end.Col));
  world_.StreetSegments.push_back({walk_.StartCol, walk_.StartRow, end.Col, end.Row, type});
  MarkStreetCells(world_, walk_, end.Col, end.Row, type);
  world_.StreetsDirty = true;
  // The overlay goes before the imprint, which may stop on a bad weight text.
  Cancel();
  if (!hooks_.DrawWithoutAgents()) {
    ImprintStreets(world_, hooks_.WeightTexts());
    hooks_.Imprinted();
    world_.RepaintWorld();
  } else {
    world_.DrawAllCells();
  }
}

void StreetEditor::Cancel() {
  dragging_ = false;
  drawing_ = false;
  overlay_ = {};
}

}  // namespace streets
