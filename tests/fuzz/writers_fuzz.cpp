// The attachment writers, fed with a picture of random format, size, palette and
// pixels, each written as Send writes it (writeAttachment) and read back by an
// independent decoder: plain offset arithmetic for BMP, libpng for PNG, libgif for GIF.
// BMP and PNG give every pixel's colour back; GIF the palette colour of an indexed
// picture and the colour-cube colour of any other.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <exception>
#include <string>
#include <vector>

#include "common/byte_stream.h"
#include "fuzz/fuzz_check.h"
#include "gif/gif_writer.h"
#include "handoff/attachment.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"

#define FUDEKKO_TEST_WORK_DIR "."
#include "support/gif_oracle.h"
#include "support/imaging_oracle.h"

using namespace fudekko;

namespace {

Picture randomPicture(FuzzedDataProvider& input) {
  static constexpr PixelFormat kFormats[] = {
      PixelFormat::Device, PixelFormat::Bits1,  PixelFormat::Bits4,  PixelFormat::Bits8,
      PixelFormat::Bits15, PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32};
  const PixelFormat format = kFormats[input.ConsumeIntegralInRange(0, 7)];
  const auto width = input.ConsumeIntegralInRange<std::int32_t>(1, 40);
  const auto height = input.ConsumeIntegralInRange<std::int32_t>(1, 40);
  std::vector<PaletteEntry> palette;
  const int bits = bitsPerPixel(format);
  if (bits <= 8) {
    // Shorter and longer palettes than the format's too: an index past the palette
    // shows black.
    palette.resize(input.ConsumeIntegralInRange<std::size_t>(0, (std::size_t{1} << bits) + 4));
    for (PaletteEntry& entry : palette) {
      entry.red = input.ConsumeIntegral<std::uint8_t>();
      entry.green = input.ConsumeIntegral<std::uint8_t>();
      entry.blue = input.ConsumeIntegral<std::uint8_t>();
    }
  }
  Picture picture(format, width, height, palette);
  // Every stored byte of a row, the unused ones (bit 15, the fourth byte) included.
  const std::size_t used = (std::size_t(width) * bits + 7) / 8;
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* row = picture.scanLine(y);
    for (std::size_t i = 0; i < used; ++i) row[i] = input.ConsumeIntegral<std::uint8_t>();
  }
  return picture;
}

Color bmpPixel(const test::Bytes& bmp, std::int32_t x, std::int32_t y) {
  const std::int32_t width = static_cast<std::int32_t>(test::le32(bmp, 18));
  const std::int32_t height = static_cast<std::int32_t>(test::le32(bmp, 22));
  const int bits = test::le16(bmp, 28);
  const std::size_t stride = (std::size_t(width) * bits + 31) / 32 * 4;
  const std::size_t at =
      test::le32(bmp, 10) + stride * std::size_t(height - 1 - y) + std::size_t(x) * bits / 8;
  switch (bits) {
    case 8: {
      const std::size_t entry = 54 + 4 * std::size_t(bmp.at(at));
      return rgb(bmp.at(entry + 2), bmp.at(entry + 1), bmp.at(entry));
    }
    case 16: {
      const unsigned value = bmp.at(at) | bmp.at(at + 1) << 8;
      FUZZ_CHECK(value < 0x8000, "bit 15 set in a 16-bit BMP pixel");
      auto widen = [](unsigned five) { return static_cast<std::uint8_t>(five << 3 | five >> 2); };
      return rgb(widen(value >> 10 & 31), widen(value >> 5 & 31), widen(value & 31));
    }
    case 24:
    case 32:
      if (bits == 32) FUZZ_CHECK(bmp.at(at + 3) == 0, "the unused byte of a 32-bit pixel is set");
      return rgb(bmp.at(at + 2), bmp.at(at + 1), bmp.at(at));
  }
  FUZZ_CHECK(false, "a BMP bit count that is never written");
  return 0;
}

