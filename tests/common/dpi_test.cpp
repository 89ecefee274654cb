#include "common/dpi.h"

#include <gtest/gtest.h>

namespace fudekko {
namespace {

TEST(Dpi, ScalesByDpiOver96RoundingHalvesAwayFromZero) {
  struct Case {
    std::int32_t length;
    int dpi;
    std::int32_t scaled;
  };
  for (const Case& c : {
           Case{51, 96, 51},     // 100 %: unchanged
           Case{5, 120, 6},      // 6.25: down
           Case{47, 120, 59},    // 58.75: up
           Case{70, 120, 88},    // 87.5: a half, up
           Case{1, 144, 2},      // 1.5: a half, up
           Case{27, 144, 41},    // 40.5
           Case{375, 144, 563},  // 562.5
           Case{8, 192, 16},     // 200 %: exact
           Case{45, 288, 135},   // 300 %: exact
           Case{-5, 144, -8},    // -7.5: a half, away from zero
           Case{-1, 120, -1},    // -1.25
           Case{-2, 120, -3},    // -2.5
           Case{0, 288, 0},      // nothing stays nothing
           Case{51, 0, 51},      // an unknown DPI counts as 96
           Case{51, -144, 51},
           Case{1 << 30, 48, 1 << 29},  // no overflow on the way near the 32-bit limit
       }) {
    EXPECT_EQ(scaleForDpi(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi;
  }
}

TEST(Dpi, PenWidthsScaleButNeverVanish) {
  EXPECT_EQ(scaledPenWidth(5, 96), 5);
  EXPECT_EQ(scaledPenWidth(5, 144), 8);
  EXPECT_EQ(scaledPenWidth(20, 288), 60);
  // Below 96 DPI the thinnest pen stays one pixel wide instead of rounding to nothing.
  EXPECT_EQ(scaledPenWidth(1, 72), 1);
  EXPECT_EQ(scaledPenWidth(1, 24), 1);
  EXPECT_EQ(scaledPenWidth(3, 24), 1);
  EXPECT_EQ(scaledPenWidth(8, 48), 4);
}

}  // namespace
}  // namespace fudekko
