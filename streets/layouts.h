#pragma once

#include "street_field.h"
#include "world/world.h"

namespace streets {

class StreetEditor;

// How the predefined layouts choose the type of each street: a random type
// per street ("random street types", CB_rndTyp) or the fixed type
// (the position of UpD_strType, -3..3).
struct TypeChoice {
  bool Random = true;
  int FixedType = 3;
};

// One of -3, -2, -1, +1, +2, +3, equally likely: 1 + a draw from [0, 6),
// with 4..6 turned into -3..-1.
int RandomStreetType(world::Random& random);

// What the walk of one street reads besides the cells: its start cell and
// the direction from its end cell to its start cell, in radians (-pi, pi].
struct StreetWalk {
  int StartCol = 0;
  int StartRow = 0;
  double StreetAngle = 0.0;
};

// Marks the cells of a street from (col, row) to the walk's start cell: each
// cell takes the type, its street colour and its StreetGrid entry, and is
// painted. From each cell the walk goes on to the one of its four torus
// neighbours (below, above, right, left: on equal terms the earlier wins)
// that brings it no farther from the start in either index and whose
// direction to the start differs least from StreetAngle. The angles are
// compared without wrapping around, as the walk always has.
void MarkStreetCells(world::World& world, const StreetWalk& walk, int col, int row, int type);

// Records the street from end to start in StreetSegments and marks its cells
// from end to start. Does nothing when an index lies outside the grid or the
// type is not one of -3..-1, +1..+3. Leaves StreetsDirty and the imprint to
// the caller.
void AddStreet(world::World& world, int endCol, int endRow, int startCol, int startRow, int type);

// "draw grid": n - 1 vertical streets, one every Round(GridRows / n)
// columns, then m - 1 horizontal ones, one every Round(GridRows / m) rows
// (they take over the crossings); then StreetsDirty, the imprint, the end of
// a street the editor was drawing, and a repaint. Throws
// MissingValue("0 is not a valid street type") before anything else when the
// fixed type is 0, whether or not random types are chosen; the imprint may
// throw the weight parser's message.
void DrawStreetGrid(world::World& world, const StreetWeightTexts& weights, int n, int m, TypeChoice choice,
                    StreetEditor* editor = nullptr);

// "random": count - 1 streets, each between two uniformly drawn positions
// (end column, end row, start column, start row, drawn after the type); then
// as DrawStreetGrid. Throws the same message for a fixed type of 0.
void DrawRandomStreets(world::World& world, const StreetWeightTexts& weights, int count, TypeChoice choice,
                       StreetEditor* editor = nullptr);

// "delete streets": every StreetGrid entry and StreetType 0, no segments,
// ApplyStreetGrid (white cells and the imprint), then a repaint.
void DeleteStreets(world::World& world, const StreetWeightTexts& weights);

}  // namespace streets
