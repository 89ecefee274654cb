#include "imaging/picture.h"

#include <gtest/gtest.h>

#include "common/errors.h"

namespace fudekko {
namespace {

Picture whitePicture(std::int32_t width, std::int32_t height) {
  Picture picture;
  picture.setWidth(width);
  picture.setHeight(height);
  return picture;
}

int countColor(const Picture& picture, Color color) {
  int count = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) count += picture.pixel(x, y) == color;
  return count;
}

TEST(Picture, StartsEmptyAndGrowsWhiteKeepingTheTopLeft) {
  Picture picture;
  EXPECT_EQ(picture.width(), 0);
  EXPECT_EQ(picture.format(), PixelFormat::Device);
  picture.setWidth(5);  // no store while the height is 0
  EXPECT_TRUE(picture.empty());
  picture.setHeight(4);
  EXPECT_EQ(countColor(picture, kWhite), 20);

  picture.setPixel(0, 0, 0x123456);
  picture.setPixel(4, 3, 0x0000FF);
  picture.setSize(3, 2);
  EXPECT_EQ(picture.pixel(0, 0), 0x123456u);
  picture.setSize(6, 5);
  EXPECT_EQ(picture.pixel(0, 0), 0x123456u);
  EXPECT_EQ(picture.pixel(4, 3), kWhite) << "pixels beyond a smaller size are lost for good";
  EXPECT_EQ(countColor(picture, kWhite), 29);
}

TEST(Picture, NewAreaTakesTheBrushColour) {
  Picture picture = whitePicture(2, 2);
  picture.setBrushColor(0x00FF00);
  picture.setWidth(4);
  EXPECT_EQ(picture.pixel(1, 1), kWhite);
  EXPECT_EQ(picture.pixel(3, 1), 0x00FF00u);
}

TEST(Picture, StoresDibPixelsBlueGreenRed) {
  Picture picture = whitePicture(2, 1);
  picture.setPixel(1, 0, rgb(10, 20, 30));
  const std::uint8_t* row = picture.scanLine(0);
  EXPECT_EQ(row[4], 30);
  EXPECT_EQ(row[5], 20);
  EXPECT_EQ(row[6], 10);
  EXPECT_EQ(row[7], 0);
  picture.convertTo24Bits();
  EXPECT_EQ(picture.format(), PixelFormat::Bits24);
  EXPECT_EQ(picture.stride(), 8u);
  EXPECT_EQ(picture.scanLine(0)[3], 30);
  EXPECT_EQ(picture.pixel(1, 0), rgb(10, 20, 30));
}

TEST(Picture, CopiesAreIndependent) {
  Picture original = whitePicture(3, 3);
  Picture copy = original;
  copy.setPixel(1, 1, kBlack);
  original.setPixel(2, 2, 0xFF);
  EXPECT_EQ(original.pixel(1, 1), kWhite);
  EXPECT_EQ(copy.pixel(2, 2), kWhite);
  EXPECT_EQ(copy.pixel(1, 1), kBlack);
}

TEST(Picture, IndexedPicturesReadThroughTheirPalette) {
  Picture picture(PixelFormat::Bits4, 3, 1, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}});
  picture.setPixel(0, 0, rgb(250, 0, 0));
  picture.setPixel(1, 0, rgb(0, 0, 255));
  EXPECT_EQ(picture.scanLine(0)[0], 0x12);
  EXPECT_EQ(picture.pixel(0, 0), rgb(255, 0, 0));
  picture.convertTo24Bits();
  EXPECT_EQ(picture.pixel(1, 0), rgb(0, 0, 255));
  EXPECT_EQ(picture.pixel(2, 0), kBlack);
}

TEST(Picture, TooLargeAStoreIsOutOfResources) {
  Picture picture;
  picture.setWidth(100000);
  try {
    picture.setHeight(100000);
    FAIL() << "no error";
  } catch (const OutOfResources& error) {
    EXPECT_STREQ(error.what(), "システム リソースが足りません");
  }
  EXPECT_EQ(picture.height(), 0) << "a failed resize keeps the old picture";
}

