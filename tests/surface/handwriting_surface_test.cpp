#include "surface/handwriting_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/raster_model.h"
#include "surface/compositing.h"
#include "surface/mouse_strokes.h"

namespace fudekko {
namespace {

// Paints a fixed pattern: grey everywhere, a red pixel at (1, 2).
class PatternSnapshot : public TextAreaSnapshot {
 public:
  void paintInto(Picture& picture) override {
    picture.setBrushColor(kGrey);
    picture.fillRect({0, 0, picture.width(), picture.height()});
    picture.setPixel(1, 2, kRed);
    ++calls;
  }
  static constexpr Color kGrey = 0x808080;
  static constexpr Color kRed = 0x0000FF;
  int calls = 0;
};

// Paints one colour everywhere.
class Painted : public TextAreaSnapshot {
 public:
  explicit Painted(Color color) : color_(color) {}
  void paintInto(Picture& picture) override {
    picture.setBrushColor(color_);
    picture.fillRect({0, 0, picture.width(), picture.height()});
  }

 private:
  Color color_;
};

Picture filled(std::int32_t width, std::int32_t height, Color color) {
  Picture picture;
  picture.setBrushColor(color);
  picture.setSize(width, height);
  return picture;
}

// ---- Pen tools ----

TEST(PenTools, ColorCyclesThroughTheTable) {
  HandwritingSurface surface;
  surface.setStartPen({14, 3});
  EXPECT_EQ(surface.cyclePenColor(), (Pen{15, 3}));
  EXPECT_EQ(surface.cyclePenColor(), (Pen{0, 3}));
  for (int i = 0; i < 16; ++i) surface.cyclePenColor();
  EXPECT_EQ(surface.pen().colorIndex, 0);
  // A stored pen outside the table or absurdly wide never reaches the pen.
  surface.setStartPen({16, 1000});
  EXPECT_EQ(surface.pen(), (Pen{0, 20}));
}

TEST(PenTools, WidthSequences) {
  HandwritingSurface surface;
  const auto sequence = [&](int start) {
    surface.setStartPen({0, start});
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) widths.push_back(surface.cyclePenWidth().lineWidth);
    return widths;
  };
  EXPECT_EQ(sequence(5), (std::vector<int>{7, 1, 3, 5}));
  EXPECT_EQ(sequence(2), (std::vector<int>{4, 6, 8, 1}));
  EXPECT_EQ(sequence(8), (std::vector<int>{1, 3, 5, 7}));
  EXPECT_EQ(sequence(20), (std::vector<int>{1, 3, 5, 7}));
}

TEST(PenTools, EraserReplacesThePenAndBringsItBack) {
  HandwritingSurface surface;
  surface.setStartPen({4, 3});
  surface.chooseTool(ChosenTool::Eraser);
  EXPECT_EQ(surface.pen(), (Pen{15, 20}));
  // The colour tool works on the eraser's pen.
  EXPECT_EQ(surface.cyclePenColor(), (Pen{0, 20}));
  surface.chooseTool(ChosenTool::Pen);
  EXPECT_EQ(surface.pen(), (Pen{4, 3}));
}

// ---- Compositing ----

TEST(recomposite, InkOverBackgroundWithWhiteTransparent) {
  Picture ink = filled(30, 20, kWhite);
  Picture back = filled(30, 20, 0x123456);
  Picture composite = filled(30, 20, 0x00FF00);
  ink.setPixel(10, 10, 0x0000FF);
  ink.setPixel(11, 10, 0x000000);
  ink.setPixel(12, 10, 0xFEFFFF);  // nearly white is ink
  const Rect done = recomposite(ink, back, composite, {10, 10}, {12, 10});
  EXPECT_EQ(done, (Rect{5, 5, 17, 15}));
  EXPECT_EQ(composite.pixel(10, 10), 0x0000FFu);
  EXPECT_EQ(composite.pixel(11, 10), 0x000000u);
  EXPECT_EQ(composite.pixel(12, 10), 0xFEFFFFu);
  EXPECT_EQ(composite.pixel(5, 5), 0x123456u);
  EXPECT_EQ(composite.pixel(16, 14), 0x123456u);
  // Outside R the composite is untouched.
  EXPECT_EQ(composite.pixel(4, 10), 0x00FF00u);
  EXPECT_EQ(composite.pixel(17, 10), 0x00FF00u);
  EXPECT_EQ(composite.pixel(10, 15), 0x00FF00u);
  EXPECT_EQ(composite.pixel(10, 4), 0x00FF00u);
}

TEST(recomposite, MatchesTheRasterOperationSequence) {
  // Random ink (a third of it white) over a random background: the direct rule must
  // give what the mask-and-raster-operation construction gives.
  std::uint32_t seed = 12345;
  const auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  Picture ink = filled(40, 30, kWhite), back = filled(40, 30, kWhite);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (next() % 3) ink.setPixel(x, y, next() & 0xFFFFFF);
      back.setPixel(x, y, next() & 0xFFFFFF);
    }
  }
  const Rect r{-5, -5, 45, 35};
  Picture inkPatch = filled(r.width(), r.height(), kWhite);
  Picture backPatch = inkPatch, result = inkPatch, mask = inkPatch;
  const Rect patch{0, 0, r.width(), r.height()};
  test::copyRect(inkPatch, {0, 0}, ink, r);
  test::copyRect(backPatch, {0, 0}, back, r);
  test::copyRect(result, {0, 0}, backPatch, patch);
  test::copyRect(mask, {0, 0}, inkPatch, patch);
  test::brushCopy(mask, {0, 0}, inkPatch, patch, kWhite, kBlack);
  test::copyRect(mask, {0, 0}, inkPatch, patch, test::RasterOp::MergePaint);
  test::copyRect(result, {0, 0}, mask, patch, test::RasterOp::SrcPaint);
  test::copyRect(result, {0, 0}, inkPatch, patch, test::RasterOp::SrcAnd);

  Picture composite = filled(40, 30, kBlack);
  recomposite(ink, back, composite, {0, 0}, {35, 25});
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(composite.pixel(x, y), result.pixel(x + 5, y + 5)) << x << "," << y;
    }
  }
}

