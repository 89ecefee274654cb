// Undo and redo of whole strokes on the surface, against a surface that draws only the
// strokes the history should leave, from the start.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "surface/handwriting_surface.h"

namespace fudekko {
namespace {

struct Stroke {
  std::int32_t colorIndex;
  std::int32_t lineWidth;
  MouseButton button;
  std::vector<Point> points;
  bool releaseMissed;  // ends with a move that has no button held
};

constexpr std::int32_t kWidth = 80, kHeight = 60;

void draw(HandwritingSurface& surface, const Stroke& stroke) {
  surface.setStartPen({stroke.colorIndex, stroke.lineWidth});
  surface.penDown(stroke.button, stroke.points.front());
  for (std::size_t i = 1; i < stroke.points.size(); ++i) {
    surface.penMove(stroke.button, stroke.points[i]);
  }
  if (stroke.releaseMissed) {
    surface.penMove(kNoButton, stroke.points.back());
  } else {
    surface.penUp(stroke.button, stroke.points.back());
  }
}

Stroke randomStroke(std::mt19937& random) {
  Stroke stroke;
  const bool eraser = random() % 4 == 0;
  stroke.colorIndex = eraser ? kWhiteIndex : std::int32_t(random() % 15);
  stroke.lineWidth = eraser ? kEraserWidth : std::int32_t(1 + 2 * (random() % 4));
  stroke.button = random() % 3 ? kLeftButton : kRightButton;
  stroke.releaseMissed = random() % 5 == 0;
  // A click whose release was missed draws nothing in the classic look: no step.
  const int count = (stroke.releaseMissed ? 2 : 1) + random() % 8;
  // Inside the layer, so that every stroke changes something and is a step.
  for (int i = 0; i < count; ++i) {
    stroke.points.push_back({std::int32_t(random() % kWidth), std::int32_t(random() % kHeight)});
  }
  return stroke;
}

std::vector<Color> composite(const HandwritingSurface& surface) {
  std::vector<Color> pixels;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) pixels.push_back(surface.composite()->pixel(x, y));
  }
  return pixels;
}

class WhitePaper : public TextAreaSnapshot {
 public:
  void paintInto(Picture& picture) override {
    picture.setBrushColor(kWhite);
    picture.fillRect({0, 0, picture.width(), picture.height()});
  }
};

class HistoryTest : public testing::TestWithParam<bool> {
 protected:
  HandwritingSurface fresh() {
    HandwritingSurface surface;
    surface.setSmoothInk(GetParam());
    surface.createLayers(kWidth, kHeight);
    return surface;
  }
  // What the screen must show after `strokes`, drawn from the start.
  std::vector<Color> redrawn(const std::vector<Stroke>& strokes) {
    HandwritingSurface reference;
    reference.setSmoothInk(GetParam());
    reference.createLayers(kWidth, kHeight);
    for (const Stroke& stroke : strokes) draw(reference, stroke);
    // Entering handwriting mode over white paper recomposites everything.
    reference.enterHandwriting(white_, kWidth, kHeight);
    return composite(reference);
  }
  WhitePaper white_;
};

TEST_P(HistoryTest, RandomStrokesUndosAndRedosShowWhatTheRemainingStrokesDraw) {
  std::mt19937 random(GetParam() ? 5 : 6);
  HandwritingSurface surface;
  surface.setSmoothInk(GetParam());
  surface.createLayers(kWidth, kHeight);
  std::vector<Stroke> strokes;  // all strokes that can be redone, the shown ones first
  std::size_t shown = 0;
  for (int step = 0; step < 120; ++step) {
    const int what = random() % 5;
    if (what < 2) {
      strokes.resize(shown);
      strokes.push_back(randomStroke(random));
      draw(surface, strokes.back());
      ++shown;
    } else if (what < 4) {
      surface.undo();
      if (shown > 0) --shown;
    } else {
      surface.redo();
      if (shown < strokes.size()) ++shown;
    }
    ASSERT_EQ(surface.canUndo(), shown > 0) << "step " << step;
    ASSERT_EQ(surface.canRedo(), shown < strokes.size()) << "step " << step;
    // Both inks recomposite every pixel they change: the screen is exact as it stands.
    ASSERT_EQ(composite(surface), redrawn({strokes.begin(), strokes.begin() + shown}))
        << "step " << step;
  }
}

TEST_P(HistoryTest, AnEraserStrokeUndoneBringsTheInkBack) {
  HandwritingSurface surface = fresh();
  draw(surface, {2, 7, kLeftButton, {{10, 30}, {70, 30}}, false});
  const std::vector<Color> inked = composite(surface);
  draw(surface, {kWhiteIndex, kEraserWidth, kLeftButton, {{40, 20}, {40, 40}}, false});
  ASSERT_NE(composite(surface), inked);
  EXPECT_FALSE(surface.undo().empty());
  EXPECT_EQ(composite(surface), inked);
  EXPECT_FALSE(surface.redo().empty());
  EXPECT_NE(composite(surface), inked);
}

TEST_P(HistoryTest, NothingHappensWhileAStrokeIsDrawnAndTheHistoryOutlivesModeChanges) {
  HandwritingSurface surface = fresh();
  draw(surface, {0, 5, kLeftButton, {{10, 10}, {50, 40}}, false});
  surface.penDown(kLeftButton, {20, 50});
  EXPECT_TRUE(surface.undo().empty());  // the pen is down
  surface.penUp(kLeftButton, {30, 50});

  surface.enterHandwriting(white_, kWidth, kHeight);
  surface.leaveHandwriting(kWidth, kHeight);
  surface.enterHandwriting(white_, kWidth, kHeight);
  surface.undo();
  surface.undo();
  EXPECT_FALSE(surface.canUndo());
  EXPECT_EQ(composite(surface), redrawn({}));
}

INSTANTIATE_TEST_SUITE_P(SmoothAndClassicInk, HistoryTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Smooth" : "Classic";
                         });

}  // namespace
}  // namespace fudekko
