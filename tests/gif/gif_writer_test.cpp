#include "gif/gif_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/gif_oracle.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes sendBytes(const Picture& picture) {
  MemorySink sink;
  writeGif(picture, sink);
  return sink.bytes();
}

Picture whitePicture(int width, int height) {
  Picture picture(PixelFormat::Device, width, height);
  picture.fillRect({0, 0, width, height});
  return picture;
}

Bytes slice(const Bytes& bytes, std::size_t at, std::size_t count) {
  return Bytes(bytes.begin() + at, bytes.begin() + at + count);
}

TEST(GifStream, OneWhitePixelIsThe799ByteFile) {
  const Bytes bytes = sendBytes(whitePicture(1, 1));
  ASSERT_EQ(bytes.size(), 799u);
  EXPECT_EQ(slice(bytes, 0, 23),
            (Bytes{'G',  'I',  'F',  '8',  '7',  'a',  0x01, 0x00, 0x01, 0x00, 0x77, 0x00,
                   0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x87}));
  const std::size_t table = 23;
  auto entry = [&](int i) { return slice(bytes, table + 3 * i, 3); };
  EXPECT_EQ(entry(0), (Bytes{0x00, 0x00, 0x00}));
  EXPECT_EQ(entry(1), (Bytes{0x00, 0x00, 0x33}));
  EXPECT_EQ(entry(2), (Bytes{0x00, 0x00, 0x66}));
  EXPECT_EQ(entry(6), (Bytes{0x00, 0x33, 0x00}));
  EXPECT_EQ(entry(36), (Bytes{0x33, 0x00, 0x00}));
  EXPECT_EQ(entry(215), (Bytes{0xFF, 0xFF, 0xFF}));
  for (int i = 216; i < 256; ++i) EXPECT_EQ(entry(i), (Bytes{0, 0, 0})) << i;
  EXPECT_EQ(slice(bytes, table + 768, 8), (Bytes{0x08, 0x04, 0x00, 0xAF, 0x05, 0x04, 0x00, 0x3B}));
}

TEST(GifStream, EmptyPictureIsThe14ByteFile) {
  const Bytes expected = {'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B};
  EXPECT_EQ(sendBytes(Picture()), expected);
  EXPECT_EQ(sendBytes(Picture(PixelFormat::Device, 5, 0)), expected);
}

TEST(GifStream, ScreenAndFrameOfAPictureAndTheWhiteImageData) {
  const Bytes bytes = sendBytes(whitePicture(640, 480));
  EXPECT_EQ(slice(bytes, 6, 5), (Bytes{0x80, 0x02, 0xE0, 0x01, 0x77}));
  EXPECT_EQ(slice(bytes, 13, 10),
            (Bytes{0x2C, 0x00, 0x00, 0x00, 0x00, 0x80, 0x02, 0xE0, 0x01, 0x87}));
  // Header, descriptor, table, 960 bytes of image data, trailer.
  EXPECT_EQ(bytes.size(), 13u + 10 + 768 + 960 + 1);
}

TEST(GifStream, SameBytesEveryTimeAndInAFile) {
  std::mt19937 random(7);
  Picture picture(PixelFormat::Device, 37, 23);
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) picture.setPixel(x, y, random() & 0xFFFFFF);
  }
  const Bytes first = sendBytes(picture);
  EXPECT_EQ(sendBytes(picture), first);

  const test::TestFolder folder;
  const std::string path = folder.file("picture.gif");
  saveGifToFile(picture, path);
  EXPECT_EQ(readWholeFile(path), first);
}

TEST(GifStream, DecodesToColoursJustBelowTheCubeValues) {
  std::mt19937 random(11);
  Picture picture(PixelFormat::Device, 300, 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x)
      picture.setPixel(x, y, (random() % 3) * 0x404040 + (x / 50) * 0x30);
  }
  const test::DecodedGif decoded = test::decodeGif(sendBytes(picture));
  ASSERT_EQ(decoded.indices.size(), 300u * 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      const std::uint8_t i = decoded.indices[y * 300 + x];
      const Color c =
          rgb(decoded.palette[3 * i], decoded.palette[3 * i + 1], decoded.palette[3 * i + 2]);
      const Color p = picture.pixel(x, y);
      auto near = [](int a, int b) { return a - b >= -3 && a - b < 48; };
      ASSERT_TRUE(near(redOf(p), redOf(c)) && near(greenOf(p), greenOf(c)) &&
                  near(blueOf(p), blueOf(c)))
          << x << "," << y;
    }
  }
}

TEST(GifStream, IndexedPicturesBringTheirOwnTable) {
  const std::vector<PaletteEntry> palette = {{255, 0, 0, 0}, {0, 0, 255, 0}, {9, 8, 7, 0}};
  for (PixelFormat format : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8}) {
    const int colors = format == PixelFormat::Bits1 ? 2 : 3;
    Picture picture(format, 11, 3,
                    std::vector<PaletteEntry>(palette.begin(), palette.begin() + colors));
    Bytes expected;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 11; ++x) {
        const int i = (x * 7 + y) % colors;
        picture.setPixel(x, y, rgb(palette[i].red, palette[i].green, palette[i].blue));
        expected.push_back(static_cast<std::uint8_t>(i));
      }
    }
    const test::DecodedGif decoded = test::decodeGif(sendBytes(picture));
    EXPECT_EQ(decoded.indices, expected);
    EXPECT_EQ(Bytes(decoded.palette.begin(), decoded.palette.begin() + 3), (Bytes{255, 0, 0}));
    // A table of 3 is written padded to 4 entries; the screen keeps 7 size bits only
    // for the largest table.
    EXPECT_EQ(decoded.palette.size(), colors == 2 ? 6u : 12u);
  }
}

TEST(GifStream, RefusesWhatItCannotRepresent) {
  // A side above 65535 fails before anything is written, in memory or in a file.
  MemorySink sink;
  try {
    writeGif(Picture(PixelFormat::Bits8, 65536, 1, {{0, 0, 0, 0}}), sink);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Invalid image dimensions");
  }
  EXPECT_TRUE(sink.bytes().empty());
  const test::TestFolder folder;
  const std::string path = folder.file("wide.gif");
  EXPECT_THROW(saveGifToFile(Picture(PixelFormat::Device, 1, 65536), path), GifError);
  EXPECT_FALSE(std::filesystem::exists(path));

  // An index beyond an 8-bit picture's own palette fails when the data is coded.
  Picture indexed(PixelFormat::Bits8, 2, 1, {{0, 0, 0, 0}, {1, 1, 1, 0}});
  indexed.scanLine(0)[1] = 5;
  try {
    writeGif(indexed, sink);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
}

}  // namespace
}  // namespace fudekko
