#pragma once

#include <functional>
#include <optional>

#include "layouts.h"
#include "street_field.h"
#include "world/world.h"

namespace streets {

enum class MouseButton { Left, Right, Middle };

// A line the window draws on the overlay: from the start cell's centre to the
// mouse, Width pixels wide, in the colour of the chosen street type.
struct RubberBand {
  int FromX = 0;
  int FromY = 0;
  int ToX = 0;
  int ToY = 0;
  world::ColorRef Color = world::kWhite;
  int Width = 3;
  bool operator==(const RubberBand&) const = default;
};

// The transparent layer above the world image while a street is drawn: it
// exists from a press to its release and shows at most the rubber band.
struct DrawOverlay {
  bool Exists = false;
  std::optional<RubberBand> Line;
};

// A grid position (column, row).
struct GridPosition {
  int Col = 0;
  int Row = 0;
  bool operator==(const GridPosition&) const = default;
};

// The cell under a panel pixel: column Round((x - HalfCell) / CellSize),
// row likewise, halves to even, then clamped onto the grid, so a pixel in
// the strip beyond the last cell or outside the panel gives the nearest
// edge cell.
GridPosition CellUnderPixel(const world::World& world, int x, int y);

// Drawing a street with the mouse on the drawing panel, without a window:
// the window passes panel pixels and the button, shows the overlay and the
// messages. One street is drawn at a time: the press starts it, the first
// release ends it, and its segment enters StreetSegments only complete.
class StreetEditor {
 public:
  // What the editor reads from the street tab when it needs it, and how it
  // stops the run and tells of an imprint. The simulation layer provides
  // them for the main window's controls.
  struct Hooks {
    std::function<int()> TypeItem;            // "choose street type": -1 none, 0..5 for -3..-1, +1..+3
    std::function<bool()> DrawWithoutAgents;  // "draw without agents"
    std::function<StreetWeightTexts()> WeightTexts;
    std::function<void()> StopRun;    // the run stops: Timer1 off, the start / stop font red
    std::function<void()> Imprinted;  // an imprint is done: StreetCellCount is new
  };

  StreetEditor(world::World& world, Hooks hooks) : world_(world), hooks_(std::move(hooks)) {}

  // Starts a street at the cell under (x, y). Throws
  // MissingValue("please select a street type") when no street type is
  // chosen. With "draw without agents" checked the run stops (Timer1 off,
  // the start / stop font red) and only the cells are painted; otherwise the
  // world is repainted and a run goes on. A press while a street is being
  // drawn (a second button) is ignored.
  void Press(int x, int y, MouseButton button);

  // While the left button that began the street is down: the overlay shows
  // the rubber band from the start cell's centre to (x, y).
  void Move(int x, int y);

  // Ends the street at the cell under (x, y): records its segment, marks its
  // cells, sets StreetsDirty; with "draw without agents" unchecked imprints
  // and repaints, else paints the cells only. Without a chosen type nothing
  // is drawn and no message is shown, but the street being drawn is dropped.
  // A release without a press is ignored. The imprint may throw the weight
  // parser's message; the street is drawn and the overlay gone by then.
  void Release(int x, int y, MouseButton button);

  // Drops the street being drawn and discards the overlay; no cell changes.
  void Cancel();

  const DrawOverlay& Overlay() const { return overlay_; }
  bool Dragging() const { return dragging_; }
  // True from a press with a type chosen to the release that ends it.
  bool Drawing() const { return drawing_; }
  // The start cell and StreetAngle of the latest street.
  const StreetWalk& Walk() const { return walk_; }

 private:
  // -3, -2, -1, +1, +2, +3 for the combo items 0..5; 0 when none is chosen.
  int ChosenType() const;

  world::World& world_;
  Hooks hooks_;
  DrawOverlay overlay_;
  StreetWalk walk_;
  bool dragging_ = false;
  bool drawing_ = false;
};

}  // namespace streets
