#include "app/pen_cursor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "surface/handwriting_surface.h"

namespace fudekko {

namespace {

// At 96 DPI: the crosshair of a small pen reaches this far from the centre, so that the
// cursor is at least 13 pixels across.
constexpr std::int32_t kCrosshairReach = 6;
constexpr std::int32_t kLargestHalf = (kMaxCursorSize - 1) / 2;
constexpr std::int32_t kThickestRim = 8;

bool isLight(Color color) {
  return 299 * redOf(color) + 587 * greenOf(color) + 114 * blueOf(color) >= 128 * 1000;
}

// Whether a pixel belongs to a shape, from the distance of the pixel's centre to the
// shape's core and the core's half width. Hard edges keep outlines of a pixel or two crisp
// and at full contrast; the pen's circle holds the pixels that its stroke covers more than
// half (surface/ink_rasterizer.cpp), which also keeps circles of a whole radius round.
bool inside(double distance, double halfWidth) {
  return distance < halfWidth;
}

// Distance of (x, y) from the segment from -reach · direction to reach · direction.
double distanceToBar(double x, double y, double directionX, double directionY, double reach) {
  const double along = std::clamp(x * directionX + y * directionY, -reach, reach);
  return std::hypot(x - along * directionX, y - along * directionY);
}

std::uint32_t opaque(Color color) {
  return 0xFF000000u | std::uint32_t{redOf(color)} << 16 | std::uint32_t{greenOf(color)} << 8 |
         blueOf(color);
}

// The cursor's pixels, painted shape over shape, clear at first. Positions are relative to
// the centre of the middle pixel.
class CursorCanvas {
 public:
  explicit CursorCanvas(std::int32_t half)
      : image_{2 * half + 1,
               {half, half},
               std::vector<std::uint32_t>(
                   static_cast<std::size_t>((2 * half + 1) * (2 * half + 1)))} {}

  // Sets the pixels for which `shape(x, y)` holds to `pixel` (0xAARRGGBB; 0 clears them).
  template <typename Shape>
  void paint(std::uint32_t pixel, Shape shape) {
    const std::int32_t half = image_.hotSpot.x;
    auto at = image_.pixels.begin();
    for (std::int32_t y = -half; y <= half; ++y) {
      for (std::int32_t x = -half; x <= half; ++x, ++at) {
        if (shape(double(x), double(y))) *at = pixel;
      }
    }
  }

  CursorImage finish() && { return std::move(image_); }

 private:
  CursorImage image_;
};

// A light bar with a dark core through the centre, in the direction given, cut off at
// `within` from the centre.
void paintBar(CursorCanvas& canvas, double directionX, double directionY, double reach,
              double coreHalfWidth, double rim, double within) {
  const auto bar = [=](double halfWidth) {
    return [=](double x, double y) {
      return inside(distanceToBar(x, y, directionX, directionY, reach), halfWidth) &&
             inside(std::hypot(x, y), within);
    };
  };
  canvas.paint(opaque(kWhite), bar(coreHalfWidth + rim));
  canvas.paint(opaque(kBlack), bar(coreHalfWidth));
}

// The tool's tip of `radius`: a disc, or for the highlighter a marker's square tip.
auto tip(Tool tool, double radius) {
  const bool square = tool == Tool::Highlighter;
  return [=](double x, double y) {
    return inside(square ? std::max(std::abs(x), std::abs(y)) : std::hypot(x, y), radius);
  };
}

}  // namespace

PenCursorLook penCursorLook(const HandwritingSurface& surface) {
  const ToolInForce tool = surface.toolInForce();
  return {tool.tool, tool.color, tool.width96, surface.dpi()};
}

CursorImage penCursorImage(const PenCursorLook& look) {
  // One pixel at 96 DPI; bounded so that the rings leave room for a circle at any DPI.
  const double rim = std::clamp(scaleForDpi(1, look.dpi), 1, kThickestRim);
  // Both rings fit inside the largest cursor: only a pen far wider than any the program
  // offers is drawn smaller than its strokes.
  const double radius =
      std::min(scaledPenWidth(look.width96, look.dpi) / 2.0, kLargestHalf - 0.5 - 2 * rim);
  const double outer = radius + 2 * rim;
  const double reach =
      std::min<double>(scaleForDpi(kCrosshairReach, look.dpi), kLargestHalf - 1 - 2 * rim);
  const bool crosshair = outer + 2 * rim <= reach;
  const auto half = std::min(
      kLargestHalf, static_cast<std::int32_t>(std::floor(crosshair ? reach + 2 * rim : outer) + 1));
  CursorCanvas canvas(half);

  if (crosshair) {
    // Under the rings, so that the circle and its centre stay as they are.
    paintBar(canvas, 1, 0, reach, rim / 2, rim, reach + 2 * rim);
    paintBar(canvas, 0, 1, reach, rim / 2, rim, reach + 2 * rim);
  }
  const bool inks = look.tool == Tool::Pen || look.tool == Tool::Highlighter;
  // Next to the ink's colour the ring that contrasts with it; outside it the other one.
  const Color inner = inks && !isLight(look.color) ? kWhite : kBlack;
  canvas.paint(opaque(inner == kBlack ? kWhite : kBlack), tip(look.tool, outer));
  canvas.paint(opaque(inner), tip(look.tool, radius + rim));
  canvas.paint(inks ? opaque(look.color) : 0, tip(look.tool, radius));
  if (look.tool == Tool::StrokeEraser) {
    // Struck through inside the ring, as the eraser button shows the stroke eraser.
    paintBar(canvas, std::sqrt(0.5), std::sqrt(0.5), radius, rim, rim, radius);
  }
  return std::move(canvas).finish();
}

}  // namespace fudekko
