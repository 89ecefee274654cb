#include "imaging/png_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/imaging_oracle.h"

namespace fudekko {
namespace {

using test::be32;
using test::Bytes;
using test::Chunk;

Bytes pngBytes(const Picture& picture, std::int32_t level = 1) {
  MemorySink sink;
  writePng(picture, sink, level);
  return sink.bytes();
}

std::vector<std::string> chunkTypes(const std::vector<Chunk>& chunks) {
  std::vector<std::string> types;
  for (const Chunk& chunk : chunks) {
    if (types.empty() || types.back() != chunk.type || chunk.type != "IDAT") {
      types.push_back(chunk.type);
    }
  }
  return types;
}

// The filtered rows, as the writer must hand them to zlib, of a 24-bit RGB picture.
Bytes expectedRgbRows(const Picture& picture) {
  const Bytes rgb = test::rgbOf(picture);
  Bytes rows;
  const std::size_t rowBytes = std::size_t(picture.width()) * 3;
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), rgb.begin() + rowBytes * y, rgb.begin() + rowBytes * (y + 1));
  }
  return rows;
}

TEST(writePng, CompositePictureGivesRgbWithoutPalette) {
  Picture picture(PixelFormat::Device, 300, 7);
  test::fillRandom(picture, 11);
  picture.setPixel(2, 3, rgb(10, 20, 30));
  const Bytes png = pngBytes(picture);
  const auto chunks = test::pngChunks(png);
  EXPECT_EQ(chunkTypes(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

  const Bytes& ihdr = chunks[0].data;
  ASSERT_EQ(ihdr.size(), 13u);
  EXPECT_EQ(be32(&ihdr[0]), 300u);
  EXPECT_EQ(be32(&ihdr[4]), 7u);
  EXPECT_EQ(Bytes(ihdr.begin() + 8, ihdr.end()), (Bytes{8, 2, 0, 0, 0}));

  const Bytes rows = test::inflateAll(test::idatStream(chunks));
  ASSERT_EQ(rows.size(), 7u * (3 * 300 + 1));
  for (std::size_t y = 0; y < 7; ++y) EXPECT_EQ(rows[y * 901], 0) << "filter of row " << y;
  const std::size_t at = 3 * 901 + 1 + 2 * 3;
  EXPECT_EQ(Bytes(rows.begin() + at, rows.begin() + at + 3), (Bytes{10, 20, 30}));
  EXPECT_EQ(rows, expectedRgbRows(picture));

  const Bytes iend(png.end() - 12, png.end());
  EXPECT_EQ(iend, (Bytes{0, 0, 0, 0, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82}));
}

TEST(writePng, LevelChoosesTheZlibLevel) {
  Picture picture(PixelFormat::Device, 40, 40);
  test::fillRandom(picture, 2);
  const std::pair<std::int32_t, Bytes> cases[] = {{1, {0x78, 0x01}},
                                                  {2, {0x78, 0xDA}},
                                                  {0, {0x78, 0x9C}},
                                                  {3, {0x78, 0x9C}},
                                                  {-1, {0x78, 0x9C}}};
  for (const auto& [level, header] : cases) {
    const auto chunks = test::pngChunks(pngBytes(picture, level));
    const Bytes stream = test::idatStream(chunks);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 2), header) << "level " << level;
    EXPECT_EQ(test::inflateAll(stream), expectedRgbRows(picture));
  }
}

// A 256-colour picture of random indices whose zlib stream at level 1 is exactly
// `target` bytes long. Incompressible rows grow the stream by about one byte a pixel, so
// a few corrections of the width find it; another seed helps where a stored-block
// header makes the length jump over the target.
Picture pictureWithStreamLength(std::size_t target) {
  const auto palette = test::randomPalette(256, 9);
  auto make = [&](std::int32_t width, std::uint32_t seed) {
    Picture picture(PixelFormat::Bits8, width, 1, palette);
    test::fillRandom(picture, seed);
    return picture;
  };
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    auto width = static_cast<std::int64_t>(target) - 64;
    for (int attempt = 0; attempt < 8; ++attempt) {
      Picture picture = make(static_cast<std::int32_t>(width), seed);
      const std::size_t length = test::idatStream(test::pngChunks(pngBytes(picture))).size();
      if (length == target) return picture;
      width += static_cast<std::int64_t>(target) - static_cast<std::int64_t>(length);
    }
  }
  ADD_FAILURE() << "no picture with a zlib stream of " << target << " bytes";
  return Picture();
}