TEST(PictureLines, ThinLinePaintsBothEndPointsAndNothingElse) {
  Picture picture = whitePicture(20, 20);
  picture.moveTo({2, 3});
  picture.lineTo({12, 3});
  EXPECT_EQ(countColor(picture, kBlack), 11);
  EXPECT_EQ(picture.pixel(2, 3), kBlack);
  EXPECT_EQ(picture.pixel(12, 3), kBlack);

  Picture diagonal = whitePicture(20, 20);
  diagonal.moveTo({15, 15});
  diagonal.lineTo({5, 5});
  EXPECT_EQ(countColor(diagonal, kBlack), 11);
  for (int i = 5; i <= 15; ++i) EXPECT_EQ(diagonal.pixel(i, i), kBlack);
}

TEST(PictureLines, ZeroLengthSegmentsPaintADotOfThePenWidth) {
  for (int width : {1, 3, 5, 7, 20}) {
    Picture picture = whitePicture(40, 40);
    picture.setPenWidth(width);
    picture.moveTo({20, 20});
    picture.lineTo({20, 20});
    const int painted = countColor(picture, kBlack);
    EXPECT_GE(painted, 1) << width;
    // Round: about the area of a disc of that diameter; from 5 on, not the full square.
    if (width >= 5) {
      EXPECT_LT(painted, width * width) << width;
      EXPECT_GT(painted, width * width * 6 / 10) << width;
      EXPECT_EQ(picture.pixel(20 + width / 2, 20), kBlack) << width;
      EXPECT_EQ(picture.pixel(20 + width / 2 + 1, 20), kWhite) << width;
      EXPECT_EQ(picture.pixel(20 + width / 2, 20 + width / 2), kWhite) << "corner of " << width;
    }
  }
}

TEST(PictureLines, WideLinesHaveTheirWidthAndRoundEnds) {
  for (int width : {3, 5, 7, 20}) {
    Picture picture = whitePicture(100, 60);
    picture.setPenWidth(width);
    picture.setPenColor(0x0000FF);
    picture.moveTo({30, 30});
    picture.lineTo({70, 30});
    // Across the middle the band is `width` pixels thick (odd widths exactly).
    int thickness = 0;
    for (int y = 0; y < 60; ++y) thickness += picture.pixel(50, y) == 0x0000FFu;
    EXPECT_EQ(thickness, width | 1) << width;
    // Round ends: the end reaches width / 2 beyond the end point on the axis only.
    EXPECT_EQ(picture.pixel(70 + width / 2, 30), 0x0000FFu) << width;
    EXPECT_EQ(picture.pixel(70 + width / 2 + 1, 30), kWhite) << width;
    if (width >= 5) {
      EXPECT_EQ(picture.pixel(70 + width / 2, 30 + width / 2), kWhite) << width;
    }
    EXPECT_EQ(picture.pixel(70, 30 + width / 2), 0x0000FFu) << width;
  }
}

TEST(PictureLines, LinesOutsideAreClippedAndKeepThePosition) {
  Picture picture = whitePicture(10, 10);
  picture.setPenWidth(5);
  picture.moveTo({-50, -50});
  picture.lineTo({-20, -30});
  EXPECT_EQ(countColor(picture, kWhite), 100) << "wholly outside";
  picture.lineTo({5, 5});
  EXPECT_EQ(picture.pixel(5, 5), kBlack) << "partly outside";
  EXPECT_EQ(picture.pixel(0, 0), kBlack);
  picture.setPenWidth(1);
  picture.moveTo({-5, 8});
  picture.lineTo({1000, 8});
  for (int x = 0; x < 10; ++x) EXPECT_EQ(picture.pixel(x, 8), kBlack);
  Picture empty;
  empty.lineTo({3, 3});  // nothing to draw on, and no fault
}

TEST(PictureFill, RectangleIsOutlinedInThePenAndFilledWithTheBrush) {
  Picture picture = whitePicture(10, 10);
  picture.setBrushColor(0x00FF00);
  picture.rectangle({2, 2, 7, 6});
  EXPECT_EQ(picture.pixel(2, 2), kBlack);
  EXPECT_EQ(picture.pixel(6, 5), kBlack) << "right and bottom lie outside";
  EXPECT_EQ(picture.pixel(7, 5), kWhite);
  EXPECT_EQ(picture.pixel(3, 3), 0x00FF00u);
  EXPECT_EQ(countColor(picture, 0x00FF00), 3 * 2);
  picture.setBrushColor(0xFF0000);
  picture.fillRect({-3, -3, 2, 1});
  EXPECT_EQ(countColor(picture, 0xFF0000), 2);
}

}  // namespace
}  // namespace fudekko
