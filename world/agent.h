#pragma once

#include "random.h"
#include "rounding.h"

namespace world {

// One agent. Created with all fields zero and filled by placement; only
// the cell, pixel centre, satisfied flag and step offsets change later.
struct TAgent {
  double Budget = 0.0;  // the most rent the agent accepts
  bool Satisfied = false;
  int CellX = 0;
  int CellY = 0;
  int Group = 0;  // 1..GroupCount
  ColorRef Color = 0;
  int PixelX = 0;  // CellX * CellSize + HalfCell
  int PixelY = 0;
  int Radius = 0;  // disc radius in pixels, AgentSize when placed
  int StepX = 0;   // offsets of the latest ChangeHeading
  int StepY = 0;

  // Draws a new step: each offset is Round(u * (2d + 2) - (d + 1)) for a
  // uniform u in [0, 1), so it lies in -(d + 1)..d + 1 with the two ends half
  // as likely. StepX is drawn before StepY. The angle does not enter.
  void ChangeHeading(int angle, int distance, Random& random) {
    (void)angle;
    DrawStep(distance, random, StepX, StepY);
  }

  // The offsets ChangeHeading draws, for loops that keep them in registers.
  static void DrawStep(int distance, Random& random, int& x, int& y) {
    const double width = 2.0 * distance + 2.0;
    const double shift = distance + 1.0;
    x = static_cast<int>(RoundHalfEven(random.NextReal() * width - shift));
    y = static_cast<int>(RoundHalfEven(random.NextReal() * width - shift));
  }
};

}  // namespace world
