#include "app/pen_cursor.h"

#include <gtest/gtest.h>

#include <cmath>

#include "surface/handwriting_surface.h"
#include "surface/pen_tools.h"

namespace fudekko {
namespace {

constexpr std::uint32_t argbOf(Color color) {
  return 0xFF000000u | std::uint32_t{redOf(color)} << 16 | std::uint32_t{greenOf(color)} << 8 |
         blueOf(color);
}

// Brightness (0-255) of the pixel laid over a grey background of `background` brightness.
double brightnessOver(std::uint32_t pixel, double background) {
  const double alpha = (pixel >> 24) / 255.0;
  const double red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
  return alpha * (0.299 * red + 0.587 * green + 0.114 * blue) + (1 - alpha) * background;
}

// How many pixels from the hot spot to the right (and downwards) in a row satisfy `holds`,
// the hot spot not counted; checks the run is the same to the left (and upwards).
template <typename Holds>
std::int32_t runFromCentre(const CursorImage& image, Holds holds) {
  const Point c = image.hotSpot;
  std::int32_t run = 0;
  while (c.x + run + 1 < image.size && holds(image.pixel(c.x + run + 1, c.y))) ++run;
  for (std::int32_t i = 1; i <= run + 1 && c.x - i >= 0; ++i) {
    EXPECT_EQ(holds(image.pixel(c.x - i, c.y)), i <= run) << "left " << i;
    EXPECT_EQ(holds(image.pixel(c.x, c.y - i)), i <= run) << "up " << i;
    EXPECT_EQ(holds(image.pixel(c.x, c.y + i)), i <= run) << "down " << i;
  }
  return run;
}

// Whether what shows of the cursor over `background` encloses the hot spot: the pixels
// that do not stand out from the background, reached from the hot spot by steps left,
// right, up and down, never reach the picture's border.
bool enclosed(const CursorImage& image, double background) {
  std::vector<bool> seen(image.pixels.size());
  std::vector<Point> next{image.hotSpot};
  while (!next.empty()) {
    const Point at = next.back();
    next.pop_back();
    const auto index = std::size_t(at.y) * std::size_t(image.size) + std::size_t(at.x);
    if (seen[index] ||
        std::abs(brightnessOver(image.pixel(at.x, at.y), background) - background) >= 200) {
      continue;
    }
    if (at.x == 0 || at.y == 0 || at.x == image.size - 1 || at.y == image.size - 1) return false;
    seen[index] = true;
    next.insert(next.end(),
                {{at.x - 1, at.y}, {at.x + 1, at.y}, {at.x, at.y - 1}, {at.x, at.y + 1}});
  }
  return true;
}

std::vector<PenCursorLook> allLooks(std::int32_t width, int dpi) {
  std::vector<PenCursorLook> looks;
  for (const Color color : kColorTable) looks.push_back({Tool::Pen, color, width, dpi});
  looks.push_back({Tool::PartialEraser, kWhite, width, dpi});
  looks.push_back({Tool::StrokeEraser, kWhite, width, dpi});
  return looks;
}

// The pen's circle is the stroke's: as many device pixels across as the stroke at that
// DPI, centred on the hot spot, in the pen's exact colour.
TEST(PenCursor, CircleFollowsWidthAndDpi) {
  const Color red = kColorTable[2];
  for (const int dpi : {96, 288}) {
    for (const std::int32_t width : {1, 3, 5, 7}) {
      SCOPED_TRACE(testing::Message() << "width " << width << " at " << dpi);
      const CursorImage image = penCursorImage({Tool::Pen, red, width, dpi});
      const std::int32_t across = scaledPenWidth(width, dpi);  // odd at these DPIs
      EXPECT_EQ(image.pixel(image.hotSpot.x, image.hotSpot.y), argbOf(red));
      EXPECT_EQ(runFromCentre(image, [&](std::uint32_t p) { return p == argbOf(red); }),
                (across - 1) / 2);
    }
  }
  // The eraser's empty circle: as the stroke's, short of the pixels that the stroke
  // covers just half.
  for (const int dpi : {96, 144, 480}) {
    SCOPED_TRACE(dpi);
    const CursorImage image = penCursorImage({Tool::PartialEraser, kWhite, 20, dpi});
    EXPECT_EQ(runFromCentre(image, [](std::uint32_t p) { return p == 0; }),
              scaledPenWidth(20, dpi) / 2 - 1);
  }
}

// Every look at every DPI: on white paper and on black text an unbroken outline shows
// around the hot spot, and the pen's circle stands out from its ring; the hot spot is the middle of
// an odd square no larger than the largest cursor, the picture is symmetric about it, and nothing
// is cut off at its border.
TEST(PenCursor, OutlineShowsOnWhiteAndBlack) {
  for (const int dpi : {96, 144, 192, 2000}) {
    for (const std::int32_t width : {1, 7, 20}) {
      for (const PenCursorLook& look : allLooks(width, dpi)) {
        SCOPED_TRACE(testing::Message()
                     << "tool " << int(look.tool) << " colour " << std::hex << look.color
                     << std::dec << " width " << width << " at " << dpi);
        const CursorImage image = penCursorImage(look);
        ASSERT_EQ(image.size % 2, 1);
        ASSERT_LE(image.size, kMaxCursorSize);
        ASSERT_EQ(image.pixels.size(), std::size_t(image.size) * std::size_t(image.size));
        EXPECT_EQ(image.hotSpot.x, image.size / 2);
        EXPECT_EQ(image.hotSpot.y, image.size / 2);
        const std::int32_t last = image.size - 1;
        for (std::int32_t i = 0; i < image.size; ++i) {
          EXPECT_EQ(
              image.pixel(i, 0) | image.pixel(i, last) | image.pixel(0, i) | image.pixel(last, i),
              0u);
          for (std::int32_t j = 0; j < image.size; ++j) {
            ASSERT_EQ(image.pixel(i, j), image.pixel(last - i, last - j)) << i << "," << j;
          }
        }
        for (const double background : {255.0, 0.0}) {
          EXPECT_TRUE(enclosed(image, background)) << "over " << background;
        }
        if (look.tool == Tool::Pen) {
          // The circle's edge shows against the ring next to it.
          const Point c = image.hotSpot;
          std::int32_t edge = c.x;
          while (image.pixel(edge, c.y) == argbOf(look.color)) ++edge;
          EXPECT_GE(std::abs(brightnessOver(image.pixel(edge, c.y), 0) -
                             brightnessOver(argbOf(look.color), 0)),
                    100);
        }
      }
    }
  }
}

// The erasers are told apart from the pens and from each other at the hot spot: the
// partial eraser is an empty ring, the stroke eraser's ring is struck through, the white
// pen (which takes ink away too) is a white circle.
TEST(PenCursor, ErasersShowTheirOwnOutline) {
  const CursorImage partial = penCursorImage({Tool::PartialEraser, kWhite, 20, 96});
  const CursorImage stroke = penCursorImage({Tool::StrokeEraser, kWhite, 20, 96});
  const CursorImage whitePen = penCursorImage({Tool::Pen, kWhite, 20, 96});
  const Point c = partial.hotSpot;
  EXPECT_EQ(partial.pixel(c.x, c.y), 0u);
  EXPECT_EQ(stroke.pixel(c.x, c.y), argbOf(kBlack));
  EXPECT_EQ(whitePen.pixel(c.x, c.y), argbOf(kWhite));
  // The strike runs from top left to bottom right, as on the eraser button.
  EXPECT_EQ(stroke.pixel(c.x - 4, c.y - 4), argbOf(kBlack));
  EXPECT_EQ(stroke.pixel(c.x + 4, c.y - 4), 0u);
}

// The thinnest pen keeps its one pixel at the hot spot, and a crosshair makes the cursor
// at least 13 pixels across on white and on black.
TEST(PenCursor, OnePixelPenStillShows) {
  for (const Color color : {kBlack, kWhite}) {
    const CursorImage image = penCursorImage({Tool::Pen, color, 1, 96});
    const Point c = image.hotSpot;
    EXPECT_EQ(image.pixel(c.x, c.y), argbOf(color));
    for (const double background : {255.0, 0.0}) {
      std::int32_t left = image.size, right = -1, top = image.size, bottom = -1;
      for (std::int32_t y = 0; y < image.size; ++y) {
        for (std::int32_t x = 0; x < image.size; ++x) {
          if (std::abs(brightnessOver(image.pixel(x, y), background) - background) < 200) continue;
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
      EXPECT_GE(right - left + 1, 13) << std::hex << color << " over " << background;
      EXPECT_GE(bottom - top + 1, 13) << std::hex << color << " over " << background;
    }
  }
}

// The look follows the tool in force, the surface's DPI, and shows what a stroke does:
// the white pen takes ink away, the eraser's pen laid ink once the colour button changed it.
TEST(PenCursor, LookOfTheSurface) {
  HandwritingSurface surface;
  surface.setStartPen({2, 7});
  surface.setDpi(144);
  EXPECT_EQ(penCursorLook(surface), (PenCursorLook{Tool::Pen, kColorTable[2], 7, 144}));
  surface.chooseTool(ChosenTool::Eraser);
  EXPECT_EQ(penCursorLook(surface),
            (PenCursorLook{Tool::PartialEraser, kWhite, kEraserWidth, 144}));
  surface.setEraserKind(EraserKind::Stroke);
  EXPECT_EQ(penCursorLook(surface).tool, Tool::StrokeEraser);
  surface.setEraserKind(EraserKind::Partial);
  surface.cyclePenColor();
  EXPECT_EQ(penCursorLook(surface), (PenCursorLook{Tool::Pen, kBlack, kEraserWidth, 144}));
  surface.chooseTool(ChosenTool::Pen);
  EXPECT_EQ(penCursorLook(surface), (PenCursorLook{Tool::Pen, kColorTable[2], 7, 144}));
  while (surface.pen().colorIndex != kWhiteIndex) surface.cyclePenColor();
  EXPECT_EQ(penCursorLook(surface), (PenCursorLook{Tool::PartialEraser, kWhite, 7, 144}));
}

}  // namespace
}  // namespace fudekko
