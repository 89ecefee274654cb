#include "surface/handwriting_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"
#include "support/raster_model.h"
#include "surface/compositing.h"

namespace fudekko {
namespace {

struct Written {
  std::string section;
  std::string key;
  std::int32_t value;
  friend bool operator==(const Written&, const Written&) = default;
};

// Records the pen as the settings file stores it: colour first, then width.
class RecordingSettings : public PenStore {
 public:
  void storePen(std::int32_t colorIndex, std::int32_t lineWidth) override {
    write("PenColor", colorIndex);
    write("PenWidth", lineWidth);
  }
  void write(std::string_view key, std::int32_t value) {
    if (failAt == static_cast<int>(writes.size())) throw Error("%s に書き込めません");
    writes.push_back({"Main", std::string(key), value});
  }
  std::vector<Written> writes;
  int failAt = -1;
};

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

Picture filled(std::int32_t width, std::int32_t height, Color color) {
  Picture picture;
  picture.setBrushColor(color);
  picture.setSize(width, height);
  return picture;
}

// ---- Pen tools ----

TEST(PenTools, ColorButtonCyclesAndStoresColorBeforeWidth) {
  RecordingSettings settings;
  HandwritingSurface surface(settings);
  surface.setStartPen(14, 3);
  surface.onColorButtonClick();
  EXPECT_EQ(surface.colorIndex, 15);
  surface.onColorButtonClick();
  EXPECT_EQ(surface.colorIndex, 0);
  EXPECT_EQ(settings.writes, (std::vector<Written>{{"Main", "PenColor", 15},
                                                   {"Main", "PenWidth", 3},
                                                   {"Main", "PenColor", 0},
                                                   {"Main", "PenWidth", 3}}));
  for (int i = 0; i < 16; ++i) surface.onColorButtonClick();
  EXPECT_EQ(surface.colorIndex, 0);
  // A stored pen outside the table or absurdly wide never reaches the pen.
  surface.setStartPen(16, 1000);
  EXPECT_EQ(surface.colorIndex, 0);
  EXPECT_EQ(surface.savedLineWidth, 20);
}

TEST(PenTools, LineButtonSequences) {
  RecordingSettings settings;
  HandwritingSurface surface(settings);
  const auto sequence = [&](int start) {
    surface.setStartPen(0, start);
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) {
      surface.onLineButtonClick();
      widths.push_back(surface.lineWidth);
    }
    return widths;
  };
  EXPECT_EQ(sequence(5), (std::vector<int>{7, 1, 3, 5}));
  EXPECT_EQ(sequence(2), (std::vector<int>{4, 6, 8, 1}));
  EXPECT_EQ(sequence(8), (std::vector<int>{1, 3, 5, 7}));
  EXPECT_EQ(sequence(20), (std::vector<int>{1, 3, 5, 7}));
}

TEST(PenTools, EraserSavesAndRestoresThePenWithoutStoring) {
  RecordingSettings settings;
  HandwritingSurface surface(settings);
  surface.setStartPen(4, 3);
  surface.onEraseButtonClick(true);
  EXPECT_EQ(surface.colorIndex, 15);
  EXPECT_EQ(surface.lineWidth, 20);
  EXPECT_TRUE(settings.writes.empty());
  // The colour button works on the eraser's pen and stores it.
  surface.onColorButtonClick();
  EXPECT_EQ(settings.writes,
            (std::vector<Written>{{"Main", "PenColor", 0}, {"Main", "PenWidth", 20}}));
  surface.onEraseButtonClick(false);
  EXPECT_EQ(surface.colorIndex, 4);
  EXPECT_EQ(surface.lineWidth, 3);
  EXPECT_EQ(settings.writes.size(), 2u);
}

TEST(PenTools, GlyphPixels) {
  RecordingSettings settings;
  HandwritingSurface surface(settings);
  surface.setStartPen(0, 5);
  surface.updatePenGlyphs();

  const Picture& line = surface.lineGlyph;
  ASSERT_EQ(line.width(), 64);
  ASSERT_EQ(line.height(), 45);
  EXPECT_EQ(line.format(), PixelFormat::Bits24);
  EXPECT_EQ(line.pixel(0, 44), kWhite);  // the transparent corner
  for (int x = 20; x <= 44; ++x) EXPECT_EQ(line.pixel(x, 22), kBlack) << x;
  EXPECT_EQ(line.pixel(32, 20), kBlack);  // 5 wide: rows 20 to 24
  EXPECT_EQ(line.pixel(32, 24), kBlack);
  EXPECT_EQ(line.pixel(32, 19), kWhite);
  EXPECT_EQ(line.pixel(32, 25), kWhite);
  EXPECT_EQ(line.pixel(10, 22), kWhite);

  const Picture& color = surface.colorGlyph;
  EXPECT_EQ(color.pixel(0, 44), kColorTable[2]);  // background entry 0 + 2
  EXPECT_EQ(color.pixel(14, 22), kColorTable[2]);
  EXPECT_EQ(color.pixel(15, 10), kBlack);  // outline
  EXPECT_EQ(color.pixel(48, 34), kBlack);
  EXPECT_EQ(color.pixel(49, 35), kColorTable[2]);  // right and bottom outside
  EXPECT_EQ(color.pixel(16, 11), kColorTable[0]);  // swatch

  // Background entry for the other indices, swatch in the pen colour.
  const int expectedBackground[16] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 1, 2, 3};
  for (int index = 0; index < 16; ++index) {
    surface.setStartPen(index, 1);
    surface.updatePenGlyphs();
    EXPECT_EQ(surface.colorGlyph.pixel(0, 44), kColorTable[expectedBackground[index]]) << index;
    EXPECT_EQ(surface.colorGlyph.pixel(30, 20), kColorTable[index]) << index;
    EXPECT_EQ(surface.colorGlyph.pixel(15, 20), kBlack) << index;
    EXPECT_EQ(surface.lineGlyph.pixel(32, 21), kWhite) << index;  // 1 pixel wide
  }
}

