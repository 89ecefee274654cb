#include "gif/color_reduction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace fudekko {
namespace {

TEST(CubePalette, HoldsTheCubeInRedGreenBlueOrderThenBlack) {
  const auto palette = cubePalette();
  ASSERT_EQ(palette.size(), 256u);
  EXPECT_EQ(palette[0], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(palette[1], (PaletteEntry{0, 0, 51, 0}));
  EXPECT_EQ(palette[6], (PaletteEntry{0, 51, 0, 0}));
  EXPECT_EQ(palette[36], (PaletteEntry{51, 0, 0, 0}));
  EXPECT_EQ(palette[215], (PaletteEntry{255, 255, 255, 0}));
  for (int i = 216; i < 256; ++i) EXPECT_EQ(palette[i], PaletteEntry{}) << i;
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

std::vector<std::uint8_t> reduced(const Picture& picture) {
  std::vector<std::uint8_t> indices(std::size_t(picture.width()) * picture.height(), 0xEE);
  reduceToCube(picture, indices.data(), static_cast<std::size_t>(picture.width()));
  return indices;
}

TEST(reduceToCube, MapsComponentsByTheirLowerCubeLevel) {
  struct Case {
    Color color;
    int index;
  };
  const Case cases[] = {
      {rgb(128, 128, 128), 86},
      {rgb(192, 192, 192), 129},
      {rgb(255, 255, 255), 215},
      {rgb(0, 0, 0), 0},
      {rgb(255, 0, 0), 180},
      {rgb(0, 0, 255), 5},
      {rgb(47, 48, 251), 10},
      // The level boundaries lie 3 below each cube value, not half-way between them.
      {rgb(47, 98, 149), 0 * 36 + 1 * 6 + 2},
      {rgb(48, 99, 150), 1 * 36 + 2 * 6 + 3},
      {rgb(200, 251, 252), 3 * 36 + 4 * 6 + 5},
  };
  Picture picture(PixelFormat::Device, std::size(cases), 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    picture.setPixel(static_cast<std::int32_t>(i), 0, cases[i].color);
  }
  const auto indices = reduced(picture);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(indices[i], cases[i].index) << std::hex << cases[i].color;
  }
}

TEST(reduceToCube, GivesTheCubeIndexOfEveryPixelAndLeavesTheSourceAlone) {
  // 1 pixel wide, an odd number of rows, and wider pictures, in every direct format.
  for (PixelFormat format :
       {PixelFormat::Device, PixelFormat::Bits32, PixelFormat::Bits24, PixelFormat::Bits16}) {
    for (auto [w, h] : {std::pair{1, 5}, {7, 3}, {64, 2}}) {
      const Picture source = randomPicture(format, w, h, unsigned(w * 31 + h));
      const Picture before = source;
      const auto indices = reduced(source);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(indices[std::size_t(y) * w + x], cubeIndex(source.pixel(x, y)))
              << x << "," << y;
        }
      }
      EXPECT_EQ(source.format(), before.format());
      for (int y = 0; y < h; ++y) {
        EXPECT_EQ(0, std::memcmp(source.scanLine(y), before.scanLine(y), source.stride()));
      }
    }
  }
}

}  // namespace
}  // namespace fudekko
