#pragma once

#include "rounding.h"

namespace world {

// Street types in the order of the weight table rows 1..7 (-3 .. +3) and
// their colours (the legend labels colCode1..colCode7; type 0 is white).
inline constexpr int kStreetTypeCount = 7;

// The colour of street type -3..+3; white for any other type.
constexpr ColorRef StreetColor(int type) {
  constexpr ColorRef colors[kStreetTypeCount] = {
      Rgb(125, 38, 205), Rgb(171, 130, 255), Rgb(224, 102, 255), kWhite,
      Rgb(255, 127, 0),  Rgb(205, 102, 0),   Rgb(205, 0, 0),
  };
  if (type < -3 || type > 3) return kWhite;
  return colors[type + 3];
}

}  // namespace world
