#include "gif/color_reduction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/errors.h"
#include "gif/gif_error.h"

namespace fudekko {
namespace {

TEST(CubePalette, HoldsTheCubeInRedGreenBlueOrder) {
  const auto palette = makeCubePalette();
  ASSERT_EQ(palette.size(), 216u);
  EXPECT_EQ(palette[0], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(palette[1], (PaletteEntry{0, 0, 51, 0}));
  EXPECT_EQ(palette[6], (PaletteEntry{0, 51, 0, 0}));
  EXPECT_EQ(palette[36], (PaletteEntry{51, 0, 0, 0}));
  EXPECT_EQ(palette[215], (PaletteEntry{255, 255, 255, 0}));
}

TEST(CubeColorLookup, MapsComponentsByTheirLowerCubeLevel) {
  const CubeColorLookup lookup(makeCubePalette());
  EXPECT_EQ(lookup.colorCount(), 216);
  struct Case {
    std::uint8_t r, g, b;
    int index;
    std::uint8_t outR, outG, outB;
  };
  const Case cases[] = {
      {128, 128, 128, 86, 102, 102, 102},  {192, 192, 192, 129, 153, 153, 153},
      {255, 255, 255, 215, 255, 255, 255}, {0, 0, 0, 0, 0, 0, 0},
      {255, 0, 0, 180, 255, 0, 0},         {0, 0, 255, 5, 0, 0, 255},
      {47, 48, 251, 10, 0, 51, 204},
  };
  for (const Case& c : cases) {
    std::uint8_t r = 1, g = 1, b = 1;
    EXPECT_EQ(lookup.indexOfColor(c.r, c.g, c.b, r, g, b), c.index) << int(c.r);
    EXPECT_EQ(r, c.outR);
    EXPECT_EQ(g, c.outG);
    EXPECT_EQ(b, c.outB);
  }
  // The level boundaries lie 3 below each cube value, not half-way between them.
  const int firstOfLevel[] = {0, 48, 99, 150, 201, 252};
  for (int level = 0; level < 6; ++level) {
    EXPECT_EQ(CubeColorLookup::levelOf(static_cast<std::uint8_t>(firstOfLevel[level])), level);
    if (level > 0) {
      EXPECT_EQ(CubeColorLookup::levelOf(static_cast<std::uint8_t>(firstOfLevel[level] - 1)),
                level - 1);
    }
  }
}

std::uint8_t cubeIndex(Color c) {
  auto level = [](int v) { return (v + 3) / 51; };
  return static_cast<std::uint8_t>(36 * level(redOf(c)) + 6 * level(greenOf(c)) + level(blueOf(c)));
}

Picture randomPicture(PixelFormat format, int width, int height, unsigned seed) {
  Picture picture(format, width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.setPixel(x, y, random() & 0xFFFFFF);
  }
  return picture;
}

TEST(reduceColors, GivesAnEightBitCubePictureAndLeavesTheSourceAlone) {
  // 1 pixel wide, an odd number of rows, and wider pictures, in every direct format.
  for (PixelFormat format :
       {PixelFormat::Device, PixelFormat::Bits32, PixelFormat::Bits24, PixelFormat::Bits16}) {
    for (auto [w, h] : {std::pair{1, 5}, {7, 3}, {64, 2}}) {
      const Picture source = randomPicture(format, w, h, unsigned(w * 31 + h));
      const Picture before = source;
      const Picture result = reduceColors(source, 6, 0, 8, nullptr);
      ASSERT_EQ(result.format(), PixelFormat::Bits8);
      ASSERT_EQ(result.width(), w);
      ASSERT_EQ(result.height(), h);
      ASSERT_EQ(result.palette().size(), 256u);
      const auto cube = makeCubePalette();
      for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(result.palette()[i], i < 216 ? cube[i] : PaletteEntry{}) << i;
      }
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(result.scanLine(y)[x], cubeIndex(source.pixel(x, y))) << x << "," << y;
        }
      }
      EXPECT_EQ(source.format(), before.format());
      for (int y = 0; y < h; ++y) {
        EXPECT_EQ(0, std::memcmp(source.scanLine(y), before.scanLine(y), source.stride()));
      }
    }
  }
}

TEST(reduceColors, MethodsAndDitherersNotProvidedGiveAnEmptyPicture) {
  const Picture source = randomPicture(PixelFormat::Device, 4, 4, 1);
  for (int method : {1, 2, 3, 4, 5, 7, 8, 9, 10, 255}) {
    EXPECT_TRUE(reduceColors(source, method, 0, 8, nullptr).empty()) << method;
  }
  for (int ditherer : {1, 6, 7}) {
    EXPECT_TRUE(reduceColors(source, 6, ditherer, 8, nullptr).empty()) << ditherer;
  }
  const Picture trueColor = reduceColors(source, 0, 0, 8, nullptr);
  EXPECT_EQ(trueColor.format(), PixelFormat::Bits24);
  EXPECT_EQ(trueColor.pixel(3, 2), source.pixel(3, 2));
}

TEST(reduceColors, RefusesAnEmptyPicture) {
  try {
    reduceColors(Picture(PixelFormat::Device, 0, 3), 6, 0, 8, nullptr);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Invalid image dimensions");
  }
}

TEST(PlainDitherer, WalksRowsAsASerpentine) {
  const CubeColorLookup lookup({});
  PlainDitherer<CubeColorLookup> ditherer(3, lookup);
  std::uint8_t r, g, b;
  std::vector<int> columns;
  for (int row = 0; row < 3; ++row) {
    while (ditherer.column() >= 0 && ditherer.column() < 3) {
      columns.push_back(ditherer.column());
      ditherer.ditherPixel(0, 0, 0, r, g, b);
    }
    ditherer.nextRow();
  }
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1, 2}));
}

}  // namespace
}  // namespace fudekko