TEST(recomposite, LayersOfDifferentSizesAndPointsOutside) {
  Picture ink = filled(10, 30, 0x0000FF);   // narrow, tall
  Picture back = filled(30, 10, 0x00FF00);  // wide, short
  Picture composite = filled(20, 20, 0xFF0000);
  const Rect done = recomposite(ink, back, composite, {-100, -100}, {100, 100});
  EXPECT_EQ(done, (Rect{0, 0, 20, 20}));
  EXPECT_EQ(composite.pixel(5, 5), 0x0000FFu);   // ink
  EXPECT_EQ(composite.pixel(5, 15), 0x0000FFu);  // ink, no background
  EXPECT_EQ(composite.pixel(15, 5), 0x00FF00u);  // no ink: background
  EXPECT_EQ(composite.pixel(15, 15), kWhite);    // neither: white

  // Another format takes the same rule.
  Picture composite24(PixelFormat::Bits24, 20, 20);
  recomposite(ink, back, composite24, {0, 0}, {20, 20});
  EXPECT_EQ(composite24.pixel(5, 15), 0x0000FFu);
  EXPECT_EQ(composite24.pixel(15, 5), 0x00FF00u);
  EXPECT_EQ(composite24.pixel(15, 15), kWhite);

  // Entirely outside the composite: nothing happens.
  Picture before = composite;
  EXPECT_TRUE(recomposite(ink, back, composite, {-30, -30}, {-6, -6}).empty());
  EXPECT_EQ(recomposite(ink, back, composite, {-30, -30}, {-5, -5}), (Rect{0, 0, 0, 0}));
  EXPECT_EQ(composite.pixel(0, 0), before.pixel(0, 0));
  // Extreme coordinates neither overflow nor write anywhere.
  EXPECT_TRUE(recomposite(ink, back, composite, {INT32_MAX, INT32_MAX}, {INT32_MAX, 0}).empty());
  EXPECT_EQ(recomposite(ink, back, composite, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}),
            (Rect{0, 0, 20, 20}));
}

// ---- Strokes ----

