#include "imaging/bmp_writer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "common/errors.h"
#include "imaging/bmp_format.h"

namespace fudekko {

namespace {

constexpr std::uint32_t kTableEntries8 = 256;

std::uint32_t loadLe32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, 4);
  return value;
}

// Copies a 32-bit row with the unused fourth byte of every pixel cleared: rows filled
// from a screen snapshot may carry anything there, and the file wants 0. Two pixels at
// a time, which compilers vectorise.
void copyClearingFourthBytes(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
  for (std::size_t x = 0; x + 1 < width; x += 2) {
    std::uint64_t pair;
    std::memcpy(&pair, in + 4 * x, 8);
    pair &= 0x00FFFFFF00FFFFFFull;
    std::memcpy(out + 4 * x, &pair, 8);
  }
  if (width % 2 != 0) {
    const std::uint32_t value = loadLe32(in + 4 * (width - 1)) & 0x00FFFFFFu;
    std::memcpy(out + 4 * (width - 1), &value, 4);
  }
}

// One picture row in the file's layout; `out` holds the padded row and its padding
// bytes stay zero.
void convertRow(const Picture& picture, std::int32_t y, std::uint8_t* out) {
  const std::uint8_t* in = picture.scanLine(y);
  const std::size_t width = static_cast<std::size_t>(picture.width());
  switch (picture.format()) {
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      copyClearingFourthBytes(in, out, width);
      break;
    case PixelFormat::Bits24:
      std::memcpy(out, in, 3 * width);
      break;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      for (std::size_t x = 0; x < width; ++x) {
        out[2 * x] = in[2 * x];
        out[2 * x + 1] = static_cast<std::uint8_t>(in[2 * x + 1] & 0x7F);
      }
      break;
    case PixelFormat::Bits8:
    case PixelFormat::Bits4:
    case PixelFormat::Bits1:
      unpackIndexRow(picture.format(), in, out, width);
      break;
  }
}

}  // namespace

int bmpBitCount(PixelFormat format) {
  switch (format) {
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      return 32;
    case PixelFormat::Bits24:
      return 24;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      return 16;
    case PixelFormat::Bits8:
    case PixelFormat::Bits4:
    case PixelFormat::Bits1:
      return 8;
  }
  return 32;
}

void writeBmp(const Picture& picture, ByteSink& sink) {
  if (picture.empty()) return;

  const int bitCount = bmpBitCount(picture.format());
  const std::uint64_t width = static_cast<std::uint64_t>(picture.width());
  const std::uint64_t height = static_cast<std::uint64_t>(picture.height());
  const std::uint32_t tableEntries = bitCount == 8 ? kTableEntries8 : 0;
  const std::uint64_t rowSize = bmpRowSize(width, static_cast<std::uint32_t>(bitCount));
  const std::uint64_t dataOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize + 4 * tableEntries;
  const std::uint64_t imageSize = rowSize * height;
  // Every size of the headers is a 32-bit field.
  if (imageSize > 0xFFFFFFFFu - dataOffset) throw OutOfResources();

  std::uint8_t header[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
  header[0] = 'B';
  header[1] = 'M';
  putLe32(header + 2, static_cast<std::uint32_t>(dataOffset + imageSize));
  putLe32(header + 10, static_cast<std::uint32_t>(dataOffset));
  putDibInfoHeader(header + kBmpFileHeaderSize, {.width = static_cast<std::uint32_t>(width),
                                                 .height = static_cast<std::uint32_t>(height),
                                                 .bitCount = static_cast<std::uint16_t>(bitCount),
                                                 .imageSize = static_cast<std::uint32_t>(imageSize),
                                                 .colorsUsed = tableEntries});
  sink.write(header, sizeof header);

  if (tableEntries > 0) {
    // Entries the picture's palette lacks are black, as an index past the palette shows.
    std::uint8_t table[4 * kTableEntries8] = {};
    const auto& palette = picture.palette();
    const std::size_t used = std::min<std::size_t>(palette.size(), kTableEntries8);
    for (std::size_t i = 0; i < used; ++i) {
      table[4 * i] = palette[i].blue;
      table[4 * i + 1] = palette[i].green;
      table[4 * i + 2] = palette[i].red;
    }
    sink.write(table, sizeof table);
  }

  std::vector<std::uint8_t> row;
  try {
    row.assign(static_cast<std::size_t>(rowSize), 0);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  for (std::int32_t y = picture.height() - 1; y >= 0; --y) {
    convertRow(picture, y, row.data());
    sink.write(row.data(), row.size());
  }
}

void saveBmpToFile(const Picture& picture, const std::string& path) {
  FileSink file(path);
  writeBmp(picture, file);
  file.close();
}

}  // namespace fudekko
