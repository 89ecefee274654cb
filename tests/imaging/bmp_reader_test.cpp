#include "imaging/bmp_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/imaging_oracle.h"

namespace fudekko {
namespace {

using test::Bytes;

void putLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A BMP built by hand: `rows` top-down as the file stores them, each already padded.
// A header size below 40 still gets room for the fields written here; the pixel data
// then follows them, while the offset field says where such a header would end.
Bytes handMadeBmp(std::int32_t width, std::int32_t height, int bits, const Bytes& rows,
                  std::uint32_t compression = 0, std::uint32_t headerSize = 40) {
  const std::uint32_t offset = 14 + headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
  const std::size_t written = 14 + 40 + (compression == 3 ? 12 : 0);
  Bytes file(std::max<std::size_t>(offset, written), 0);
  file[0] = 'B';
  file[1] = 'M';
  putLe32(file, 2, static_cast<std::uint32_t>(offset + rows.size()));
  putLe32(file, 10, offset);
  putLe32(file, 14, headerSize);
  putLe32(file, 18, static_cast<std::uint32_t>(width));
  putLe32(file, 22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = static_cast<std::uint8_t>(bits);
  putLe32(file, 30, compression);
  if (compression == 3) {
    putLe32(file, 54, 0xFF0000);
    putLe32(file, 58, 0xFF00);
    putLe32(file, 62, 0xFF);
  }
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

TEST(BmpReader, ReadsBottomUpAndTopDownRows) {
  // 2 x 2 at 24 bits: rows of 6 bytes padded to 8. File order: first row, second row.
  const Bytes rows = {1, 2, 3, 4,  5,  6,  0, 0,  // blue, green, red
                      7, 8, 9, 10, 11, 12, 0, 0};
  const Picture bottomUp = readBmp(handMadeBmp(2, 2, 24, rows));
  EXPECT_EQ(bottomUp.format(), PixelFormat::Device);
  EXPECT_EQ(bottomUp.pixel(0, 1), rgb(3, 2, 1));
  EXPECT_EQ(bottomUp.pixel(1, 0), rgb(12, 11, 10));
  const Picture topDown = readBmp(handMadeBmp(2, -2, 24, rows));
  EXPECT_EQ(topDown.height(), 2);
  EXPECT_EQ(topDown.pixel(0, 0), rgb(3, 2, 1));
  EXPECT_EQ(topDown.pixel(1, 1), rgb(12, 11, 10));
}

TEST(BmpReader, ReadsThirtyTwoBitsWithPlainOrBitFieldLayout) {
  const Bytes rows = {1, 2, 3, 0xFF, 4, 5, 6, 0x80};
  for (const auto& [compression, headerSize] :
       {std::pair{0u, 40u}, {3u, 40u}, {3u, 108u}, {0u, 124u}}) {
    const Picture picture = readBmp(handMadeBmp(2, 1, 32, rows, compression, headerSize));
    EXPECT_EQ(picture.pixel(0, 0), rgb(3, 2, 1));
    EXPECT_EQ(picture.pixel(1, 0), rgb(6, 5, 4));
    EXPECT_EQ(picture.scanLine(0)[3], 0) << "the fourth byte is not carried over";
  }
}

TEST(BmpReader, RefusesWhatItCannotRead) {
  const Bytes rows24(8, 0);
  Bytes otherMasks = handMadeBmp(2, 1, 32, Bytes(8, 0), 3);
  putLe32(otherMasks, 54, 0xFF);
  Bytes badOffset = handMadeBmp(2, 1, 24, rows24);
  putLe32(badOffset, 10, 0xFFFFFFF0u);
  Bytes hugeHeight = handMadeBmp(2, 1, 24, rows24);
  putLe32(hugeHeight, 22, 0x7FFFFFFF);
  Bytes lowestHeight = handMadeBmp(2, 1, 24, rows24);
  putLe32(lowestHeight, 22, 0x80000000u);
  Bytes hugeWidth = handMadeBmp(2, 1, 24, rows24);
  putLe32(hugeWidth, 18, 0x7FFFFFFF);
  Bytes hugeHeader = handMadeBmp(2, 1, 24, rows24);  // its end wraps around 32 bits
  putLe32(hugeHeader, 14, 0xFFFFFFFEu);
  const Bytes bad[] = {
      {},
      Bytes(20, 'B'),
      Bytes{'P', 'K'},
      handMadeBmp(2, 1, 8, rows24),
      handMadeBmp(2, 1, 16, rows24),
      handMadeBmp(2, 1, 24, rows24, 1),  // run-length coded
      handMadeBmp(2, 1, 24, rows24, 0, 12),
      handMadeBmp(0, 1, 24, {}),
      handMadeBmp(2, 0, 24, {}),
      handMadeBmp(2, 2, 24, rows24),  // one row missing
      handMadeBmp(3, 1, 24, Bytes(8, 0)),
      otherMasks,
      badOffset,
      hugeHeight,
      lowestHeight,
      hugeWidth,
      hugeHeader,
  };
  for (std::size_t i = 0; i < std::size(bad); ++i) {
    EXPECT_THROW(readBmp(bad[i]), BmpReadError) << "case " << i;
  }
}

TEST(BmpReader, AcceptsALastRowWithoutPadding) {
  Bytes rows = {1, 2, 3, 0, 4, 5, 6};  // two rows of one pixel; the last lacks its padding
  const Picture picture = readBmp(handMadeBmp(1, 2, 24, rows));
  EXPECT_EQ(picture.pixel(0, 1), rgb(3, 2, 1));
  EXPECT_EQ(picture.pixel(0, 0), rgb(6, 5, 4));
}

}  // namespace
}  // namespace fudekko
