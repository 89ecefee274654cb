// The BMP reader of the encode command, fed with any file. It must accept exactly the
// files that the model below accepts, and read each pixel where the model finds it.
//
// The model is written from the file format, not from the reader: it works out where
// every pixel lies and accepts the file when each of them lies inside it.

#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "imaging/bmp_reader.h"

using namespace fudekko;

namespace {

struct ModelBmp {
  std::int64_t width = 0;
  std::int64_t height = 0;
  // Byte offset in the file of pixel (x, y), y counted from the top.
  std::vector<std::uint64_t> offsets;
};

std::uint64_t field(const std::uint8_t* data, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | data[at + i];
  return value;
}

std::int64_t signed32(std::uint64_t value) {
  return value >= 0x80000000u ? std::int64_t(value) - 0x100000000 : std::int64_t(value);
}

std::optional<ModelBmp> model(const std::uint8_t* data, std::size_t size) {
  // File header (14 bytes) then an information header of at least 40 bytes.
  if (size < 54 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const std::uint64_t pixelsAt = field(data, 10, 4);
  const std::uint64_t infoSize = field(data, 14, 4);
  const std::int64_t width = signed32(field(data, 18, 4));
  const std::int64_t height = signed32(field(data, 22, 4));
  const std::uint64_t planes = field(data, 26, 2);
  const std::uint64_t bits = field(data, 28, 2);
  const std::uint64_t compression = field(data, 30, 4);
  if (infoSize < 40 || planes != 1 || (bits != 24 && bits != 32)) return std::nullopt;
  if (compression == 3) {
    // Bit fields: only the plain layout, masks right after the 40-byte part.
    if (bits != 32 || size < 66 || field(data, 54, 4) != 0xFF0000 || field(data, 58, 4) != 0xFF00 ||
        field(data, 62, 4) != 0xFF) {
      return std::nullopt;
    }
  } else if (compression != 0) {
    return std::nullopt;
  }
  // A negative height stores the rows from the top; the most negative one has no
  // positive counterpart.
  if (width <= 0 || height == 0 || height == -0x80000000LL) return std::nullopt;
  // The pixels cannot start inside the headers, nor after the end.
  if (pixelsAt < 14 + infoSize || pixelsAt > size) return std::nullopt;

  const std::int64_t rows = height < 0 ? -height : height;
  const std::uint64_t bytesPerPixel = bits / 8;
  const std::uint64_t stride = (width * bytesPerPixel + 3) / 4 * 4;
  // Every pixel lies whole inside the file; only the last row's padding may be missing.
  const std::uint64_t lastRowAt = pixelsAt + stride * std::uint64_t(rows - 1);
  if (lastRowAt + bytesPerPixel * std::uint64_t(width) > size) return std::nullopt;

  ModelBmp bmp;
  bmp.width = width;
  bmp.height = rows;
  bmp.offsets.reserve(std::size_t(width * rows));
  for (std::int64_t y = 0; y < rows; ++y) {
    const std::int64_t fileRow = height < 0 ? y : rows - 1 - y;
    for (std::int64_t x = 0; x < width; ++x) {
      bmp.offsets.push_back(pixelsAt + stride * std::uint64_t(fileRow) +
                            bytesPerPixel * std::uint64_t(x));
    }
  }
  return bmp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that AddressSanitizer sees any read past the end.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const std::optional<ModelBmp> expected = model(bytes.data(), bytes.size());
  std::optional<Picture> read;
  try {
    read = readBmp(bytes);
  } catch (const BmpReadError&) {
  }
  FUZZ_CHECK(read.has_value() == expected.has_value(),
             read ? "accepted a file that is no readable BMP" : "refused a readable BMP");
  if (!read) return 0;

  FUZZ_CHECK(read->format() == PixelFormat::Device, "not a picture of the device format");
  FUZZ_CHECK(read->width() == expected->width && read->height() == expected->height,
             "the size differs from the header's");
  std::size_t i = 0;
  for (std::int32_t y = 0; y < read->height(); ++y) {
    const std::uint8_t* row = read->scanLine(y);
    for (std::int32_t x = 0; x < read->width(); ++x, ++i) {
      const std::uint8_t* pixel = bytes.data() + expected->offsets[i];
      FUZZ_CHECK(row[4 * x] == pixel[0] && row[4 * x + 1] == pixel[1] &&
                     row[4 * x + 2] == pixel[2] && row[4 * x + 3] == 0,
                 "a pixel read from the wrong place");
    }
  }
  return 0;
}
