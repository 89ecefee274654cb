#include "imaging/bmp_reader.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "common/byte_stream.h"
#include "imaging/bmp_format.h"

namespace fudekko {

namespace {

// Headers longer than the information header (V4, V5) begin with it.
constexpr std::uint32_t kMinInfoHeaderSize = kBmpInfoHeaderSize;
// The file header, the information header and the masks that may follow it.
constexpr std::size_t kHeadersWithMasks = kBmpFileHeaderSize + kMinInfoHeaderSize + 12;

std::uint16_t le16(const std::uint8_t* at) {
  return std::uint16_t(at[0] | (at[1] << 8));
}

std::uint32_t le32(const std::uint8_t* at) {
  return std::uint32_t(at[0]) | (std::uint32_t(at[1]) << 8) | (std::uint32_t(at[2]) << 16) |
         (std::uint32_t(at[3]) << 24);
}

}  // namespace

Picture readBmp(const std::uint8_t* data, std::size_t size) {
  if (size < kBmpFileHeaderSize + kMinInfoHeaderSize || data[0] != 'B' || data[1] != 'M') {
    throw BmpReadError("not a BMP file");
  }
  const std::uint64_t dataOffset = le32(data + 10);
  const std::uint32_t headerSize = le32(data + 14);
  const auto width = static_cast<std::int32_t>(le32(data + 18));
  const auto rawHeight = static_cast<std::int32_t>(le32(data + 22));
  const std::uint16_t planes = le16(data + 26);
  const std::uint16_t bitCount = le16(data + 28);
  const std::uint32_t compression = le32(data + 30);

  if (headerSize < kMinInfoHeaderSize || planes != 1) throw BmpReadError("malformed BMP header");
  if (bitCount != 24 && bitCount != 32) {
    throw BmpReadError("unsupported BMP: only 24- and 32-bit pictures are read");
  }
  if (compression == kBmpCompressionBitFields && bitCount == 32) {
    // The masks follow the 40-byte header, inside a longer header or after a short one.
    const std::size_t masks = kBmpFileHeaderSize + kMinInfoHeaderSize;
    if (size < kHeadersWithMasks || le32(data + masks) != kBmpRedMask ||
        le32(data + masks + 4) != kBmpGreenMask || le32(data + masks + 8) != kBmpBlueMask) {
      throw BmpReadError("unsupported BMP: colour masks other than 8 bits red, green, blue");
    }
  } else if (compression != kBmpCompressionNone) {
    throw BmpReadError("unsupported BMP: compressed pixel data");
  }
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) {
    throw BmpReadError("malformed BMP header");
  }
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;

  const std::uint64_t pixelBytes = bitCount / 8;
  const std::uint64_t rowSize = bmpRowSize(std::uint64_t(width), bitCount);
  // In 64 bits: a header size near 2^32 must not wrap around to a small sum.
  if (dataOffset < std::uint64_t{kBmpFileHeaderSize} + headerSize || dataOffset > size) {
    throw BmpReadError("malformed BMP header");
  }
  // The last row's padding may be missing; its pixels may not.
  const std::uint64_t needed = rowSize * std::uint64_t(height - 1) + pixelBytes * width;
  if (needed > size - dataOffset) throw BmpReadError("truncated BMP file");

  Picture picture(PixelFormat::Device, width, height);
  for (std::int32_t fileRow = 0; fileRow < height; ++fileRow) {
    const std::uint8_t* in = data + dataOffset + rowSize * std::uint64_t(fileRow);
    std::uint8_t* out = picture.scanLine(topDown ? fileRow : height - 1 - fileRow);
    for (std::int32_t x = 0; x < width; ++x) {
      out[4 * x] = in[pixelBytes * x];
      out[4 * x + 1] = in[pixelBytes * x + 1];
      out[4 * x + 2] = in[pixelBytes * x + 2];
      out[4 * x + 3] = 0;
    }
  }
  return picture;
}

namespace {

// The bytes that the headers say the file needs (up to the last pixel), or as few as
// the headers themselves when they describe nothing that readBmp would take.
std::uint64_t bytesNeeded(const std::vector<std::uint8_t>& head) {
  const std::uint64_t headers = kHeadersWithMasks;
  if (head.size() < kBmpFileHeaderSize + kMinInfoHeaderSize) return headers;
  const std::uint64_t dataOffset = le32(head.data() + 10);
  const auto width = static_cast<std::int32_t>(le32(head.data() + 18));
  const auto rawHeight = static_cast<std::int32_t>(le32(head.data() + 22));
  const std::uint16_t bitCount = le16(head.data() + 28);
  if ((bitCount != 24 && bitCount != 32) || width <= 0 || rawHeight == 0 ||
      rawHeight == INT32_MIN) {
    return headers;
  }
  const std::uint64_t height = rawHeight < 0 ? -std::int64_t(rawHeight) : rawHeight;
  const std::uint64_t rowSize = bmpRowSize(std::uint64_t(width), bitCount);
  return std::max(headers,
                  dataOffset + rowSize * (height - 1) + bitCount / 8 * std::uint64_t(width));
}

// Appends up to `count` more bytes of `file` to `bytes`; fewer at its end.
void readMore(std::FILE* file, std::vector<std::uint8_t>& bytes, std::uint64_t count,
              const std::string& path) {
  std::uint8_t buffer[65536];
  while (count > 0) {
    const std::size_t want = count < sizeof buffer ? std::size_t(count) : sizeof buffer;
    const std::size_t got = std::fread(buffer, 1, want, file);
    bytes.insert(bytes.end(), buffer, buffer + got);
    count -= got;
    if (got < want) break;
  }
  if (std::ferror(file)) throw FileOpenError(path);
}

}  // namespace

Picture readBmpFile(const std::string& path) {
  if (!isPlainFile(path)) throw FileOpenError(path);
  std::FILE* file = openFileForReading(path);
  if (!file) throw FileOpenError(path);
  const FileCloser closer(file);
  // The headers first, then no further than the pixel data they describe: whatever
  // follows the last pixel is never read.
  std::vector<std::uint8_t> bytes;
  readMore(file, bytes, kHeadersWithMasks, path);
  const std::uint64_t needed = bytesNeeded(bytes);
  if (needed > bytes.size()) readMore(file, bytes, needed - bytes.size(), path);
  return readBmp(bytes);
}

}  // namespace fudekko
