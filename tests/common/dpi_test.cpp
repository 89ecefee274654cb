#include "common/dpi.h"

#include <gtest/gtest.h>

#include <array>

namespace fudekko {
namespace {

// The program's own 96-DPI sizes (fonts, bars, buttons, glyphs, dialogs, window) and
// what they become at 120, 144, 192 and 288 DPI, worked out by hand: x 1.25, 1.5, 2, 3,
// halves rounded away from zero.
struct Scaled {
  std::int32_t at96, at120, at144, at192, at288;
};
constexpr std::array<Scaled, 20> kSizes = {{
    {1, 1, 2, 2, 3},             // a one-pixel outline: 1.25 -> 1, 1.5 -> 2
    {2, 3, 3, 4, 6},             // tool bar padding: 2.5 -> 3
    {5, 6, 8, 10, 15},           // recomposite margin: 6.25 -> 6, 7.5 -> 8
    {8, 10, 12, 16, 24},         // separator
    {12, 15, 18, 24, 36},        // window font
    {16, 20, 24, 32, 48},        // text area and dialog font
    {27, 34, 41, 54, 81},        // version title font: 33.75, 40.5
    {32, 40, 48, 64, 96},        // program icon
    {36, 45, 54, 72, 108},       // tool image height
    {40, 50, 60, 80, 120},       // button height
    {44, 55, 66, 88, 132},       // band height
    {45, 56, 68, 90, 135},       // glyph height: 56.25, 67.5
    {47, 59, 71, 94, 141},       // tool image width: 58.75, 70.5
    {51, 64, 77, 102, 153},      // button width: 63.75, 76.5
    {64, 80, 96, 128, 192},      // glyph width
    {70, 88, 105, 140, 210},     // send button width: 87.5
    {94, 118, 141, 188, 282},    // selection dialog height: 117.5
    {375, 469, 563, 750, 1125},  // selection dialog width: 468.75, 562.5
    {480, 600, 720, 960, 1440},  // window height
    {696, 870, 1044, 1392, 2088},
}};

TEST(Dpi, ScalesEverySizeByDpiOver96RoundingHalvesUp) {
  for (const Scaled& size : kSizes) {
    SCOPED_TRACE(size.at96);
    EXPECT_EQ(scaleForDpi(size.at96, 96), size.at96);
    EXPECT_EQ(scaleForDpi(size.at96, 120), size.at120);
    EXPECT_EQ(scaleForDpi(size.at96, 144), size.at144);
    EXPECT_EQ(scaleForDpi(size.at96, 192), size.at192);
    EXPECT_EQ(scaleForDpi(size.at96, 288), size.at288);
  }
}

TEST(Dpi, RoundsNegativeLengthsLikePositiveOnesAndTakesAnUnknownDpiAs96) {
  EXPECT_EQ(scaleForDpi(-5, 144), -8);
  EXPECT_EQ(scaleForDpi(-2, 120), -3);
  EXPECT_EQ(scaleForDpi(-1, 120), -1);
  EXPECT_EQ(scaleForDpi(0, 288), 0);
  EXPECT_EQ(scaleForDpi(51, 0), 51);
  EXPECT_EQ(scaleForDpi(51, -144), 51);
  // Sizes near the 32-bit limit do not overflow on the way.
  EXPECT_EQ(scaleForDpi(1 << 30, 48), 1 << 29);
}

TEST(Dpi, PenWidthsCoverTheSamePhysicalWidthAndNeverVanish) {
  // The line button's widths, the default and the eraser.
  struct Pen {
    std::int32_t stored, at120, at144, at192, at288;
  };
  for (const Pen& pen : {Pen{1, 1, 2, 2, 3}, Pen{3, 4, 5, 6, 9}, Pen{5, 6, 8, 10, 15},
                         Pen{7, 9, 11, 14, 21}, Pen{20, 25, 30, 40, 60}}) {
    SCOPED_TRACE(pen.stored);
    EXPECT_EQ(scaledPenWidth(pen.stored, 96), pen.stored);
    EXPECT_EQ(scaledPenWidth(pen.stored, 120), pen.at120);
    EXPECT_EQ(scaledPenWidth(pen.stored, 144), pen.at144);
    EXPECT_EQ(scaledPenWidth(pen.stored, 192), pen.at192);
    EXPECT_EQ(scaledPenWidth(pen.stored, 288), pen.at288);
  }
  // Below 96 DPI the thinnest pen stays one pixel wide instead of rounding to nothing.
  EXPECT_EQ(scaledPenWidth(1, 72), 1);
  EXPECT_EQ(scaledPenWidth(1, 24), 1);
  EXPECT_EQ(scaledPenWidth(3, 24), 1);
  EXPECT_EQ(scaledPenWidth(8, 48), 4);
}

}  // namespace
}  // namespace fudekko
