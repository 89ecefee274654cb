#pragma once
// A stroke as data: what it was drawn with and the points it passed. The ink is rendered
// from the strokes and is only a cache of them, so taking one away or bringing it back
// is a change to a list, not to pixels.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/dpi.h"
#include "imaging/geometry.h"

namespace fudekko {

enum class StrokeTool : std::uint8_t {
  Pen,
  // Takes ink away where it passes (the white pen); an entry of the list like any
  // other, as the order of strokes decides what it erased.
  PartialEraser,
  // Marks what lies under it: under all pen ink, multiplied with the text picture.
  Highlighter,
};

// A point of a stroke on the drawing area, in pixels: pixel (x, y) spans [x, x + 1) x
// [y, y + 1), so a mouse position names the point at its pixel's centre.
struct StrokePoint {
  float x = 0;
  float y = 0;
  // 0 to 1, as the stroke is drawn with it: the pen's, or the brush's simulated from
  // the speed of writing; 1 where there is none.
  float pressure = 1;
  // Milliseconds, as the input's clock gives them.
  std::uint32_t time = 0;
  friend bool operator==(const StrokePoint&, const StrokePoint&) = default;
};

inline StrokePoint strokePointAt(Point at, std::uint32_t time = 0) {
  return {static_cast<float>(at.x) + 0.5f, static_cast<float>(at.y) + 0.5f, 1.0f, time};
}

// The pixel a stroke point lies in (within 32 bits).
inline Point pixelOf(const StrokePoint& point) {
  return {clampToInt32(std::floor(double(point.x))), clampToInt32(std::floor(double(point.y)))};
}

// What a stroke is drawn with.
struct StrokePen {
  StrokeTool tool = StrokeTool::Pen;
  Color color = kBlack;
  std::int32_t lineWidth = 1;  // at 96 DPI, as the user chose it
  int dpi = kBaseDpi;          // the window's when the stroke began
  bool brush = false;          // the brush pen: tapered ends, width by speed or pressure
  friend bool operator==(const StrokePen&, const StrokePen&) = default;
};

struct Stroke {
  StrokePen pen;
  // In the order drawn, as the ink keeps them: the first is where the pen went down,
  // the last where it ended. Smooth ink leaves out the positions its path skips.
  std::vector<StrokePoint> points;
  // The pixels its ink may touch, set by the ink that drew it.
  Rect bounds;
  // Partial-eraser strokes that take ink away from this stroke alone: the gaps that later
  // erasers cut into it, which it carries along when it is moved or scaled. Drawn
  // strokes have none.
  std::vector<Stroke> cuts;

  std::size_t bytes() const {
    std::size_t total = sizeof(Stroke) + points.capacity() * sizeof(StrokePoint);
    for (const Stroke& cut : cuts) total += cut.bytes();
    return total;
  }
  friend bool operator==(const Stroke&, const Stroke&) = default;
};

}  // namespace fudekko
