#pragma once
// What the lasso does to the strokes it selected, as data: moved and scaled, they keep
// their look; recoloured, their kind.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/geometry.h"
#include "surface/stroke.h"

namespace fudekko {

// p' = anchor + (p - anchor) * scale + offset. A scale also scales the pen's width.
struct StrokeTransform {
  float scale = 1;
  float anchorX = 0;
  float anchorY = 0;
  float dx = 0;
  float dy = 0;
  friend bool operator==(const StrokeTransform&, const StrokeTransform&) = default;

  StrokePoint apply(StrokePoint point) const;
  // The box that holds whatever `box` held, moved and scaled (rounded outwards).
  Rect apply(const Rect& box) const;
};

// The strokes at `selected` (ascending, each within `strokes`) as `transform` leaves them,
// looking as they looked: each carries as its cuts the partial-eraser strokes after it
// that met it, and the cuts it had, moved and scaled alike, so that its erased gaps go
// with it while the erasers stay to keep the strokes beneath as they were.
std::vector<Stroke> transformedStrokes(std::span<const Stroke> strokes,
                                       std::span<const std::uint32_t> selected,
                                       const StrokeTransform& transform);

// The strokes at `selected` in `color`, their kind, width and cuts kept; erasers' strokes
// as they were.
std::vector<Stroke> recolouredStrokes(std::span<const Stroke> strokes,
                                      std::span<const std::uint32_t> selected, Color color);

}  // namespace fudekko
