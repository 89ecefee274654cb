#include "gif/color_reduction.h"

namespace fudekko {

std::vector<PaletteEntry> cubePalette() {
  std::vector<PaletteEntry> palette;
  palette.reserve(256);
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.push_back({static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                           static_cast<std::uint8_t>(51 * b), 0});
      }
    }
  }
  palette.resize(256, PaletteEntry{});
  return palette;
}

namespace {

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

// `Step` is the distance between pixels of `in`, each blue, green, red.
template <int Step>
void cubeRow(const std::uint8_t* in, std::uint8_t* out, std::int32_t width) {
  for (std::int32_t x = 0; x < width; ++x) {
    const std::uint8_t* p = in + Step * x;
    out[x] =
        static_cast<std::uint8_t>(cubeLevel(p[0]) + 6 * cubeLevel(p[1]) + 36 * cubeLevel(p[2]));
  }
}

}  // namespace

void reduceToCube(const Picture& picture, std::uint8_t* indices, std::size_t stride) {
  const std::int32_t width = picture.width();
  std::vector<std::uint8_t> converted;
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    std::uint8_t* out = indices + stride * static_cast<std::size_t>(y);
    const std::uint8_t* in = picture.scanLine(y);
    switch (picture.format()) {
      case PixelFormat::Device:
      case PixelFormat::Bits32:
        cubeRow<4>(in, out, width);
        break;
      case PixelFormat::Bits24:
        cubeRow<3>(in, out, width);
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
        cubeRow<3>(converted.data(), out, width);
        break;
    }
  }
}

}  // namespace fudekko
