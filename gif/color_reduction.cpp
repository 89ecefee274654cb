#include "gif/color_reduction.h"

#include "common/errors.h"
#include "gif/gif_error.h"

namespace fudekko {

std::vector<PaletteEntry> MakeCubePalette() {
  std::vector<PaletteEntry> palette;
  palette.reserve(216);
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.push_back({static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                           static_cast<std::uint8_t>(51 * b), 0});
      }
    }
  }
  return palette;
}

namespace {

Picture makeResult(PixelFormat format, std::int32_t width, std::int32_t height,
                   std::vector<PaletteEntry> palette) {
  try {
    return Picture(format, width, height, std::move(palette));
  } catch (const OutOfResources&) {
    throw OutOfMemory("Failed to allocate memory for GIF DIB");
  }
}

// Source rows as blue, green, red triples `Step` bytes apart, read where they are.
template <int Step, class Lookup, class Ditherer>
void reduceDirect(const Picture& source, Picture& result, const Lookup& /*lookup*/,
                  Ditherer& ditherer) {
  const std::int32_t width = source.width();
  for (std::int32_t y = 0; y < source.height(); ++y) {
    const std::uint8_t* in = source.scanLine(y);
    std::uint8_t* out = result.scanLine(y);
    std::uint8_t r, g, b;
    for (std::int32_t x = ditherer.column(); x >= 0 && x < width; x = ditherer.column()) {
      const std::uint8_t* p = in + Step * x;
      out[x] = ditherer.DitherPixel(p[2], p[1], p[0], r, g, b);
    }
    ditherer.NextRow();
  }
}

// Other formats: each row is first turned into blue, green, red triples.
template <class Lookup, class Ditherer>
void reduceConverted(const Picture& source, Picture& result, const Lookup& /*lookup*/,
                     Ditherer& ditherer) {
  const std::int32_t width = source.width();
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (std::int32_t y = 0; y < source.height(); ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const Color c = source.pixel(x, y);
      row[3 * x] = blueOf(c);
      row[3 * x + 1] = greenOf(c);
      row[3 * x + 2] = redOf(c);
    }
    std::uint8_t* out = result.scanLine(y);
    std::uint8_t r, g, b;
    for (std::int32_t x = ditherer.column(); x >= 0 && x < width; x = ditherer.column()) {
      const std::uint8_t* p = row.data() + 3 * x;
      out[x] = ditherer.DitherPixel(p[2], p[1], p[0], r, g, b);
    }
    ditherer.NextRow();
  }
}

template <class Lookup>
Picture reduceThrough(const Picture& picture, const Lookup& lookup, int ditherer,
                      std::vector<PaletteEntry> palette) {
  if (lookup.colorCount() == 0) return Picture();
  if (ditherer != kDitherNone) return Picture();
  TPlainDitherer<Lookup> engine(picture.width(), lookup);

  // The result's table always has 256 entries: the palette's, then black.
  palette.resize(256, PaletteEntry{});
  for (auto& entry : palette) entry.flags = 0;
  Picture result =
      makeResult(PixelFormat::Bits8, picture.width(), picture.height(), std::move(palette));
  switch (picture.format()) {
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      reduceDirect<4>(picture, result, lookup, engine);
      break;
    case PixelFormat::Bits24:
      reduceDirect<3>(picture, result, lookup, engine);
      break;
    default:
      reduceConverted(picture, result, lookup, engine);
      break;
  }
  return result;
}

}  // namespace

Picture ReduceColors(const Picture& picture, int method, int ditherer, int /*quantizeBits*/,
                     const std::vector<PaletteEntry>* /*callerPalette*/) {
  if (picture.empty()) throw EGifError("Invalid image dimensions");
  switch (method) {
    case kReduceToTrueColor: {
      Picture copy = picture;
      copy.convertTo24Bits();
      return copy;
    }
    case kReduceToCube: {
      std::vector<PaletteEntry> palette = MakeCubePalette();
      const TCubeColorLookup lookup(palette);
      return reduceThrough(picture, lookup, ditherer, std::move(palette));
    }
    default:
      return Picture();
  }
}

}  // namespace fudekko
