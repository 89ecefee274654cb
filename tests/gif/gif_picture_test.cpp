#include "gif/gif_picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "gif/color_reduction.h"
#include "support/gif_oracle.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes save(GifPicture& gif) {
  MemorySink sink;
  gif.saveToStream(sink);
  return sink.bytes();
}

Bytes sendBytes(const Picture& picture) {
  GifPicture gif;
  gif.assign(picture);
  gif.compressionChoice = 1;
  return save(gif);
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
  GifPicture gif;
  gif.assign(Picture());
  ASSERT_EQ(gif.frames().size(), 1u);
  EXPECT_TRUE(gif.frames()[0]->empty());
  EXPECT_EQ(gif.frames()[0]->localColors().count(), 0);
}

TEST(GifStream, ImageWithoutFramesWritesNothingAndFails) {
  GifPicture gif;
  MemorySink sink;
  std::vector<int> ends;
  gif.onProgress = [&](GifProgressStage stage, int percent, const std::string& message) {
    EXPECT_EQ(message, "Saving...");
    if (stage == GifProgressStage::Ending) ends.push_back(percent);
  };
  try {
    gif.saveToStream(sink);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Unsupported GIF version");
  }
  EXPECT_TRUE(sink.bytes().empty());
  EXPECT_EQ(ends, std::vector<int>{0});
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
  GifPicture gif;
  gif.compressionChoice = 1;  // before the assignment, unlike Send
  gif.assign(picture);
  const Bytes first = save(gif);
  EXPECT_EQ(save(gif), first);
  EXPECT_EQ(sendBytes(picture), first);

  const test::TestFolder folder;
  const std::string path = folder.file("picture.gif");
  gif.saveToFile(path);
  EXPECT_EQ(readWholeFile(path), first);
}

TEST(GifStream, AnyCompressionChoiceGivesTheSamePicture) {
  std::mt19937 random(11);
  Picture picture(PixelFormat::Device, 300, 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x)
      picture.setPixel(x, y, (random() % 3) * 0x404040 + (x / 50) * 0x30);
  }
  for (std::uint8_t choice : {0, 1, 2, 255}) {
    GifPicture gif;
    gif.assign(picture);
    gif.compressionChoice = choice;
    const test::DecodedGif decoded = test::decodeGif(save(gif));
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
            << int(choice) << " " << x << "," << y;
      }
    }
  }
}

TEST(GifPicture, AssignmentReplacesTheFrameAndSetsTheScreen) {
  std::vector<std::string> warnings;
  GifPicture gif;
  gif.onWarning = [&](GifSeverity, const std::string& text) { warnings.push_back(text); };
  gif.assign(whitePicture(640, 480));
  gif.assign(whitePicture(30, 20));
  ASSERT_EQ(gif.frames().size(), 1u);
  const GifFrame& frame = *gif.frames()[0];
  EXPECT_EQ(gif.width(), 30);
  EXPECT_EQ(gif.height(), 20);
  EXPECT_EQ(frame.left(), 0);
  EXPECT_EQ(frame.top(), 0);
  EXPECT_EQ(frame.width(), 30);
  EXPECT_EQ(frame.height(), 20);
  EXPECT_EQ(frame.localColors().count(), 256);
  EXPECT_EQ(frame.pixels(), Bytes(600, 215));
  EXPECT_TRUE(warnings.empty());

  GifPicture copy;
  copy.reductionChoice = 0;
  copy.assign(gif);
  EXPECT_EQ(copy.reductionChoice, 6);
  EXPECT_EQ(copy.frames()[0]->pixels(), frame.pixels());
  EXPECT_EQ(save(copy), save(gif));
}

TEST(GifPicture, IndexedPicturesBringTheirOwnTable) {
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
    GifPicture gif;
    gif.assign(picture);
    const GifFrame& frame = *gif.frames()[0];
    EXPECT_EQ(frame.pixels(), expected);
    ASSERT_EQ(frame.localColors().count(), colors);
    EXPECT_EQ(frame.localColors()[0], (GifColor{255, 0, 0}));

    gif.compressionChoice = 1;
    const test::DecodedGif decoded = test::decodeGif(save(gif));
    EXPECT_EQ(decoded.indices, expected);
    // A table of 3 is written padded to 4 entries; the screen keeps 7 size bits only
    // for the largest table.
    EXPECT_EQ(decoded.palette.size(), colors == 2 ? 6u : 12u);
  }
}

