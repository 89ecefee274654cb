// Strokes (pen, highlighter and partial eraser), stroke-eraser sweeps, undo and redo on
// the surface, against a fresh render of the strokes that remain and against the lists
// each step should give back.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/ink.h"
#include "surface/mouse_strokes.h"
#include "surface/stroke_list.h"

namespace fudekko {
namespace {

struct StrokeInput {
  std::int32_t colorIndex;
  std::int32_t lineWidth;
  MouseButton button;
  std::vector<Point> points;
  bool releaseMissed;  // ends with a move that has no button held
  bool brush = false;
  bool highlighter = false;
};

constexpr std::int32_t kWidth = 80, kHeight = 60;

void draw(HandwritingSurface& surface, const StrokeInput& stroke) {
  surface.setStartPen({stroke.colorIndex, stroke.lineWidth});
  surface.setStartHighlighter({stroke.colorIndex, stroke.lineWidth});
  surface.chooseTool(stroke.highlighter ? ChosenTool::Highlighter : ChosenTool::Pen);
  surface.setBrushPen(stroke.brush);
  // 8 ms a position, as a mouse gives them.
  std::uint32_t time = 1000;
  MouseStrokes mouse(surface);
  mouse.press(stroke.button, stroke.points.front(), time);
  for (std::size_t i = 1; i < stroke.points.size(); ++i) {
    mouse.move(stroke.button, stroke.points[i], time += 8);
  }
  if (stroke.releaseMissed) {
    mouse.move(kNoButton, stroke.points.back(), time + 8);
  } else {
    mouse.release(stroke.points.back(), time + 8);
  }
}

StrokeInput randomStroke(std::mt19937& random) {
  StrokeInput stroke;
  const bool eraser = random() % 4 == 0;
  stroke.colorIndex = eraser ? kWhiteIndex : std::int32_t(random() % 15);
  stroke.lineWidth = eraser ? kEraserWidth : std::int32_t(1 + 2 * (random() % 4));
  stroke.button = random() % 3 ? kLeftButton : kRightButton;
  stroke.releaseMissed = random() % 5 == 0;
  stroke.brush = random() % 3 == 0;
  stroke.highlighter = !eraser && random() % 4 == 0;
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
  std::vector<Color> redrawn(const std::vector<StrokeInput>& strokes) {
    HandwritingSurface reference;
    reference.setSmoothInk(GetParam());
    reference.createLayers(kWidth, kHeight);
    for (const StrokeInput& stroke : strokes) draw(reference, stroke);
    // Entering handwriting mode over white paper recomposites everything.
    reference.enterHandwriting(white_, kWidth, kHeight);
    return composite(reference);
  }
  WhitePaper white_;
};

// A sweep of the stroke eraser along `points`.
void sweep(HandwritingSurface& surface, const std::vector<Point>& points) {
  MouseStrokes mouse(surface);
  surface.chooseTool(ChosenTool::Eraser);
  surface.setEraserKind(EraserKind::Stroke);
  mouse.press(kLeftButton, points.front());
  for (std::size_t i = 1; i < points.size(); ++i) mouse.move(kLeftButton, points[i]);
  mouse.release(points.back());
  surface.chooseTool(ChosenTool::Pen);
}

// The composite that `strokes` give rendered from scratch over white paper.
std::vector<Color> rendered(bool smooth, std::span<const fudekko::Stroke> strokes) {
  Picture background, shown;
  for (Picture* layer : {&background, &shown}) layer->setSize(kWidth, kHeight);
  const std::unique_ptr<Ink> ink = makeInk(smooth, kWidth, kHeight, background, shown);
  ink->redraw({0, 0, kWidth, kHeight}, strokes);
  ink->compose({0, 0, kWidth, kHeight});
  std::vector<Color> pixels;
  for (std::int32_t y = 0; y < kHeight; ++y) {
    for (std::int32_t x = 0; x < kWidth; ++x) pixels.push_back(shown.pixel(x, y));
  }
  return pixels;
}

TEST_P(HistoryTest, RandomStrokesSweepsUndosAndRedosShowAFreshRenderOfWhatRemains) {
  std::mt19937 random(GetParam() ? 5 : 6);
  HandwritingSurface surface = fresh();
  // The list after each step, the shown one at `at`.
  std::vector<std::vector<fudekko::Stroke>> lists{{}};
  std::size_t at = 0, sweepsThatErased = 0;
  const auto current = [&surface] {
    return std::vector<fudekko::Stroke>(surface.strokes().begin(), surface.strokes().end());
  };
  for (int step = 0; step < 150; ++step) {
    const int what = random() % 7;
    if (what == 6) {
      // A selection moved and scaled, recoloured or deleted: a step when there is one.
      std::vector<std::uint32_t> selected;
      for (std::uint32_t i = 0; i < surface.strokes().size(); ++i) {
        if (random() % 3 == 0) selected.push_back(i);
      }
      const SurfaceOutcome edited =
          random() % 3 == 0 ? surface.removeStrokes(selected)
          : random() % 2    ? surface.recolourStrokes(selected, kColorTable[random() % 15])
                            : surface.transformStrokes(
                                  selected, {0.5f + float(random() % 4) / 2, float(random() % kWidth),
                                             float(random() % kHeight), float(int(random() % 21) - 10),
                                             float(int(random() % 21) - 10)});
      if (edited.historyChanged()) {
        lists.resize(at + 1);
        lists.push_back(current());
        ++at;
      }
    } else if (what < 3) {
      const std::size_t before = surface.strokes().size();
      if (what < 2) {
        draw(surface, randomStroke(random));
      } else {
        sweep(surface, randomStroke(random).points);
      }
      if (current() != lists[at]) {
        lists.resize(at + 1);
        lists.push_back(current());
        ++at;
        if (what == 2) ++sweepsThatErased;
      }
      if (what < 2) {
        ASSERT_EQ(surface.strokes().size(), before + 1) << "step " << step;
      }
    } else if (what < 5) {
      surface.undo();
      if (at > 0) --at;
    } else {
      surface.redo();
      if (at + 1 < lists.size()) ++at;
    }
    ASSERT_EQ(current(), lists[at]) << "step " << step;
    ASSERT_EQ(surface.canUndo(), at > 0) << "step " << step;
    ASSERT_EQ(surface.canRedo(), at + 1 < lists.size()) << "step " << step;
    ASSERT_EQ(composite(surface), rendered(GetParam(), surface.strokes())) << "step " << step;
  }
  EXPECT_GT(sweepsThatErased, 5u);
}

// Live drawing, undo and redo against the same strokes drawn from the start.
TEST_P(HistoryTest, UndoAndRedoShowWhatTheRemainingStrokesDraw) {
  std::mt19937 random(GetParam() ? 8 : 9);
  HandwritingSurface surface = fresh();
  std::vector<StrokeInput> strokes;
  for (int i = 0; i < 6; ++i) {
    strokes.push_back(randomStroke(random));
    draw(surface, strokes.back());
  }
  for (std::size_t shown = strokes.size(); shown-- > 3;) {
    surface.undo();
    ASSERT_EQ(composite(surface), redrawn({strokes.begin(), strokes.begin() + shown}));
  }
  surface.redo();
  EXPECT_EQ(composite(surface), redrawn({strokes.begin(), strokes.begin() + 4}));
}

// The stroke eraser takes whole strokes, found between its samples too, and only the
// strokes of the pen: a partial-eraser stroke it crosses stays.
TEST_P(HistoryTest, TheStrokeEraserTakesWholeStrokesItsSweepTouches) {
  HandwritingSurface surface = fresh();
  draw(surface, {2, 3, kLeftButton, {{20, 5}, {20, 55}}, false});  // crossed between samples
  draw(surface, {4, 3, kLeftButton, {{60, 5}, {60, 22}}, false});  // 13 pixels away: out of reach
  draw(surface, {1, 3, kLeftButton, {{5, 50}, {75, 50}}, false});  // untouched
  draw(surface, {kWhiteIndex, 5, kLeftButton, {{40, 20}, {40, 40}}, false});
  const std::vector<Color> before = composite(surface);
  // One move from far left to far right at y = 35: the eraser reaches 10 pixels.
  sweep(surface, {{2, 35}, {78, 35}});
  ASSERT_EQ(surface.strokes().size(), 3u);
  EXPECT_EQ(surface.strokes()[0].points.front().x, 60.5f);
  EXPECT_EQ(surface.strokes()[1].points.front().x, 5.5f);
  EXPECT_EQ(composite(surface), rendered(GetParam(), surface.strokes()));
  EXPECT_NE(composite(surface), before);
  surface.undo();
  EXPECT_EQ(composite(surface), before);
  EXPECT_EQ(surface.strokes().size(), 4u);
  // A click of the stroke eraser takes what lies under it.
  sweep(surface, {{61, 20}});
  EXPECT_EQ(surface.strokes().size(), 3u);
}

// A very long stroke, strokes far outside the picture or at the 32-bit limits, and
// coincident points: no crash, memory kept to the points, and the ink still a render of
// the list.
TEST_P(HistoryTest, OddStrokesAreHarmless) {
  HandwritingSurface surface = fresh();
  StrokeInput longOne{0, 3, kLeftButton, {}, false};
  for (int i = 0; i < 100000; ++i) longOne.points.push_back({10 + i % 60, 10 + (i / 60) % 40});
  draw(surface, longOne);
  ASSERT_EQ(surface.strokes().size(), 1u);
  // Every position in the classic look (the last move, then the release); smooth ink
  // leaves out those its path skips.
  const std::size_t kept = surface.strokes()[0].points.size();
  if (GetParam()) {
    EXPECT_GT(kept, 10000u);
    EXPECT_LT(kept, 100001u);
  } else {
    EXPECT_EQ(kept, 100001u);
  }
  EXPECT_LT(surface.strokes()[0].bytes(), 100000 * sizeof(StrokePoint) * 2);
  const std::int32_t low = INT32_MIN, high = INT32_MAX;
  for (const std::vector<Point>& points : {std::vector<Point>{{-100000, -5}, {-90000, 30}},
                                           {{low, low}, {low, high}},
                                           {{high, high}, {high, high}},
                                           {{high, 0}, {high - 3, 1}},
                                           {{30, 30}, {30, 30}, {30, 30}}}) {
    draw(surface, {2, 7, kLeftButton, points, false});
    sweep(surface, points);
  }
  sweep(surface, {{low, low}, {high, high}});
  EXPECT_EQ(composite(surface), rendered(GetParam(), surface.strokes()));
  while (surface.canUndo()) surface.undo();
  EXPECT_EQ(composite(surface), redrawn({}));
}

TEST_P(HistoryTest, AnEraserStrokeUndoneBringsTheInkBack) {
  HandwritingSurface surface = fresh();
  draw(surface, {2, 7, kLeftButton, {{10, 30}, {70, 30}}, false});
  const std::vector<Color> inked = composite(surface);
  draw(surface, {kWhiteIndex, kEraserWidth, kLeftButton, {{40, 20}, {40, 40}}, false});
  ASSERT_NE(composite(surface), inked);
  EXPECT_FALSE(surface.undo().repaint.empty());
  EXPECT_EQ(composite(surface), inked);
  EXPECT_FALSE(surface.redo().repaint.empty());
  EXPECT_NE(composite(surface), inked);
}

TEST_P(HistoryTest, NothingHappensWhileAStrokeIsDrawnAndTheHistoryOutlivesModeChanges) {
  HandwritingSurface surface = fresh();
  MouseStrokes mouse{surface};
  draw(surface, {0, 5, kLeftButton, {{10, 10}, {50, 40}}, false});
  mouse.press(kLeftButton, {20, 50});
  EXPECT_TRUE(surface.undo().repaint.empty());  // the pen is down
  mouse.release({30, 50});

  surface.enterHandwriting(white_, kWidth, kHeight);
  surface.leaveHandwriting(kWidth, kHeight);
  surface.enterHandwriting(white_, kWidth, kHeight);
  surface.undo();
  surface.undo();
  EXPECT_FALSE(surface.canUndo());
  EXPECT_EQ(composite(surface), redrawn({}));
}

// A page restored at once, rendered in bands of rows side by side, shows what the same
// strokes showed drawn live: pen, brush and eraser strokes across the bands' edges.
TEST_P(HistoryTest, APageOfRestoredStrokesShowsWhatTheyShowedDrawnLive) {
  constexpr std::int32_t width = 120, height = 333;  // bands of 66 and 67 rows
  std::mt19937 random(GetParam() ? 11 : 12);
  HandwritingSurface live, restored;
  for (HandwritingSurface* surface : {&live, &restored}) {
    surface->setSmoothInk(GetParam());
    surface->createLayers(width, height);
  }
  for (int i = 0; i < 60; ++i) {
    StrokeInput stroke = randomStroke(random);
    for (Point& point : stroke.points)
      point = {point.x * width / kWidth, point.y * height / kHeight};
    draw(live, stroke);
  }
  StrokeList strokes;
  for (const fudekko::Stroke& stroke : live.strokes()) strokes.add(stroke);
  restored.restoreStrokes(std::move(strokes));
  const auto shown = [](HandwritingSurface& surface) {
    WhitePaper white;
    surface.enterHandwriting(white, width, height);
    std::vector<Color> pixels;
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) pixels.push_back(surface.composite()->pixel(x, y));
    }
    return pixels;
  };
  EXPECT_EQ(shown(restored), shown(live));
}

INSTANTIATE_TEST_SUITE_P(SmoothAndClassicInk, HistoryTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Smooth" : "Classic";
                         });

}  // namespace
}  // namespace fudekko
