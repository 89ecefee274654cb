#pragma once
// Sizes at a window's DPI. Every size in the program is written as it is at 96 DPI
// (100 %); on a screen of another DPI it is drawn larger or smaller by DPI / 96, so that
// it covers the same physical length everywhere.

#include <cstdint>

namespace fudekko {

inline constexpr int kBaseDpi = 96;

// `length` pixels at 96 DPI as pixels at `dpi`, to the nearest pixel with halves away
// from zero (as MulDiv rounds). A DPI of 0 or less (unknown) counts as 96.
constexpr std::int32_t scaleForDpi(std::int32_t length, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const std::int64_t product = std::int64_t(length) * dpi;
  const std::int64_t half = kBaseDpi / 2;
  return static_cast<std::int32_t>(product >= 0 ? (product + half) / kBaseDpi
                                                : -((-product + half) / kBaseDpi));
}

// A pen width stored as it is at 96 DPI (the settings file's "PenWidth") as the width
// in device pixels at `dpi`: scaled, and never below one pixel, so that even the
// thinnest pen on the smallest scale still draws.
constexpr std::int32_t scaledPenWidth(std::int32_t width96, int dpi) {
  const std::int32_t scaled = scaleForDpi(width96, dpi);
  return scaled < 1 ? 1 : scaled;
}

}  // namespace fudekko