TEST(PenTools, FailedColorWriteSkipsWidthButKeepsGlyphsAndPen) {
  RecordingSettings settings;
  settings.failAt = 0;
  HandwritingSurface surface(settings);
  surface.setStartPen(3, 5);
  EXPECT_THROW(surface.onColorButtonClick(), Error);
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_EQ(surface.colorIndex, 4);
  EXPECT_EQ(surface.colorGlyph.pixel(30, 20), kColorTable[4]);
}

// The glyphs at 144 and 192 DPI are the 96-DPI ones drawn anew at the larger size,
// with the pen and the outline scaled alike; returning to 96 gives today's glyphs.
TEST(PenTools, GlyphsAreDrawnAtTheWindowsDpi) {
  RecordingSettings settings;
  HandwritingSurface surface(settings);
  surface.setStartPen(0, 5);
  surface.setDpi(192);
  EXPECT_TRUE(settings.writes.empty());  // a DPI change stores nothing
  const Picture& line = surface.lineGlyph;
  ASSERT_EQ(line.width(), 128);
  ASSERT_EQ(line.height(), 90);
  EXPECT_EQ(line.format(), PixelFormat::Bits24);
  // A 10-pixel bar (5 at 96 DPI) from x 40 to 88 around row 45.
  int barRows = 0;
  for (int y = 0; y < 90; ++y) barRows += line.pixel(64, y) == kBlack;
  EXPECT_NEAR(barRows, 10, 1);  // as wide as the line primitive paints a 10-pixel pen
  EXPECT_EQ(line.pixel(45, 45), kBlack);
  EXPECT_EQ(line.pixel(83, 45), kBlack);
  EXPECT_EQ(line.pixel(30, 45), kWhite);
  EXPECT_EQ(line.pixel(98, 45), kWhite);
  EXPECT_EQ(line.pixel(0, 89), kWhite);  // the transparent corner
  // The swatch: left 30, top 20, right 98, bottom 70, with a 2-pixel outline.
  const Picture& color = surface.colorGlyph;
  EXPECT_EQ(color.pixel(29, 45), kColorTable[2]);
  EXPECT_EQ(color.pixel(30, 45), kBlack);
  EXPECT_EQ(color.pixel(31, 45), kBlack);
  EXPECT_EQ(color.pixel(32, 45), kColorTable[0]);
  EXPECT_EQ(color.pixel(97, 69), kBlack);
  EXPECT_EQ(color.pixel(98, 70), kColorTable[2]);

  // 144 DPI: 96 x 68 (67.5 rounded up), the 5-pixel pen 8 wide (7.5 rounded up).
  surface.setDpi(144);
  ASSERT_EQ(surface.lineGlyph.width(), 96);
  ASSERT_EQ(surface.lineGlyph.height(), 68);
  barRows = 0;
  for (int y = 0; y < 68; ++y) barRows += surface.lineGlyph.pixel(48, y) == kBlack;
  EXPECT_NEAR(barRows, 8, 1);

  // The pen keeps its 96-DPI width in the settings.
  surface.onLineButtonClick();
  EXPECT_EQ(surface.lineWidth, 7);
  EXPECT_EQ(settings.writes.back(), (Written{"Main", "PenWidth", 7}));

  surface.setDpi(96);
  surface.setStartPen(0, 5);
  surface.updatePenGlyphs();
  RecordingSettings plain;
  HandwritingSurface reference(plain);
  reference.setStartPen(0, 5);
  reference.updatePenGlyphs();
  ASSERT_EQ(surface.lineGlyph.width(), 64);
  ASSERT_EQ(surface.lineGlyph.height(), 45);
  for (int y = 0; y < 45; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(surface.lineGlyph.pixel(x, y), reference.lineGlyph.pixel(x, y));
      ASSERT_EQ(surface.colorGlyph.pixel(x, y), reference.colorGlyph.pixel(x, y));
    }
  }
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
  StrokeTest() : surface(settings) {
    surface.setSmoothInk(false);
    surface.setStartPen(2, 1);  // red, 1 pixel
    surface.createLayers(60, 40);
  }
  Color ink(int x, int y) const { return surface.inkPicture->pixel(x, y); }
  Color shown(int x, int y) const { return surface.compositePicture->pixel(x, y); }
  RecordingSettings settings;
  HandwritingSurface surface;
};

