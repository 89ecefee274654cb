#include "app/pen_glyphs.h"

#include <gtest/gtest.h>

#include "surface/pen_tools.h"

namespace fudekko {
namespace {

TEST(PenGlyphs, Pixels) {
  const Picture line = lineGlyph(5, 96);
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

  const Picture color = colorGlyph(0, 96);
  EXPECT_EQ(color.pixel(0, 44), kColorTable[2]);  // background entry 0 + 2
  EXPECT_EQ(color.pixel(14, 22), kColorTable[2]);
  EXPECT_EQ(color.pixel(15, 10), kBlack);  // outline
  EXPECT_EQ(color.pixel(48, 34), kBlack);
  EXPECT_EQ(color.pixel(49, 35), kColorTable[2]);  // right and bottom outside
  EXPECT_EQ(color.pixel(16, 11), kColorTable[0]);  // swatch

  // Background entry for the other indices, swatch in the pen colour.
  const int expectedBackground[16] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 1, 2, 3};
  for (int index = 0; index < 16; ++index) {
    const Picture each = colorGlyph(index, 96);
    EXPECT_EQ(each.pixel(0, 44), kColorTable[expectedBackground[index]]) << index;
    EXPECT_EQ(each.pixel(30, 20), kColorTable[index]) << index;
    EXPECT_EQ(each.pixel(15, 20), kBlack) << index;
  }
  EXPECT_EQ(lineGlyph(1, 96).pixel(32, 21), kWhite);  // 1 pixel wide
  EXPECT_EQ(lineGlyph(1, 96).pixel(32, 22), kBlack);
}

// The glyphs at 144 and 192 DPI are the 96-DPI ones drawn anew at the larger size,
// with the pen and the outline scaled alike.
TEST(PenGlyphs, DrawnAtTheWindowsDpi) {
  const Picture line = lineGlyph(5, 192);
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
  const Picture color = colorGlyph(0, 192);
  EXPECT_EQ(color.pixel(29, 45), kColorTable[2]);
  EXPECT_EQ(color.pixel(30, 45), kBlack);
  EXPECT_EQ(color.pixel(31, 45), kBlack);
  EXPECT_EQ(color.pixel(32, 45), kColorTable[0]);
  EXPECT_EQ(color.pixel(97, 69), kBlack);
  EXPECT_EQ(color.pixel(98, 70), kColorTable[2]);

  // 144 DPI: 96 x 68 (67.5 rounded up), the 5-pixel pen 8 wide (7.5 rounded up).
  const Picture line144 = lineGlyph(5, 144);
  ASSERT_EQ(line144.width(), 96);
  ASSERT_EQ(line144.height(), 68);
  barRows = 0;
  for (int y = 0; y < 68; ++y) barRows += line144.pixel(48, y) == kBlack;
  EXPECT_NEAR(barRows, 8, 1);
}

}  // namespace
}  // namespace fudekko
