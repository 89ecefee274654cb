#include "gif/run_length_coder.h"

#include <gtest/gtest.h>

#include <random>

#include "gif/gif_writer.h"
#include "support/gif_oracle.h"

namespace fudekko {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes encode(const Bytes& pixels, int bits, int width, int height) {
  MemorySink sink;
  writeRunLengthImageData(sink, bits, width, height, pixels.data(), 1 << bits);
  return sink.bytes();
}

TEST(RunLengthCoder, GivesTheExactBytesOfShortRows) {
  EXPECT_EQ(encode({215}, 8, 1, 1), (Bytes{0x08, 0x04, 0x00, 0xAF, 0x05, 0x04, 0x00}));
  // 1 + 2 + 1: a plain code, the run code 258, a plain code.
  EXPECT_EQ(encode(Bytes(4, 215), 8, 4, 1),
            (Bytes{0x08, 0x06, 0x00, 0xAF, 0x09, 0xBC, 0x16, 0x10, 0x00}));
  // Runs of 1, 2, 3 and 4.
  EXPECT_EQ(encode(Bytes(10, 215), 8, 10, 1),
            (Bytes{0x08, 0x07, 0x00, 0xAF, 0x09, 0x1C, 0x48, 0x30, 0x20, 0x00}));
  EXPECT_EQ(encode({0, 1, 2}, 8, 3, 1),
            (Bytes{0x08, 0x06, 0x00, 0x01, 0x04, 0x10, 0x10, 0x10, 0x00}));
}

TEST(RunLengthCoder, CodesAWhiteScreenInAboutTheSquareRootOfItsPixels) {
  const Bytes data = encode(Bytes(640 * 480, 215), 8, 640, 480);
  EXPECT_EQ(data.size(), 960u);
  EXPECT_EQ(test::decodeGif(test::wrapImageData(data, 8, 640, 480)).indices, Bytes(640 * 480, 215));
}

TEST(RunLengthCoder, ClearsEvery254CodesSoThatCodesStayNineBitsWide) {
  // Never two equal neighbours: every pixel is a plain code.
  Bytes pixels(5000);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i * 7 % 251);
  const Bytes data = encode(pixels, 8, 100, 50);

  Bytes stream;  // the sub-blocks joined
  std::size_t at = 1;
  while (data.at(at) != 0) {
    stream.insert(stream.end(), data.begin() + at + 1, data.begin() + at + 1 + data[at]);
    at += 1 + data[at];
  }
  EXPECT_EQ(at, data.size() - 1);
  std::vector<int> codes;
  for (std::size_t bit = 0; bit + 9 <= stream.size() * 8; bit += 9) {
    int code = 0;
    for (int b = 0; b < 9; ++b) code |= ((stream[(bit + b) / 8] >> ((bit + b) % 8)) & 1) << b;
    codes.push_back(code);
  }
  ASSERT_GE(codes.size(), 5000u + 5000 / 254 + 2);
  std::size_t pixel = 0, i = 0;
  for (; pixel < pixels.size(); ++i) {
    if (i % 255 == 0) {
      EXPECT_EQ(codes[i], 256) << "code " << i;
    } else {
      ASSERT_EQ(codes[i], pixels[pixel++]) << "code " << i;
    }
  }
  EXPECT_EQ(codes[i], 257);
}

