#include "gif/color_reduction.h"

#include <type_traits>

#include "common/errors.h"
#include "gif/gif_error.h"

namespace fudekko {

std::vector<PaletteEntry> makeCubePalette() {
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

// Walks one row in the ditherer's current direction. `Step` is the distance between
// pixels of `in`, each blue, green, red.
template <int Step, class Lookup, class Ditherer>
void ditherRow(const std::uint8_t* in, std::uint8_t* out, std::int32_t width, Ditherer& ditherer) {
  std::uint8_t r, g, b;
  for (std::int32_t x = ditherer.column(); x >= 0 && x < width; x = ditherer.column()) {
    const std::uint8_t* p = in + Step * x;
    out[x] = ditherer.ditherPixel(p[2], p[1], p[0], r, g, b);
  }
  ditherer.nextRow();
}

// (c + 3) div 51 as a multiply-high on 16 bits, which vectorises.
constexpr std::uint16_t cubeLevel(std::uint16_t c) {
  return static_cast<std::uint16_t>((std::uint32_t(static_cast<std::uint16_t>(c + 3)) * 1286u) >>
                                    16);
}

constexpr bool cubeLevelMatchesDivision() {
  for (int c = 0; c < 256; ++c) {
    if (cubeLevel(static_cast<std::uint16_t>(c)) != (c + 3) / 51) return false;
  }
  return true;
}
static_assert(cubeLevelMatchesDivision());

template <int Step>
inline std::uint8_t cubeIndexAt(const std::uint8_t* in, std::int32_t x) {
  const std::uint8_t* p = in + Step * x;
  return static_cast<std::uint8_t>(cubeLevel(p[0]) + 6 * cubeLevel(p[1]) + 36 * cubeLevel(p[2]));
}

// The plain ditherer maps each pixel by itself, so the direction of its walk cannot
// change a row; each row is computed left to right, which vectorises, and the
// ditherer still turns at the row's end.
template <int Step>
void cubeRow(const std::uint8_t* in, std::uint8_t* out, std::int32_t width,
             PlainDitherer<CubeColorLookup>& ditherer) {
  for (std::int32_t x = 0; x < width; ++x) out[x] = cubeIndexAt<Step>(in, x);
  ditherer.nextRow();
}

template <int Step, class Lookup, class Ditherer>
void reduceRow(const std::uint8_t* in, std::uint8_t* out, std::int32_t width, Ditherer& ditherer) {
  if constexpr (std::is_same_v<Ditherer, PlainDitherer<CubeColorLookup>>) {
    cubeRow<Step>(in, out, width, ditherer);
  } else {
    ditherRow<Step, Lookup>(in, out, width, ditherer);
  }
}

template <class Lookup>
bool reduceThrough(const Picture& picture, const Lookup& lookup, int ditherer,
                   std::uint8_t* indices, std::size_t stride,
                   const std::function<void(std::int32_t)>& beforeRow) {
  if (lookup.colorCount() == 0) return false;
  if (ditherer != kDitherNone) return false;
  PlainDitherer<Lookup> engine(picture.width(), lookup);
  const std::int32_t width = picture.width();
  std::vector<std::uint8_t> converted;
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    if (beforeRow) beforeRow(y);
    std::uint8_t* out = indices + stride * static_cast<std::size_t>(y);
    const std::uint8_t* in = picture.scanLine(y);
    switch (picture.format()) {
      case PixelFormat::Device:
      case PixelFormat::Bits32:
        reduceRow<4, Lookup>(in, out, width, engine);
        break;
      case PixelFormat::Bits24:
        reduceRow<3, Lookup>(in, out, width, engine);
        break;
      default:
        // Other formats are turned into blue, green, red triples first, row by row.
        converted.resize(static_cast<std::size_t>(width) * 3);
        for (std::int32_t x = 0; x < width; ++x) {
          const Color c = picture.pixel(x, y);
          converted[3 * x] = blueOf(c);
          converted[3 * x + 1] = greenOf(c);
          converted[3 * x + 2] = redOf(c);
        }
        reduceRow<3, Lookup>(converted.data(), out, width, engine);
        break;
    }
  }
  return true;
}

}  // namespace

std::vector<PaletteEntry> reduceColorsInto(const Picture& picture, int method, int ditherer,
                                           std::uint8_t* indices, std::size_t stride,
                                           const std::function<void(std::int32_t)>& beforeRow) {
  if (picture.empty()) throw GifError("Invalid image dimensions");
  if (method != kReduceToCube) return {};
  std::vector<PaletteEntry> palette = makeCubePalette();
  const CubeColorLookup lookup(palette);
  if (!reduceThrough(picture, lookup, ditherer, indices, stride, beforeRow)) return {};
  // The table always has 256 entries: the palette's, then black.
  palette.resize(256, PaletteEntry{});
  for (auto& entry : palette) entry.flags = 0;
  return palette;
}

Picture reduceColors(const Picture& picture, int method, int ditherer, int /*quantizeBits*/,
                     const std::vector<PaletteEntry>* /*callerPalette*/) {
  if (picture.empty()) throw GifError("Invalid image dimensions");
  if (method == kReduceToTrueColor) {
    Picture copy = picture;
    copy.convertTo24Bits();
    return copy;
  }
  if (method != kReduceToCube || ditherer != kDitherNone) return Picture();
  Picture result;
  try {
    result = Picture(PixelFormat::Bits8, picture.width(), picture.height());
  } catch (const OutOfResources&) {
    throw OutOfMemory("Failed to allocate memory for GIF DIB");
  }
  result.setPalette(
      reduceColorsInto(picture, method, ditherer, result.scanLine(0), result.stride(), nullptr));
  return result;
}

}  // namespace fudekko