TEST(GifPicture, ReductionMethodZeroCollectsColoursAndOverflowsAt257) {
  Picture picture(PixelFormat::Bits24, 300, 1);
  for (int x = 0; x < 300; ++x) picture.setPixel(x, 0, rgb(x % 100, 1, 2));
  GifPicture gif;
  gif.reductionChoice = 0;
  gif.assign(picture);
  ASSERT_EQ(gif.frames()[0]->localColors().count(), 100);
  EXPECT_EQ(gif.frames()[0]->pixels()[250], 50);
  EXPECT_EQ(gif.frames()[0]->localColors()[50], (GifColor{50, 1, 2}));

  for (int x = 0; x < 300; ++x) picture.setPixel(x, 0, rgb(x % 256, x / 256, 0));
  try {
    gif.assign(picture);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Color table overflow");
  }
  EXPECT_TRUE(gif.frames().empty());
}

TEST(GifPicture, RefusesWhatItCannotRepresent) {
  GifPicture gif;
  gif.reductionChoice = 7;  // not provided
  try {
    gif.assign(whitePicture(4, 4));
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Unsupported color reduction");
  }
  EXPECT_TRUE(gif.frames().empty());

  GifPicture wide;
  try {
    wide.assign(Picture(PixelFormat::Bits8, 65536, 1, {{0, 0, 0, 0}}));
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Invalid image dimensions");
  }
  EXPECT_TRUE(wide.frames().empty());

  // An index beyond an 8-bit picture's own palette fails when the data is coded.
  Picture indexed(PixelFormat::Bits8, 2, 1, {{0, 0, 0, 0}, {1, 1, 1, 0}});
  indexed.scanLine(0)[1] = 5;
  GifPicture bad;
  bad.assign(indexed);
  bad.compressionChoice = 1;
  MemorySink sink;
  EXPECT_THROW(bad.saveToStream(sink), GifError);
}

TEST(GifColorTable, CapacityBitsAndOverflow) {
  EXPECT_EQ(GifColorTable::capacityFor(1), 16);
  EXPECT_EQ(GifColorTable::capacityFor(16), 16);
  EXPECT_EQ(GifColorTable::capacityFor(17), 32);
  EXPECT_EQ(GifColorTable::capacityFor(216), 224);
  EXPECT_EQ(GifColorTable::capacityFor(256), 256);
  const std::pair<int, int> bits[] = {{0, 0},   {1, 1},   {2, 1},   {3, 2},  {4, 2},  {5, 3},
                                      {8, 3},   {9, 4},   {16, 4},  {17, 5}, {33, 6}, {65, 7},
                                      {128, 7}, {129, 8}, {216, 8}, {256, 8}};
  for (auto [count, b] : bits) EXPECT_EQ(GifColorTable::bitsFor(count), b) << count;

  GifColorTable table;
  for (int i = 0; i < 256; ++i) table.add({std::uint8_t(i), 0, 0});
  EXPECT_EQ(table.capacity(), 256);
  EXPECT_THROW(table.add({}), GifError);
  EXPECT_EQ(table.count(), 256);
}

TEST(GifPicture, ProgressOfAConversionAndASave) {
  GifPicture gif;
  std::vector<std::pair<GifProgressStage, int>> seen;
  gif.onProgress = [&](GifProgressStage stage, int percent, const std::string&) {
    seen.emplace_back(stage, percent);
  };
  gif.assign(whitePicture(3, 70));
  using S = GifProgressStage;
  EXPECT_EQ(seen, (std::vector<std::pair<S, int>>{{S::Starting, 0},
                                                  {S::Running, 0},
                                                  {S::Running, 46},
                                                  {S::Running, 91},
                                                  {S::Ending, 100}}));
}

}  // namespace
}  // namespace fudekko
