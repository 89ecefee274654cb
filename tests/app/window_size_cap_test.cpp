#include "app/window_size_cap.h"

#include <gtest/gtest.h>

namespace fudekko {
namespace {

TEST(WindowSizeCap, NoGrowthInHandwritingMode) {
  WindowSizeCap cap;
  cap.record(700, 480);
  std::int32_t width = 800, height = 400;
  cap.limit(true, width, height);
  EXPECT_EQ(width, 700);
  EXPECT_EQ(height, 400);
  width = 650;
  height = 900;
  cap.limit(true, width, height);
  EXPECT_EQ(width, 650);
  EXPECT_EQ(height, 480);
  width = 2000;
  height = 2000;
  cap.limit(false, width, height);  // text mode: free
  EXPECT_EQ(width, 2000);
  EXPECT_EQ(height, 2000);
}

}  // namespace
}  // namespace fudekko
