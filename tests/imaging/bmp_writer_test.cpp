#include "imaging/bmp_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "imaging/bmp_reader.h"
#include "support/imaging_oracle.h"

namespace fudekko {
namespace {

using test::Bytes;
using test::le16;
using test::le32;

Bytes bmpBytes(const Picture& picture) {
  MemorySink sink;
  writeBmp(picture, sink);
  return sink.bytes();
}

// Pixel (x, y) of a bottom-up BMP, read by offsets alone: blue, green, red.
Color bmpPixel(const Bytes& file, std::int32_t x, std::int32_t y) {
  const std::uint32_t offset = le32(file, 10);
  const std::int32_t width = static_cast<std::int32_t>(le32(file, 18));
  const std::int32_t height = static_cast<std::int32_t>(le32(file, 22));
  const int bits = le16(file, 28);
  const std::size_t rowSize = (std::size_t(width) * bits + 31) / 32 * 4;
  const std::size_t at = offset + rowSize * std::size_t(height - 1 - y) + std::size_t(x) * bits / 8;
  return rgb(file.at(at + 2), file.at(at + 1), file.at(at));
}

TEST(BmpWriter, TenByTwoAt32BitsIsTheExact134ByteFile) {
  Picture picture(PixelFormat::Device, 10, 2);
  const Bytes file = bmpBytes(picture);
  ASSERT_EQ(file.size(), 134u);
  const Bytes header(file.begin(), file.begin() + 54);
  const Bytes expected = {'B', 'M', 134, 0, 0,  0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                          40,  0,   0,   0, 10, 0, 0, 0, 2, 0, 0,  0,        // size, width, height
                          1,   0,   32,  0,                                  // planes, bit count
                          0,   0,   0,   0, 80, 0, 0, 0,   // compression, image size
                          0,   0,   0,   0, 0,  0, 0, 0,   // resolutions
                          0,   0,   0,   0, 0,  0, 0, 0};  // colours used, important
  EXPECT_EQ(header, expected);
}

TEST(BmpWriter, RowsArePaddedAndStoredBottomUp) {
  // 3 pixels at 24 bits: 9 bytes and 3 of padding; at 32 bits 12 bytes, none.
  for (const PixelFormat format : {PixelFormat::Bits24, PixelFormat::Device}) {
    Picture picture(format, 3, 2);
    picture.setPixel(0, 1, rgb(1, 2, 3));  // bottom row, first pixel
    picture.setPixel(2, 0, rgb(4, 5, 6));  // top row, last pixel
    const Bytes file = bmpBytes(picture);
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    EXPECT_EQ(le32(file, 34), 24u);
    const Bytes bottom(file.begin() + 54, file.begin() + 66);
    const Bytes top(file.begin() + 66, file.begin() + 78);
    if (format == PixelFormat::Bits24) {
      EXPECT_EQ(bottom, (Bytes{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
      EXPECT_EQ(top, (Bytes{0, 0, 0, 0, 0, 0, 6, 5, 4, 0, 0, 0}));
    } else {
      EXPECT_EQ(bottom, (Bytes{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
      EXPECT_EQ(top, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 6, 5, 4, 0}));
    }
  }
}

TEST(BmpWriter, ThirtyTwoBitPixelsHaveAZeroFourthByte) {
  Picture picture(PixelFormat::Device, 2, 1);
  picture.setPixel(0, 0, rgb(10, 20, 30));
  // Rows filled straight from a screen snapshot may carry anything in the unused byte.
  picture.scanLine(0)[3] = 0xFF;
  picture.scanLine(0)[7] = 0x80;
  const Bytes file = bmpBytes(picture);
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{30, 20, 10, 0, 0, 0, 0, 0}));
}

TEST(BmpWriter, SixteenBitPicturesGiveFiveFiveFiveWordsWithBit15Clear) {
  Picture picture(PixelFormat::Bits16, 3, 1);
  picture.setPixel(0, 0, rgb(0xF8, 0, 0));
  picture.setPixel(1, 0, rgb(0, 0xF8, 0));
  picture.setPixel(2, 0, rgb(0x08, 0x10, 0xF8));
  picture.scanLine(0)[5] |= 0x80;  // a stray top bit must not reach the file
  const Bytes file = bmpBytes(picture);
  EXPECT_EQ(le16(file, 28), 16);
  EXPECT_EQ(le32(file, 46), 0u);
  EXPECT_EQ(file.size(), 54u + 8);
  EXPECT_EQ(le16(file, 54), 0x7C00);
  EXPECT_EQ(le16(file, 56), 0x03E0);
  EXPECT_EQ(le16(file, 58), (1 << 10) | (2 << 5) | 31);
  EXPECT_EQ(le16(file, 60), 0);
}

TEST(BmpWriter, EightBitPicturesCarryA256EntryColourTable) {
  Picture picture(PixelFormat::Bits8, 5, 1, {{10, 20, 30, 0}, {40, 50, 60, 0}});
  picture.scanLine(0)[0] = 1;
  picture.scanLine(0)[4] = 7;  // beyond the palette: a black table entry
  const Bytes file = bmpBytes(picture);
  EXPECT_EQ(le16(file, 28), 8);
  EXPECT_EQ(le32(file, 10), 14u + 40 + 1024);
  EXPECT_EQ(le32(file, 46), 256u);
  EXPECT_EQ(le32(file, 34), 8u);
  ASSERT_EQ(file.size(), 14u + 40 + 1024 + 8);
  EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 62), (Bytes{30, 20, 10, 0, 60, 50, 40, 0}));
  EXPECT_EQ(Bytes(file.begin() + 62, file.begin() + 1078), Bytes(1016, 0));
  EXPECT_EQ(Bytes(file.begin() + 1078, file.end()), (Bytes{1, 0, 0, 0, 7, 0, 0, 0}));
}

TEST(BmpWriter, OneAndFourBitPicturesAreWrittenAtEightBits) {
  for (const PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4}) {
    Picture picture(format, 9, 3, test::randomPalette(format == PixelFormat::Bits1 ? 2 : 16, 5));
    test::fillRandom(picture, 6);
    const Bytes file = bmpBytes(picture);
    EXPECT_EQ(le16(file, 28), 8);
    for (std::int32_t y = 0; y < 3; ++y) {
      for (std::int32_t x = 0; x < 9; ++x) {
        const std::uint8_t index = file[1078 + 12 * (2 - y) + x];
        const std::uint8_t* entry = &file[54 + 4 * index];
        EXPECT_EQ(rgb(entry[2], entry[1], entry[0]), picture.pixel(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(BmpWriter, EmptyPictureWritesNothingAndLeavesAnEmptyFile) {
  const std::string path = test::workPath("empty.bmp");
  for (const auto& [width, height] : {std::pair{0, 0}, {7, 0}, {0, 7}}) {
    const Picture picture(PixelFormat::Device, width, height);
    EXPECT_TRUE(bmpBytes(picture).empty());
    saveBmpToFile(picture, path);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
  }
  std::filesystem::remove(path);
}

TEST(BmpWriter, FileHoldsTheSameBytesAsMemory) {
  Picture picture(PixelFormat::Device, 37, 11);
  test::fillRandom(picture, 3);
  const std::string path = test::workPath("same.bmp");
  saveBmpToFile(picture, path);
  EXPECT_EQ(readWholeFile(path), bmpBytes(picture));
  std::filesystem::remove(path);
}

TEST(BmpWriter, WriteFailuresAreReportedNotSwallowed) {
  Picture picture(PixelFormat::Device, 64, 64);
  EXPECT_THROW(saveBmpToFile(picture, "/dev/full"), StreamWriteError);
  EXPECT_THROW(saveBmpToFile(picture, "/nonexistent-dir/x.bmp"), FileCreateError);
}

TEST(BmpWriterOracle, RedOnBlueSurvivesTheRoundTrip) {
  const Picture picture = test::redOnBlue();
  const Bytes file = bmpBytes(picture);
  EXPECT_EQ(bmpPixel(file, 0, 0), rgb(255, 0, 0));
  EXPECT_EQ(bmpPixel(file, 1, 0), rgb(255, 0, 0));
  EXPECT_EQ(bmpPixel(file, 0, 1), rgb(255, 0, 0));
  EXPECT_EQ(bmpPixel(file, 4, 3), rgb(0, 255, 0));
  EXPECT_EQ(bmpPixel(file, 4, 0), rgb(0, 0, 255));
  EXPECT_EQ(bmpPixel(file, 0, 3), rgb(0, 0, 255));
  EXPECT_EQ(test::rgbOf(readBmp(file)), test::rgbOf(picture));
}

TEST(BmpWriterOracle, RandomPicturesReadBackPixelForPixel) {
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 1},   {1, 3},      {3, 3},      {7, 5},
                                       {31, 17}, {33, 2},  {101, 63},   {257, 3},    {640, 480},
                                       {999, 1}, {1, 999}, {1023, 767}, {2000, 1500}};
  std::uint32_t seed = 1;
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Picture picture(PixelFormat::Device, width, height);
    test::fillRandom(picture, seed++);
    const Bytes file = bmpBytes(picture);
    const std::size_t rowSize = std::size_t(width) * 4;
    ASSERT_EQ(file.size(), 54 + rowSize * height);
    EXPECT_EQ(le32(file, 2), file.size());
    EXPECT_EQ(static_cast<std::int32_t>(le32(file, 18)), width);
    EXPECT_EQ(static_cast<std::int32_t>(le32(file, 22)), height);
    // Independently of the reader: each file row is the picture row from the other end.
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint8_t* in = picture.scanLine(y);
      const std::uint8_t* out = &file[54 + rowSize * std::size_t(height - 1 - y)];
      for (std::int32_t x = 0; x < width; ++x) {
        ASSERT_TRUE(out[4 * x] == in[4 * x] && out[4 * x + 1] == in[4 * x + 1] &&
                    out[4 * x + 2] == in[4 * x + 2] && out[4 * x + 3] == 0)
            << "pixel " << x << "," << y;
      }
    }
    const Picture back = readBmp(file);
    ASSERT_EQ(back.width(), width);
    ASSERT_EQ(back.height(), height);
    EXPECT_EQ(test::rgbOf(back), test::rgbOf(picture));
  }
}

TEST(BmpWriterOracle, TwentyFourBitPicturesOfOddWidthsReadBack) {
  for (const int width : {1, 2, 3, 5, 77, 1001}) {
    Picture picture(PixelFormat::Bits24, width, 9);
    test::fillRandom(picture, static_cast<std::uint32_t>(width));
    const Bytes file = bmpBytes(picture);
    EXPECT_EQ(le16(file, 28), 24);
    EXPECT_EQ(test::rgbOf(readBmp(file)), test::rgbOf(picture)) << width;
  }
}

}  // namespace
}  // namespace fudekko