void checkBmp(const Picture& picture, const test::Bytes& bmp) {
  FUZZ_CHECK(bmp.size() >= 54 && bmp[0] == 'B' && bmp[1] == 'M', "no BMP header");
  FUZZ_CHECK(test::le32(bmp, 2) == bmp.size(), "the file size field is wrong");
  FUZZ_CHECK(test::le32(bmp, 18) == std::uint32_t(picture.width()) &&
                 test::le32(bmp, 22) == std::uint32_t(picture.height()),
             "the BMP's size differs");
  FUZZ_CHECK(test::le16(bmp, 28) == bmpBitCount(picture.format()), "an unexpected bit count");
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    for (std::int32_t x = 0; x < picture.width(); ++x) {
      FUZZ_CHECK(bmpPixel(bmp, x, y) == picture.pixel(x, y), "a BMP pixel differs");
    }
  }
}

void checkPng(const Picture& picture, const test::Bytes& png) {
  test::RgbImage decoded;
  try {
    decoded = test::decodeWithLibpng(png);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    FUZZ_CHECK(false, "libpng refused the PNG");
  }
  FUZZ_CHECK(decoded.width == std::uint32_t(picture.width()) &&
                 decoded.height == std::uint32_t(picture.height()),
             "the PNG's size differs");
  FUZZ_CHECK(decoded.rgb == test::rgbOf(picture), "a PNG pixel differs");
}

void checkGif(const Picture& picture, const test::Bytes& gif) {
  test::DecodedGif decoded;
  try {
    decoded = test::decodeGif(gif);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    FUZZ_CHECK(false, "libgif refused the GIF");
  }
  FUZZ_CHECK(decoded.frameWidth == picture.width() && decoded.frameHeight == picture.height(),
             "the GIF's size differs");
  const bool indexed = bitsPerPixel(picture.format()) <= 8;
  auto cube = [](int c) { return (c + 3) / 51 * 51; };
  std::vector<std::uint8_t> sourceIndices(static_cast<std::size_t>(picture.width()));
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    if (indexed) {
      unpackIndexRow(picture.format(), picture.scanLine(y), sourceIndices.data(),
                     sourceIndices.size());
    }
    for (std::int32_t x = 0; x < picture.width(); ++x) {
      // An index past the picture's palette has no colour of its own (an empty palette
      // gives a GIF without any table); only the writer's refusal of larger ones is
      // checked, below.
      if (indexed && sourceIndices[x] >= picture.palette().size()) continue;
      const std::size_t index = decoded.indices[std::size_t(y) * picture.width() + x];
      FUZZ_CHECK(3 * index + 2 < decoded.palette.size(), "an index past the GIF's table");
      const Color got = rgb(decoded.palette[3 * index], decoded.palette[3 * index + 1],
                            decoded.palette[3 * index + 2]);
      const Color p = picture.pixel(x, y);
      const Color want = indexed ? p : rgb(cube(redOf(p)), cube(greenOf(p)), cube(blueOf(p)));
      FUZZ_CHECK(got == want, "a GIF pixel differs");
    }
  }
}

bool hasIndexPastPalette(const Picture& picture) {
  if (bitsPerPixel(picture.format()) > 8) return false;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(picture.width()));
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    unpackIndexRow(picture.format(), picture.scanLine(y), indices.data(), indices.size());
    for (const std::uint8_t index : indices) {
      if (index >= picture.palette().size()) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const Picture picture = randomPicture(input);
  static const std::string path = "picture-" + std::to_string(getpid());

  writeAttachment(picture, path, AttachmentFormat::Bmp);
  checkBmp(picture, readWholeFile(path));
  try {
    writeAttachment(picture, path, AttachmentFormat::Png, input.ConsumeIntegralInRange(0, 2));
    checkPng(picture, readWholeFile(path));
  } catch (const PngError&) {
    // A palette picture needs at least one palette entry in PNG; Send's composite
    // picture is never one.
    FUZZ_CHECK(bitsPerPixel(picture.format()) <= 8 && picture.palette().empty(),
               "the PNG writer refused a picture it can write");
  }
  try {
    writeAttachment(picture, path, AttachmentFormat::Gif);
    checkGif(picture, readWholeFile(path));
  } catch (const GifError&) {
    // A GIF's indices must lie inside its colour table: an index past the palette is
    // refused rather than written as another colour. Send's picture has no palette.
    FUZZ_CHECK(hasIndexPastPalette(picture), "the GIF writer refused a picture it can write");
  }
  return 0;
}
