#pragma once

namespace world {

struct TAgent;

// Where the model paints. The simulation calls these at the moments the
// model paints; the window brings a raster, the headless tool brings none.
class WorldPainter {
 public:
  virtual ~WorldPainter() = default;
  virtual void DrawCell(int x, int y) = 0;
  virtual void DrawAgent(const TAgent& agent) = 0;
  virtual void DrawAllCells() = 0;
  virtual void RepaintWorld() = 0;
  // A new set-up throws the old picture away and starts a blank one.
  virtual void CreateImage() = 0;
};

}  // namespace world
