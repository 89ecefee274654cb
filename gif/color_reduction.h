#pragma once
// Reduction of a picture with more than 256 colours to an 8-bit picture over a fixed
// palette, as a GIF frame needs it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/picture.h"

namespace fudekko {

// The 6 x 6 x 6 colour cube: entry 36 r + 6 g + b holds (51 r, 51 g, 51 b).
std::vector<PaletteEntry> makeCubePalette();

// Maps a colour to a palette index and reports the colour the index stands for.
class ColorLookup {
 public:
  explicit ColorLookup(std::int32_t colorCount) : colorCount_(colorCount) {}
  virtual ~ColorLookup() = default;
  // 0 means the lookup has no colours.
  std::int32_t colorCount() const { return colorCount_; }
  virtual std::uint8_t indexOfColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                    std::uint8_t& outRed, std::uint8_t& outGreen,
                                    std::uint8_t& outBlue) const = 0;

 private:
  std::int32_t colorCount_;
};

// The cube needs no table: each component maps to level (c + 3) div 51. The offset 3,
// not the 25 of rounding, makes levels change just below each cube value.
class CubeColorLookup final : public ColorLookup {
 public:
  explicit CubeColorLookup(const std::vector<PaletteEntry>& /*palette*/) : ColorLookup(216) {}

  static int levelOf(std::uint8_t c) { return (c + 3) / 51; }

  std::uint8_t indexOfColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen,
                            std::uint8_t& outBlue) const override {
    const int r = levelOf(red), g = levelOf(green), b = levelOf(blue);
    outRed = static_cast<std::uint8_t>(51 * r);
    outGreen = static_cast<std::uint8_t>(51 * g);
    outBlue = static_cast<std::uint8_t>(51 * b);
    return static_cast<std::uint8_t>(b + 6 * g + 36 * r);
  }
};

// Nearest palette colour per pixel, no error diffusion. Rows are walked as a serpentine
// (left to right, then right to left), the walk that error-diffusing engines need.
// Templated on the lookup so that the per-pixel call inlines.
template <class Lookup>
class PlainDitherer {
 public:
  PlainDitherer(std::int32_t width, const Lookup& lookup) : lookup_(lookup), width_(width) {}

  std::int32_t column() const { return column_; }
  std::int32_t direction() const { return direction_; }

  std::uint8_t ditherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                           std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue) {
    const std::uint8_t index = lookup_.indexOfColor(red, green, blue, outRed, outGreen, outBlue);
    column_ += direction_;
    return index;
  }

  void nextRow() {
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
  }

 private:
  const Lookup& lookup_;
  std::int32_t direction_ = 1;
  std::int32_t column_ = 0;
  std::int32_t width_;
};

// Reduction methods and ditherers that are provided.
constexpr int kReduceToTrueColor = 0;  // a 24-bit copy, no palette
constexpr int kReduceToCube = 6;       // the 216-colour cube
constexpr int kDitherNone = 0;

// Returns a new picture; `picture` itself is left as it is. Method 6 with ditherer 0
// gives an 8-bit picture whose palette holds the 216 cube colours then 40 black
// entries; method 0 a 24-bit copy. Any other method or ditherer gives an empty picture.
// Throws GifError("Invalid image dimensions") for an empty picture, and
// OutOfMemory("Failed to allocate memory for GIF DIB") when the result cannot be made.
Picture reduceColors(const Picture& picture, int method, int ditherer, int quantizeBits,
                     const std::vector<PaletteEntry>* callerPalette);

// The indexed methods of reduceColors without the intermediate picture: writes one index
// a pixel into `indices` (`stride` bytes a row, rows from the top), calls `beforeRow`
// (when set) before each row, and returns the 256-entry palette. Returns an empty
// palette, writing nothing, for a method or ditherer that is not provided here.
std::vector<PaletteEntry> reduceColorsInto(const Picture& picture, int method, int ditherer,
                                           std::uint8_t* indices, std::size_t stride,
                                           const std::function<void(std::int32_t)>& beforeRow);

}  // namespace fudekko