TEST(writePng, ImageDataIsCutIntoIdatChunksOf32768Bytes) {
  const std::pair<std::size_t, std::vector<std::size_t>> cases[] = {{65536, {32768, 32768}},
                                                                    {65537, {32768, 32768, 1}}};
  for (const auto& [length, expected] : cases) {
    const Picture picture = pictureWithStreamLength(length);
    ASSERT_FALSE(picture.empty());
    const auto chunks = test::pngChunks(pngBytes(picture));
    EXPECT_EQ(test::idatLengths(chunks), expected) << "stream of " << length;
    // The chunks follow each other with nothing in between.
    EXPECT_EQ(chunkTypes(chunks), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(test::inflateAll(test::idatStream(chunks)).size(), std::size_t(picture.width()) + 1);
  }
  // A small stream: one chunk.
  Picture small(PixelFormat::Device, 20, 20);
  EXPECT_EQ(test::idatLengths(test::pngChunks(pngBytes(small))).size(), 1u);
}

TEST(writePng, IndexedPicturesCarryTheirPalette) {
  struct Case {
    PixelFormat format;
    std::size_t entries;
    std::int32_t width;
    std::uint8_t depth;
    std::size_t rowLength;
  };
  const Case cases[] = {{PixelFormat::Bits1, 2, 10, 1, 3},
                        {PixelFormat::Bits4, 16, 10, 4, 6},
                        {PixelFormat::Bits8, 256, 10, 8, 11}};
  for (const Case& c : cases) {
    Picture picture(c.format, c.width, 3, test::randomPalette(c.entries, 4));
    test::fillRandom(picture, 5);
    const Bytes png = pngBytes(picture);
    const auto chunks = test::pngChunks(png);
    ASSERT_EQ(chunkTypes(chunks), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].data[8], c.depth);
    EXPECT_EQ(chunks[0].data[9], 3);
    ASSERT_EQ(chunks[1].data.size(), 3 * c.entries);
    EXPECT_EQ(chunks[1].data[3], picture.palette()[1].red);
    EXPECT_EQ(chunks[1].data[4], picture.palette()[1].green);
    EXPECT_EQ(chunks[1].data[5], picture.palette()[1].blue);
    const Bytes rows = test::inflateAll(test::idatStream(chunks));
    ASSERT_EQ(rows.size(), 3 * c.rowLength);
    for (std::int32_t y = 0; y < 3; ++y) {
      EXPECT_EQ(rows[y * c.rowLength], 0);
      EXPECT_EQ(0, std::memcmp(&rows[y * c.rowLength + 1], picture.scanLine(y), c.rowLength - 1));
    }
    const test::RgbImage decoded = test::decodeWithLibpng(png);
    EXPECT_EQ(decoded.rgb, test::rgbOf(picture));
  }
}

TEST(writePng, IndexedPictureWithoutPaletteFailsAfterTheHeader) {
  for (const PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8}) {
    MemorySink sink;
    try {
      writePng(Picture(format, 4, 4), sink, 1);
      ADD_FAILURE() << "saved without a palette";
    } catch (const PngError& e) {
      EXPECT_STREQ(e.what(), "no colortable");
    }
    ASSERT_EQ(sink.bytes().size(), 33u);
    const auto chunks = test::pngChunks(sink.bytes());
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].type, "IHDR");
  }
}

