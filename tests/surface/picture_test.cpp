#include "surface/picture.h"

#include <gtest/gtest.h>

namespace fudekko {
namespace {

TEST(Picture, StartsEmptyInTheDeviceFormat) {
  Picture picture;
  EXPECT_EQ(picture.width(), 0);
  EXPECT_EQ(picture.height(), 0);
  EXPECT_EQ(picture.format(), PixelFormat::Device);
}

}  // namespace
}  // namespace fudekko