TEST_F(StrokeTest, LayersStartWhiteAtTheTextAreaSize) {
  for (const Picture* layer : {surface.backgroundPicture.get(), surface.inkPicture.get(),
                               surface.compositePicture.get()}) {
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->width(), 60);
    EXPECT_EQ(layer->height(), 40);
    EXPECT_TRUE(layer->isDeviceDependent());
    EXPECT_EQ(layer->pixel(59, 39), kWhite);
  }
}

TEST_F(StrokeTest, ClickWithoutMovementRecompositesItsTenByTenSquare) {
  surface.backgroundPicture->setBrushColor(0x00FF00);
  surface.backgroundPicture->fillRect({0, 0, 60, 40});
  EXPECT_TRUE(surface.onDrawingAreaMouseDown(kLeftButton, {20, 15}).empty());
  EXPECT_TRUE(surface.penDown);
  EXPECT_EQ(shown(20, 15), kWhite);  // nothing drawn yet
  const Rect done = surface.onDrawingAreaMouseUp(kLeftButton, {20, 15});
  EXPECT_EQ(done, (Rect{15, 10, 25, 20}));
  EXPECT_FALSE(surface.penDown);
  EXPECT_EQ(ink(20, 15), kColorTable[2]);
  EXPECT_EQ(shown(20, 15), kColorTable[2]);
  EXPECT_EQ(shown(15, 10), 0x00FF00u);
  EXPECT_EQ(shown(24, 19), 0x00FF00u);
  EXPECT_EQ(shown(14, 15), kWhite);
  EXPECT_EQ(shown(25, 15), kWhite);
}