// The classic ink ("SmoothInk=0"): aliased segments between the mouse positions.
class StrokeTest : public testing::Test {
 protected:
  StrokeTest() {
    surface.setSmoothInk(false);
    surface.setStartPen({2, 1});  // red, 1 pixel
    surface.createLayers(60, 40);
  }
  Color ink(int x, int y) const { return colorOfStored(surface.ink()->cell(x, y)); }
  Color shown(int x, int y) const { return surface.composite()->pixel(x, y); }
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
};

TEST_F(StrokeTest, LayersStartWhiteAtTheTextAreaSize) {
  for (const Picture* layer : {surface.background(), surface.composite()}) {
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->width(), 60);
    EXPECT_EQ(layer->height(), 40);
    EXPECT_TRUE(layer->isDeviceDependent());
    EXPECT_EQ(layer->pixel(59, 39), kWhite);
  }
  ASSERT_TRUE(surface.ink());
  EXPECT_EQ(surface.ink()->cell(59, 39), kNoInk);
  EXPECT_EQ(surface.ink()->cell(60, 39), kNoInk);
}

TEST_F(StrokeTest, ClickWithoutMovementRecompositesItsTenByTenSquare) {
  Painted green(0x00FF00);
  surface.enterHandwriting(green, 60, 40);
  EXPECT_TRUE(mouse.press(kLeftButton, {20, 15}).repaint.empty());
  EXPECT_TRUE(surface.isDrawing());
  EXPECT_EQ(shown(20, 15), 0x00FF00u);  // nothing drawn yet
  const Rect done = mouse.release({20, 15}).repaint;
  EXPECT_EQ(done, (Rect{15, 10, 25, 20}));
  EXPECT_FALSE(surface.isDrawing());
  EXPECT_EQ(ink(20, 15), kColorTable[2]);
  EXPECT_EQ(shown(20, 15), kColorTable[2]);
  EXPECT_EQ(shown(15, 10), 0x00FF00u);
  EXPECT_EQ(shown(24, 19), 0x00FF00u);
}

