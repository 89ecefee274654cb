#pragma once
// Shape recognition: whether a freehand stroke resembles a straight line, an ellipse or
// circle, a rectangle, a triangle or an arrow, and the clean shape to draw in its place.
// Geometry only: nothing here changes a stroke or the ink.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "surface/stroke.h"

namespace fudekko {

enum class ShapeKind : std::uint8_t {
  Line,
  // An ellipse whose shorter axis is at least kCircleRoundness of its longer one.
  Circle,
  Ellipse,
  Rectangle,
  Triangle,
  // A shaft with a two-barbed head at its end, drawn in one stroke: the shaft, one barb
  // out and back, then the other.
  Arrow,
};

struct RecognizedShape {
  ShapeKind kind = ShapeKind::Line;
  // The clean shape as a stroke's points, to be drawn with the freehand stroke's pen:
  // pressure 1, times spread over the freehand stroke's by length, in the direction it
  // was drawn. Lines, rectangles, triangles and arrows are polylines whose corners are
  // flanked by points a little way along their edges, so that smooth ink (which rounds a
  // turn over half the distance to the neighbouring points) turns sharply there; closed
  // figures end where they begin; an ellipse is a densely sampled closed polygon; an
  // arrow runs tail, tip, first barb, tip, second barb.
  std::vector<StrokePoint> points;
};

// An ellipse at least this round is reported as a circle (drawn as one).
inline constexpr double kCircleRoundness = 0.8;

// The diagonal of its bounding box, in pixels, that a stroke needs to be a shape.
inline constexpr double kMinimumShapeSize = 8;

// The shape `stroke` (its points in the order drawn, drawing-area pixels) resembles, or
// nothing: when it resembles none, spans less than kMinimumShapeSize (a dot, a tick) or
// holds a coordinate that is not finite. Tolerances are relative to the stroke's size.
// The work is bounded: the stroke is resampled to a fixed number of points first.
std::optional<RecognizedShape> recognizeShape(std::span<const StrokePoint> stroke);

}  // namespace fudekko