TEST(writePng, TwentyFourBitPicturesKeepTheirRowsAndPalette) {
  Picture picture(PixelFormat::Bits24, 6, 2, test::randomPalette(5, 1));
  test::fillRandom(picture, 8);
  const auto chunks = test::pngChunks(pngBytes(picture));
  ASSERT_EQ(chunkTypes(chunks), (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
  EXPECT_EQ(chunks[0].data[9], 2);
  EXPECT_EQ(chunks[1].data.size(), 15u);
  EXPECT_EQ(test::inflateAll(test::idatStream(chunks)), expectedRgbRows(picture));
}

TEST(writePng, OtherFormatsAreConvertedTo24BitsLeavingTheSourceAlone) {
  for (const PixelFormat format :
       {PixelFormat::Device, PixelFormat::Bits32, PixelFormat::Bits16, PixelFormat::Bits15}) {
    Picture source(format, 9, 4);
    test::fillRandom(source, 12);
    const Picture before = source;
    const Bytes png = pngBytes(source);
    EXPECT_EQ(source.format(), format);
    EXPECT_EQ(0, std::memcmp(source.scanLine(3), before.scanLine(3), source.stride()));
    const auto chunks = test::pngChunks(png);
    EXPECT_EQ(chunkTypes(chunks), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[0].data[9], 2);
    EXPECT_EQ(test::decodeWithLibpng(png).rgb, test::rgbOf(source));
  }
}

TEST(writePng, PicturesWithoutPixelsWriteNothing) {
  // A picture with a side of 0 would need an IHDR of width or height 0, which PNG
  // forbids, so it writes nothing.
  for (const auto& [width, height] : {std::pair{0, 0}, {10, 0}, {0, 10}}) {
    EXPECT_TRUE(pngBytes(Picture(PixelFormat::Device, width, height)).empty());
    EXPECT_TRUE(pngBytes(Picture(PixelFormat::Bits8, width, height)).empty());
  }
  const std::string path = test::workPath("empty.png");
  savePngToFile(Picture(), path, 1);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);
}

TEST(writePng, WritesAreRepeatableAndFilesMatchMemory) {
  // Every format that is written as RGB gives the bytes of its 24-bit conversion, whether
  // its rows are converted one by one or the picture as a whole.
  for (const PixelFormat format :
       {PixelFormat::Device, PixelFormat::Bits32, PixelFormat::Bits24, PixelFormat::Bits16}) {
    Picture picture(format, 123, 45);
    test::fillRandom(picture, 21);
    Picture trueColor = picture;
    trueColor.convertTo24Bits();
    for (const std::int32_t level : {0, 1, 2}) {
      const Bytes first = pngBytes(picture, level);
      EXPECT_EQ(pngBytes(picture, level), first);
      EXPECT_EQ(pngBytes(trueColor, level), first);
      const std::string path = test::workPath("same.png");
      savePngToFile(picture, path, level);
      EXPECT_EQ(readWholeFile(path), first) << static_cast<int>(format) << level;
      std::filesystem::remove(path);
    }
  }
}

TEST(writePng, WriteFailuresAreReportedNotSwallowed) {
  const Picture picture(PixelFormat::Device, 64, 64);
  EXPECT_THROW(savePngToFile(picture, "/dev/full", 1), StreamWriteError);
  EXPECT_THROW(savePngToFile(picture, "/nonexistent-dir/x.png", 1), FileCreateError);

  // A sink that fails in the middle of the image data.
  struct FailingSink : ByteSink {
    std::size_t left = 40000;
    void write(const void*, std::size_t size) override {
      if (size > left) throw StreamWriteError();
      left -= size;
    }
  } failing;
  Picture noisy(PixelFormat::Device, 200, 200);
  test::fillRandom(noisy, 4);
  EXPECT_THROW(writePng(noisy, failing, 1), StreamWriteError);
}

TEST(PngThroughLibpng, RedOnBlueDecodesPixelForPixel) {
  const test::RgbImage decoded = test::decodeWithLibpng(pngBytes(test::redOnBlue()));
  ASSERT_EQ(decoded.width, 5u);
  ASSERT_EQ(decoded.height, 4u);
  auto at = [&](int x, int y) {
    const std::uint8_t* p = &decoded.rgb[3 * (y * 5 + x)];
    return rgb(p[0], p[1], p[2]);
  };
  EXPECT_EQ(at(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(at(1, 0), rgb(255, 0, 0));
  EXPECT_EQ(at(0, 1), rgb(255, 0, 0));
  EXPECT_EQ(at(4, 3), rgb(0, 255, 0));
  EXPECT_EQ(at(4, 0), rgb(0, 0, 255));
  EXPECT_EQ(at(0, 3), rgb(0, 0, 255));
}

TEST(PngThroughLibpng, RandomPicturesOfManySizesDecodePixelForPixel) {
  const std::pair<int, int> sizes[] = {{1, 1},   {2, 1},   {1, 3},      {3, 3},      {7, 5},
                                       {31, 17}, {33, 2},  {101, 63},   {257, 3},    {640, 480},
                                       {999, 1}, {1, 999}, {1023, 767}, {2000, 1500}};
  std::uint32_t seed = 100;
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Picture picture(PixelFormat::Device, width, height);
    test::fillRandom(picture, seed++);
    const Bytes png = pngBytes(picture, seed % 3);  // levels 1, 9 and default in turn
    const auto chunks = test::pngChunks(png);
    const auto lengths = test::idatLengths(chunks);
    for (std::size_t i = 0; i + 1 < lengths.size(); ++i) ASSERT_EQ(lengths[i], 32768u);
    ASSERT_GE(lengths.back(), 1u);
    const test::RgbImage decoded = test::decodeWithLibpng(png);
    ASSERT_EQ(decoded.width, std::uint32_t(width));
    ASSERT_EQ(decoded.height, std::uint32_t(height));
    EXPECT_TRUE(decoded.rgb == test::rgbOf(picture));
  }
}

}  // namespace
}  // namespace fudekko
