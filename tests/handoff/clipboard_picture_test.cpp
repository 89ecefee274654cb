#include "handoff/clipboard_picture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/imaging_oracle.h"

namespace fudekko {
namespace {

using test::le32;

TEST(ClipboardPicture, BothBitmapsHoldThePixelsBottomUpBehindTheirHeaders) {
  const Picture picture = test::redOnBlue();
  const ClipboardPicture formats = clipboardPictureOf(picture);
  for (const auto* dib : {&formats.dib, &formats.dibV5}) {
    const std::uint32_t header = le32(*dib, 0);
    ASSERT_EQ(dib->size(), header + 5 * 4 * 4);
    EXPECT_EQ(le32(*dib, 4), 5u);
    EXPECT_EQ(le32(*dib, 8), 4u);  // positive height: bottom-up
    EXPECT_EQ(test::le16(*dib, 14), 32);
    EXPECT_EQ(le32(*dib, 20), 80u);
    for (int y = 0; y < 4; ++y) {
      const std::uint8_t* row = dib->data() + header + (3 - y) * 20;
      EXPECT_EQ(std::memcmp(row, picture.scanLine(y), 20), 0) << "row " << y;
    }
  }
  EXPECT_EQ(le32(formats.dib, 0), 40u);
  EXPECT_EQ(le32(formats.dib, 16), 0u);  // BI_RGB
  EXPECT_EQ(le32(formats.dibV5, 0), 124u);
  EXPECT_EQ(le32(formats.dibV5, 16), 3u);  // BI_BITFIELDS: red, green, blue, no alpha
  EXPECT_EQ(le32(formats.dibV5, 40), 0x00FF0000u);
  EXPECT_EQ(le32(formats.dibV5, 44), 0x0000FF00u);
  EXPECT_EQ(le32(formats.dibV5, 48), 0x000000FFu);
  EXPECT_EQ(le32(formats.dibV5, 52), 0u);
  EXPECT_EQ(le32(formats.dibV5, 56), 0x73524742u);  // sRGB
}

TEST(ClipboardPicture, PngDecodesToThePictureThroughLibpng) {
  const Picture picture = test::redOnBlue();
  const test::RgbImage image = test::decodeWithLibpng(clipboardPictureOf(picture).png);
  EXPECT_EQ(image.width, 5u);
  EXPECT_EQ(image.height, 4u);
  EXPECT_EQ(image.rgb, test::rgbOf(picture));
}

}  // namespace
}  // namespace fudekko