TEST(RunLengthCoder, RefusesAnIndexOutsideTheTableAndLeavesTheDataUnterminated) {
  MemorySink sink;
  const Bytes pixels = {215, 215, 216};
  try {
    writeRunLengthImageData(sink, 8, 3, 1, pixels.data(), 216);
    FAIL() << "no error";
  } catch (const GifError& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
  // The minimum code size and the clear code made it out; no terminator follows.
  ASSERT_EQ(sink.bytes().size(), 3u);
  EXPECT_EQ(sink.bytes()[0], 8);
  EXPECT_EQ(sink.bytes()[1], 1);
}

TEST(RunLengthCoder, EmptyFrameIsAnEndCodeOnly) {
  EXPECT_EQ(encode({}, 8, 0, 0), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
}

TEST(RunLengthCoder, TriangleCostCountsTheRunCodesOfALadder) {
  // Brute force: runs of 1, 2, ..., k pixels in turn, a shorter rest in one code.
  auto ladder = [](std::int64_t count, std::int64_t k) {
    std::int64_t cost = 0;
    for (std::int64_t n = 1; count > 0; n = n == k ? 1 : n + 1) {
      count -= std::min(count, n);
      ++cost;
    }
    return cost;
  };
  for (std::int64_t k : {1, 2, 3, 7, 254, 3837}) {
    for (std::int64_t count = 0; count < 3000; ++count) {
      ASSERT_EQ(runLengthTriangleCost(count, k), ladder(count, k)) << count << " " << k;
    }
  }
  for (std::int64_t x = 0; x < 100000; ++x) {
    const std::int64_t r = runLengthIntSqrt(x);
    ASSERT_TRUE(r * r <= x && (r + 1) * (r + 1) > x) << x;
  }
}

// Runs of random indices: mostly short, some long, a few of millions of pixels.
Bytes randomRuns(std::mt19937& random, int bits, std::size_t total) {
  Bytes pixels;
  pixels.reserve(total);
  std::uniform_int_distribution<int> index(0, (1 << bits) - 1);
  std::uniform_int_distribution<int> kind(0, 99);
  while (pixels.size() < total) {
    const int k = kind(random);
    std::size_t length;
    if (k < 70) {
      length = std::uniform_int_distribution<std::size_t>(1, 6)(random);
    } else if (k < 97) {
      length = std::uniform_int_distribution<std::size_t>(7, 20000)(random);
    } else {
      length = std::uniform_int_distribution<std::size_t>(100000, 3000000)(random);
    }
    pixels.insert(pixels.end(), std::min(length, total - pixels.size()),
                  static_cast<std::uint8_t>(index(random)));
  }
  return pixels;
}

TEST(RunLengthCoder, DecodesToTheInputForEveryTableSize) {
  std::mt19937 random(5);
  for (int bits = 1; bits <= 8; ++bits) {
    SCOPED_TRACE("bits " + std::to_string(bits));
    // Small frames, including one pixel and one row or column.
    for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 7}, {13, 11}, {255, 3}}) {
      const Bytes pixels = randomRuns(random, bits, std::size_t(w) * h);
      const Bytes data = encode(pixels, bits, w, h);
      ASSERT_EQ(test::decodeGif(test::wrapImageData(data, bits, w, h)).indices, pixels);
    }
    // Long frames of mixed runs.
    for (int round = 0; round < 3; ++round) {
      const int w = 2000, h = 1500;
      const Bytes pixels = randomRuns(random, bits, std::size_t(w) * h);
      const Bytes data = encode(pixels, bits, w, h);
      ASSERT_EQ(test::decodeGif(test::wrapImageData(data, bits, w, h)).indices, pixels);
    }
    // Never two equal neighbours.
    {
      const int w = 1000, h = 300;
      Bytes pixels(std::size_t(w) * h);
      const int colors = 1 << bits;
      for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int step = colors > 2 ? 1 + int(random() % (colors - 1)) : 1;
        pixels[i] = static_cast<std::uint8_t>(i == 0 ? 0 : (pixels[i - 1] + step) % colors);
      }
      const Bytes data = encode(pixels, bits, w, h);
      ASSERT_EQ(test::decodeGif(test::wrapImageData(data, bits, w, h)).indices, pixels);
    }
    // One index throughout, millions of pixels.
    {
      const int w = 4000, h = 1000;
      const Bytes pixels(std::size_t(w) * h, static_cast<std::uint8_t>((1 << bits) - 1));
      const Bytes data = encode(pixels, bits, w, h);
      ASSERT_EQ(test::decodeGif(test::wrapImageData(data, bits, w, h)).indices, pixels);
    }
  }
}

}  // namespace
}  // namespace fudekko