TEST_F(StrokeTest, SegmentsFollowTheMouseAndWhiteInkErases) {
  // White paper with one green pixel under the stroke.
  class GreenDot : public TextAreaSnapshot {
    void paintInto(Picture& picture) override {
      picture.setBrushColor(kWhite);
      picture.fillRect({0, 0, picture.width(), picture.height()});
      picture.setPixel(20, 10, 0x00FF00);
    }
  } snapshot;
  surface.enterHandwriting(snapshot, 60, 40);
  mouse.press(kRightButton, {10, 10});
  EXPECT_EQ(mouse.move(kRightButton, {30, 10}).repaint, (Rect{5, 5, 35, 15}));
  EXPECT_EQ(mouse.move(kRightButton, {30, 20}).repaint, (Rect{25, 5, 35, 25}));
  mouse.release({30, 20});
  for (int x = 10; x <= 30; ++x) EXPECT_EQ(shown(x, 10), kColorTable[2]) << x;
  for (int y = 10; y <= 20; ++y) EXPECT_EQ(shown(30, y), kColorTable[2]) << y;
  EXPECT_EQ(surface.background()->pixel(20, 10), 0x00FF00u);  // never drawn on
  EXPECT_EQ(surface.background()->pixel(21, 10), kWhite);

  // The eraser paints white ink: the background shows again.
  surface.chooseTool(ChosenTool::Eraser);
  mouse.press(kLeftButton, {20, 10});
  mouse.release({20, 10});
  EXPECT_EQ(ink(20, 10), kWhite);
  EXPECT_EQ(shown(20, 10), 0x00FF00u);
  EXPECT_EQ(shown(19, 10), kWhite);
  // The eraser is 20 pixels wide, wider than the recomposite margin: the screen still
  // shows exactly what the ink holds, so no erased ink stays visible.
  EXPECT_EQ(ink(30, 10), kWhite);
  EXPECT_EQ(shown(30, 10), kWhite);
  EXPECT_EQ(shown(30, 20), kColorTable[2]);  // beyond the eraser's reach
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      const Color expected = ink(x, y) == kWhite ? surface.background()->pixel(x, y) : ink(x, y);
      ASSERT_EQ(shown(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(StrokeTest, DraggingOutsideDrawsTowardTheOutsidePoint) {
  mouse.press(kLeftButton, {5, 5});
  const Rect done = mouse.move(kLeftButton, {-20, 5}).repaint;
  EXPECT_EQ(done, (Rect{0, 0, 10, 10}));
  EXPECT_EQ(shown(0, 5), kColorTable[2]);
  mouse.release({-20, -20});
  EXPECT_FALSE(surface.isDrawing());
}

TEST_F(StrokeTest, EventsWithoutAStrokeDrawNothing) {
  EXPECT_TRUE(mouse.move(kLeftButton, {10, 10}).repaint.empty());
  EXPECT_TRUE(mouse.release({10, 10}).repaint.empty());
  EXPECT_EQ(ink(10, 10), kWhite);
  EXPECT_EQ(shown(10, 10), kWhite);
}

TEST_F(StrokeTest, SecondButtonRestartsTheStrokeAndFirstReleaseEndsIt) {
  mouse.press(kLeftButton, {10, 10});
  mouse.press(kRightButton, {40, 30});
  EXPECT_EQ(ink(25, 20), kWhite);  // nothing drawn between the two presses
  mouse.release({40, 35});
  EXPECT_EQ(ink(40, 33), kColorTable[2]);
  EXPECT_FALSE(surface.isDrawing());
  EXPECT_TRUE(mouse.move(kRightButton, {50, 35}).repaint.empty());
}

TEST_F(StrokeTest, MissedReleaseEndsTheStrokeWithoutDrawing) {
  // A right-button stroke leaves the area and is released outside; the next move over
  // the area comes with no button held.
  mouse.press(kRightButton, {10, 10});
  mouse.move(kRightButton, {0, 10});
  EXPECT_TRUE(mouse.move(kNoButton, {40, 30}).repaint.empty());
  EXPECT_FALSE(surface.isDrawing());
  EXPECT_EQ(ink(25, 20), kWhite);
  EXPECT_TRUE(mouse.move(kRightButton, {45, 30}).repaint.empty());

  // Holding only another button than the stroke's counts as missed too.
  mouse.press(kMiddleButton, {10, 30});
  EXPECT_TRUE(mouse.move(kLeftButton, {50, 30}).repaint.empty());
  EXPECT_EQ(ink(30, 30), kWhite);

  // After a restart by a second button, either held button keeps the stroke going.
  mouse.press(kLeftButton, {10, 20});
  mouse.press(kRightButton, {10, 20});
  EXPECT_FALSE(mouse.move(kLeftButton, {20, 20}).repaint.empty());
  EXPECT_EQ(ink(15, 20), kColorTable[2]);
}

// At 192 DPI a stroke is twice as many pixels wide as at 96 and the recomposite's
// margin is twice as wide, so the wider pen still lies within it.
TEST_F(StrokeTest, StrokesAndMarginScaleWithTheDpi) {
  surface.setStartPen({2, 5});
  HandwritingSurface at96;
  at96.setSmoothInk(false);  // as the fixture's surface
  at96.setStartPen({2, 5});
  at96.createLayers(60, 40);
  surface.setDpi(192);

  MouseStrokes mouse96(at96);
  for (MouseStrokes* each : {&mouse, &mouse96}) {
    each->press(kLeftButton, {10, 20});
    each->move(kLeftButton, {40, 20});
    each->release({40, 20});
  }
  const auto inkRows = [](const HandwritingSurface& drawn) {
    int rows = 0;
    for (int y = 0; y < 40; ++y) rows += drawn.ink()->cell(25, y) != kNoInk;
    return rows;
  };
  EXPECT_EQ(inkRows(at96), 5);
  EXPECT_GE(inkRows(surface), 9);
  EXPECT_LE(inkRows(surface), 11);
  // Every ink pixel of the wide stroke reached the composite.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(shown(x, y), ink(x, y)) << x << "," << y;
  }
  // A click's square: the margin (10 at 192 DPI, 5 at 96) around its position.
  for (MouseStrokes* each : {&mouse, &mouse96}) each->press(kLeftButton, {20, 15});
  EXPECT_EQ(mouse.release({20, 15}).repaint, (Rect{10, 5, 30, 25}));
  EXPECT_EQ(mouse96.release({20, 15}).repaint, (Rect{15, 10, 25, 20}));

  // A later DPI change leaves the ink as it was drawn.
  std::vector<Color> before;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) before.push_back(ink(x, y));
  }
  surface.setDpi(96);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(ink(x, y), before[std::size_t(y * 60 + x)]);
  }
  EXPECT_EQ(surface.pen().lineWidth, 5);
}

