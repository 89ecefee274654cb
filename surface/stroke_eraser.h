#pragma once
// What the stroke eraser touches: a stroke whose ink comes within the eraser's reach of
// the eraser's path anywhere, between samples too, so that a fast sweep skips nothing.

#include "surface/ink.h"
#include "surface/ink_rasterizer.h"

namespace fudekko {

// The distance between the segments ab and cd (either may be a point).
double segmentDistance(InkPoint a, InkPoint b, InkPoint c, InkPoint d);

// Whether the eraser's piece from `from` to `to`, reaching `radius` on each side, meets
// the ink of `outline`.
bool eraserTouches(const StrokeOutline& outline, InkPoint from, InkPoint to, double radius);

}  // namespace fudekko
