#include "app/pen_cursor.h"

#include <algorithm>
#include <cmath>

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

// Whether a shape covers a pixel, from the distance of the pixel's centre to the shape's
// core and the core's half width. Hard edges keep outlines of a pixel or two crisp and at
// full contrast; the pen's circle covers the pixels that its stroke covers more than half
// (surface/ink_rasterizer.cpp), which also keeps circles of a whole radius round.
double covered(double distance, double halfWidth) {
  return distance < halfWidth ? 1.0 : 0.0;
}

// Distance of (x, y) from the segment from -reach · direction to reach · direction.
double distanceToBar(double x, double y, double directionX, double directionY, double reach) {
  const double along = std::clamp(x * directionX + y * directionY, -reach, reach);
  return std::hypot(x - along * directionX, y - along * directionY);
}

// Layers of paint laid one over the other with partial coverage, kept premultiplied
// until the picture is finished. Positions are relative to the centre of the middle
// pixel.
class CursorCanvas {
 public:
  explicit CursorCanvas(std::int32_t half)
      : half_(half), size_(2 * half + 1), paint_(static_cast<std::size_t>(size_ * size_)) {}

  // Lays `color` over what is there as far as `coverage(x, y)` reaches.
  template <typename Coverage>
  void paint(Color color, Coverage coverage) {
    apply(coverage, [color](Paint& paint, double share) {
      paint.red = paint.red * (1 - share) + redOf(color) * share;
      paint.green = paint.green * (1 - share) + greenOf(color) * share;
      paint.blue = paint.blue * (1 - share) + blueOf(color) * share;
      paint.alpha = paint.alpha * (1 - share) + share;
    });
  }

  // Takes away what is there as far as `coverage(x, y)` reaches.
  template <typename Coverage>
  void clear(Coverage coverage) {
    apply(coverage, [](Paint& paint, double share) {
      paint.red *= 1 - share;
      paint.green *= 1 - share;
      paint.blue *= 1 - share;
      paint.alpha *= 1 - share;
    });
  }

  CursorImage finish() const {
    CursorImage image{size_, {half_, half_}, {}};
    image.pixels.reserve(paint_.size());
    for (const Paint& paint : paint_) {
      if (paint.alpha <= 0) {
        image.pixels.push_back(0);
        continue;
      }
      const auto channel = [&](double premultiplied) {
        return static_cast<std::uint32_t>(
            std::lround(std::min(premultiplied / paint.alpha, 255.0)));
      };
      image.pixels.push_back(static_cast<std::uint32_t>(std::lround(paint.alpha * 255)) << 24 |
                             channel(paint.red) << 16 | channel(paint.green) << 8 |
                             channel(paint.blue));
    }
    return image;
  }

 private:
  struct Paint {
    double red = 0, green = 0, blue = 0, alpha = 0;
  };

  template <typename Coverage, typename Blend>
  void apply(Coverage coverage, Blend blend) {
    for (std::int32_t y = 0; y < size_; ++y) {
      for (std::int32_t x = 0; x < size_; ++x) {
        const double share = coverage(double(x - half_), double(y - half_));
        if (share > 0) blend(paint_[static_cast<std::size_t>(y * size_ + x)], share);
      }
    }
  }

  std::int32_t half_;
  std::int32_t size_;
  std::vector<Paint> paint_;
};

// A light bar with a dark core through the centre, in the direction given, cut off at
// `within` from the centre.
void paintBar(CursorCanvas& canvas, double directionX, double directionY, double reach,
              double coreHalfWidth, double rim, double within) {
  const auto bar = [=](double halfWidth) {
    return [=](double x, double y) {
      return covered(distanceToBar(x, y, directionX, directionY, reach), halfWidth) *
             covered(std::hypot(x, y), within);
    };
  };
  canvas.paint(kWhite, bar(coreHalfWidth + rim));
  canvas.paint(kBlack, bar(coreHalfWidth));
}

auto disc(double radius) {
  return [radius](double x, double y) { return covered(std::hypot(x, y), radius); };
}

}  // namespace

PenCursorLook penCursorLook(const HandwritingSurface& surface) {
  const Pen& pen = surface.pen();
  CursorTool tool = CursorTool::Pen;
  if (surface.eraser()) {
    tool = surface.eraserKind() == EraserKind::Stroke ? CursorTool::StrokeEraser
                                                      : CursorTool::PartialEraser;
  }
  return {tool, colorTableEntry(pen.colorIndex), pen.lineWidth, surface.dpi()};
}

CursorImage penCursorImage(const PenCursorLook& look) {
  // One pixel at 96 DPI; bounded so that the rings leave room for a circle at any DPI.
  const double rim = std::clamp(scaleForDpi(1, look.dpi), 1, kThickestRim);
  // Both rings and their soft edge fit inside the largest cursor: only a pen far wider
  // than any the program offers is drawn smaller than its strokes.
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
  const bool pen = look.tool == CursorTool::Pen;
  // Next to the pen's colour the ring that contrasts with it; outside it the other one.
  const Color inner = pen && !isLight(look.color) ? kWhite : kBlack;
  canvas.paint(inner == kBlack ? kWhite : kBlack, disc(outer));
  canvas.paint(inner, disc(radius + rim));
  if (pen) {
    canvas.paint(look.color, disc(radius));
  } else {
    canvas.clear(disc(radius));
  }
  if (look.tool == CursorTool::StrokeEraser) {
    // Struck through inside the ring, as the eraser button shows the stroke eraser.
    paintBar(canvas, std::sqrt(0.5), std::sqrt(0.5), radius, rim, rim, radius);
  }
  return canvas.finish();
}

}  // namespace fudekko