// ---- Modes and sizing ----

TEST_F(StrokeTest, EnteringAndLeavingHandwritingMode) {
  mouse.press(kLeftButton, {50, 35});
  mouse.release({50, 35});

  PatternSnapshot snapshot;
  const Rect done = surface.enterHandwriting(snapshot, 80, 36);
  EXPECT_EQ(snapshot.calls, 1);
  EXPECT_EQ(done, (Rect{0, 0, 80, 36}));
  for (const Picture* layer : {surface.background(), surface.composite()}) {
    EXPECT_EQ(layer->width(), 80);
    EXPECT_EQ(layer->height(), 36);
  }
  EXPECT_EQ(ink(50, 35), kColorTable[2]);  // strokes stay in place
  EXPECT_EQ(shown(50, 35), kColorTable[2]);
  EXPECT_EQ(shown(1, 2), PatternSnapshot::kRed);
  EXPECT_EQ(shown(70, 20), PatternSnapshot::kGrey);

  const Picture backBefore = *surface.background();
  const Picture compositeBefore = *surface.composite();
  std::vector<Color> inkBefore;
  for (int y = 0; y < 36; ++y) {
    for (int x = 0; x < 80; ++x) inkBefore.push_back(ink(x, y));
  }
  EXPECT_EQ(surface.leaveHandwriting(80, 36), (Rect{0, 0, 80, 36}));
  EXPECT_EQ(snapshot.calls, 1);
  for (int y = 0; y < 36; ++y) {
    for (int x = 0; x < 80; ++x) {
      ASSERT_EQ(surface.background()->pixel(x, y), backBefore.pixel(x, y));
      ASSERT_EQ(ink(x, y), inkBefore[std::size_t(y * 80 + x)]);
      ASSERT_EQ(shown(x, y), compositeBefore.pixel(x, y));
    }
  }
}

TEST_F(StrokeTest, ResizeKeepsStrokesWholeAndTheCompositeAsItWas) {
  PatternSnapshot snapshot;
  surface.enterHandwriting(snapshot, 60, 40);
  mouse.press(kLeftButton, {50, 30});
  mouse.release({50, 30});

  surface.resize(40, 20);
  EXPECT_EQ(surface.background()->width(), 40);
  EXPECT_EQ(surface.composite()->width(), 60);
  EXPECT_EQ(ink(50, 30), kWhite);
  EXPECT_EQ(shown(50, 30), kColorTable[2]);  // the screen still shows the old pixels

  // The stroke comes back with the size; the snapshot's cut-off part does not.
  surface.resize(60, 40);
  EXPECT_EQ(ink(50, 30), kColorTable[2]);
  EXPECT_EQ(surface.background()->pixel(49, 29), kWhite);
  EXPECT_EQ(surface.background()->pixel(1, 2), PatternSnapshot::kRed);

  surface.leaveHandwriting(60, 40);
  EXPECT_EQ(shown(50, 30), kColorTable[2]);
  EXPECT_EQ(shown(1, 2), PatternSnapshot::kRed);
}

TEST_F(StrokeTest, NothingHappensAfterRelease) {
  surface.releaseLayers();
  EXPECT_FALSE(surface.background());
  EXPECT_FALSE(surface.ink());
  EXPECT_FALSE(surface.composite());
  surface.resize(100, 100);
  EXPECT_FALSE(surface.background());
  mouse.press(kLeftButton, {1, 1});
  EXPECT_TRUE(mouse.release({2, 2}).repaint.empty());
  PatternSnapshot snapshot;
  EXPECT_TRUE(surface.enterHandwriting(snapshot, 10, 10).empty());
  EXPECT_EQ(snapshot.calls, 0);
}

}  // namespace
}  // namespace fudekko