TEST_F(StrokeTest, SegmentsFollowTheMouseAndWhiteInkErases) {
  surface.onDrawingAreaMouseDown(kRightButton, {10, 10});
  EXPECT_EQ(surface.onDrawingAreaMouseMove(kRightButton, {30, 10}), (Rect{5, 5, 35, 15}));
  EXPECT_EQ(surface.previousPoint, (Point{30, 10}));
  EXPECT_EQ(surface.onDrawingAreaMouseMove(kRightButton, {30, 20}), (Rect{25, 5, 35, 25}));
  surface.onDrawingAreaMouseUp(kRightButton, {30, 20});
  for (int x = 10; x <= 30; ++x) EXPECT_EQ(shown(x, 10), kColorTable[2]) << x;
  for (int y = 10; y <= 20; ++y) EXPECT_EQ(shown(30, y), kColorTable[2]) << y;
  EXPECT_EQ(surface.backgroundPicture->pixel(20, 10), kWhite);  // never drawn on

  // The eraser paints white ink: the background shows again.
  surface.backgroundPicture->setPixel(20, 10, 0x00FF00);
  surface.onEraseButtonClick(true);
  surface.onDrawingAreaMouseDown(kLeftButton, {20, 10});
  surface.onDrawingAreaMouseUp(kLeftButton, {20, 10});
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
      const Color expected =
          ink(x, y) == kWhite ? surface.backgroundPicture->pixel(x, y) : ink(x, y);
      ASSERT_EQ(shown(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(StrokeTest, DraggingOutsideDrawsTowardTheOutsidePoint) {
  surface.onDrawingAreaMouseDown(kLeftButton, {5, 5});
  const Rect done = surface.onDrawingAreaMouseMove(kLeftButton, {-20, 5});
  EXPECT_EQ(done, (Rect{0, 0, 10, 10}));
  EXPECT_EQ(shown(0, 5), kColorTable[2]);
  EXPECT_EQ(surface.previousPoint, (Point{-20, 5}));
  surface.onDrawingAreaMouseUp(kLeftButton, {-20, -20});
  EXPECT_FALSE(surface.penDown);
}

TEST_F(StrokeTest, EventsWithoutAStrokeDrawNothing) {
  EXPECT_TRUE(surface.onDrawingAreaMouseMove(kLeftButton, {10, 10}).empty());
  EXPECT_TRUE(surface.onDrawingAreaMouseUp(kLeftButton, {10, 10}).empty());
  EXPECT_EQ(ink(10, 10), kWhite);
  EXPECT_EQ(shown(10, 10), kWhite);
}

TEST_F(StrokeTest, SecondButtonRestartsTheStrokeAndFirstReleaseEndsIt) {
  surface.onDrawingAreaMouseDown(kLeftButton, {10, 10});
  surface.onDrawingAreaMouseDown(kRightButton, {40, 30});
  EXPECT_EQ(ink(25, 20), kWhite);  // nothing drawn between the two presses
  EXPECT_EQ(surface.previousPoint, (Point{40, 30}));
  surface.onDrawingAreaMouseUp(kLeftButton, {40, 35});
  EXPECT_EQ(ink(40, 33), kColorTable[2]);
  EXPECT_FALSE(surface.penDown);
  EXPECT_TRUE(surface.onDrawingAreaMouseMove(kRightButton, {50, 35}).empty());
}

TEST_F(StrokeTest, MissedReleaseEndsTheStrokeWithoutDrawing) {
  // A right-button stroke leaves the area and is released outside; the next move over
  // the area comes with no button held.
  surface.onDrawingAreaMouseDown(kRightButton, {10, 10});
  surface.onDrawingAreaMouseMove(kRightButton, {0, 10});
  EXPECT_TRUE(surface.onDrawingAreaMouseMove(kNoButton, {40, 30}).empty());
  EXPECT_FALSE(surface.penDown);
  EXPECT_EQ(ink(25, 20), kWhite);
  EXPECT_TRUE(surface.onDrawingAreaMouseMove(kRightButton, {45, 30}).empty());

  // Holding only another button than the stroke's counts as missed too.
  surface.onDrawingAreaMouseDown(kMiddleButton, {10, 30});
  EXPECT_TRUE(surface.onDrawingAreaMouseMove(kLeftButton, {50, 30}).empty());
  EXPECT_EQ(ink(30, 30), kWhite);

  // After a restart by a second button, either held button keeps the stroke going.
  surface.onDrawingAreaMouseDown(kLeftButton, {10, 20});
  surface.onDrawingAreaMouseDown(kRightButton, {10, 20});
  EXPECT_FALSE(surface.onDrawingAreaMouseMove(kLeftButton, {20, 20}).empty());
  EXPECT_EQ(ink(15, 20), kColorTable[2]);
}

// At 192 DPI a stroke is twice as many pixels wide as at 96 and the recomposite's
// margin is twice as wide, so the wider pen still lies within it.
TEST_F(StrokeTest, StrokesAndMarginScaleWithTheDpi) {
  surface.setStartPen(2, 5);
  RecordingSettings plain;
  HandwritingSurface at96(plain);
  at96.setSmoothInk(false);  // as the fixture's surface
  at96.setStartPen(2, 5);
  at96.createLayers(60, 40);
  surface.setDpi(192);

  for (HandwritingSurface* each : {&surface, &at96}) {
    each->onDrawingAreaMouseDown(kLeftButton, {10, 20});
    each->onDrawingAreaMouseMove(kLeftButton, {40, 20});
    each->onDrawingAreaMouseUp(kLeftButton, {40, 20});
  }
  const auto inkRows = [](const Picture& picture) {
    int rows = 0;
    for (int y = 0; y < picture.height(); ++y) rows += picture.pixel(25, y) != kWhite;
    return rows;
  };
  EXPECT_EQ(inkRows(*at96.inkPicture), 5);
  EXPECT_GE(inkRows(*surface.inkPicture), 9);
  EXPECT_LE(inkRows(*surface.inkPicture), 11);
  // Every ink pixel of the wide stroke reached the composite.
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(shown(x, y), ink(x, y)) << x << "," << y;
  }
  EXPECT_EQ(surface.recomposite({20, 15}, {20, 15}), (Rect{10, 5, 30, 25}));
  EXPECT_EQ(at96.recomposite({20, 15}, {20, 15}), (Rect{15, 10, 25, 20}));

  // A later DPI change leaves the ink as it was drawn.
  const Picture before = *surface.inkPicture;
  surface.setDpi(96);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_EQ(ink(x, y), before.pixel(x, y));
  }
  EXPECT_EQ(surface.lineWidth, 5);
}

// ---- Modes and sizing ----

TEST_F(StrokeTest, EnteringAndLeavingHandwritingMode) {
  surface.onDrawingAreaMouseDown(kLeftButton, {50, 35});
  surface.onDrawingAreaMouseUp(kLeftButton, {50, 35});

  PatternSnapshot snapshot;
  const Rect done = surface.onDrawingButtonClick(true, 700, 480, 80, 36, snapshot);
  EXPECT_EQ(snapshot.calls, 1);
  EXPECT_EQ(done, (Rect{0, 0, 80, 36}));
  EXPECT_EQ(surface.savedWidth, 700);
  EXPECT_EQ(surface.savedHeight, 480);
  for (const Picture* layer : {surface.backgroundPicture.get(), surface.inkPicture.get(),
                               surface.compositePicture.get()}) {
    EXPECT_EQ(layer->width(), 80);
    EXPECT_EQ(layer->height(), 36);
  }
  EXPECT_EQ(ink(50, 35), kColorTable[2]);  // strokes stay in place
  EXPECT_EQ(shown(50, 35), kColorTable[2]);
  EXPECT_EQ(shown(1, 2), PatternSnapshot::kRed);
  EXPECT_EQ(shown(70, 20), PatternSnapshot::kGrey);

  const Picture backBefore = *surface.backgroundPicture;
  const Picture inkBefore = *surface.inkPicture;
  const Picture compositeBefore = *surface.compositePicture;
  EXPECT_EQ(surface.onDrawingButtonClick(false, 690, 470, 80, 36, snapshot), (Rect{0, 0, 80, 36}));
  EXPECT_EQ(snapshot.calls, 1);
  EXPECT_EQ(surface.savedWidth, 690);
  for (int y = 0; y < 36; ++y) {
    for (int x = 0; x < 80; ++x) {
      ASSERT_EQ(surface.backgroundPicture->pixel(x, y), backBefore.pixel(x, y));
      ASSERT_EQ(surface.inkPicture->pixel(x, y), inkBefore.pixel(x, y));
      ASSERT_EQ(shown(x, y), compositeBefore.pixel(x, y));
    }
  }
  EXPECT_STREQ(drawingButtonCaption(true), "手書き中");
  EXPECT_STREQ(drawingButtonCaption(false), "手書き");
}

TEST_F(StrokeTest, WindowCannotGrowInHandwritingMode) {
  PatternSnapshot snapshot;
  surface.onDrawingButtonClick(true, 700, 480, 60, 40, snapshot);
  std::int32_t width = 800, height = 400;
  surface.onCanResize(true, width, height);
  EXPECT_EQ(width, 700);
  EXPECT_EQ(height, 400);
  width = 650;
  height = 900;
  surface.onCanResize(true, width, height);
  EXPECT_EQ(width, 650);
  EXPECT_EQ(height, 480);
  width = 2000;
  height = 2000;
  surface.onCanResize(false, width, height);  // text mode: free
  EXPECT_EQ(width, 2000);
  EXPECT_EQ(height, 2000);
}

TEST_F(StrokeTest, ResizeLosesTheCutOffPartButNotTheComposite) {
  PatternSnapshot snapshot;
  surface.onDrawingButtonClick(true, 700, 480, 60, 40, snapshot);
  surface.onDrawingAreaMouseDown(kLeftButton, {50, 30});
  surface.onDrawingAreaMouseUp(kLeftButton, {50, 30});

  surface.onResize(40, 20);
  EXPECT_EQ(surface.backgroundPicture->width(), 40);
  EXPECT_EQ(surface.inkPicture->height(), 20);
  EXPECT_EQ(surface.compositePicture->width(), 60);
  EXPECT_EQ(shown(50, 30), kColorTable[2]);  // the screen still shows the old pixels

  surface.onResize(60, 40);
  EXPECT_EQ(ink(50, 30), kWhite);
  EXPECT_EQ(surface.backgroundPicture->pixel(50, 30), kWhite);
  EXPECT_EQ(surface.backgroundPicture->pixel(1, 2), PatternSnapshot::kRed);

  // Leaving the mode recomposites everything: the cut-off part turns white.
  surface.onDrawingButtonClick(false, 700, 480, 60, 40, snapshot);
  EXPECT_EQ(shown(50, 30), kWhite);
  EXPECT_EQ(shown(1, 2), PatternSnapshot::kRed);
}

TEST_F(StrokeTest, NothingHappensAfterClose) {
  surface.onClose();
  EXPECT_FALSE(surface.backgroundPicture);
  EXPECT_FALSE(surface.inkPicture);
  EXPECT_FALSE(surface.compositePicture);
  EXPECT_FALSE(surface.glyphScratch);
  surface.onResize(100, 100);
  EXPECT_FALSE(surface.backgroundPicture);
  surface.onDrawingAreaMouseDown(kLeftButton, {1, 1});
  EXPECT_TRUE(surface.onDrawingAreaMouseUp(kLeftButton, {2, 2}).empty());
  PatternSnapshot snapshot;
  EXPECT_TRUE(surface.onDrawingButtonClick(true, 1, 1, 10, 10, snapshot).empty());
  EXPECT_EQ(snapshot.calls, 0);
}

}  // namespace
}  // namespace fudekko
