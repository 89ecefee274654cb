#pragma once
// The pen, its colour table and the range its stored values must keep.

#include <array>
#include <cstdint>

#include "imaging/geometry.h"

namespace fudekko {

inline constexpr std::array<Color, 16> kColorTable = {
    0x000000,  // black
    0xFF0000,  // blue
    0x0000FF,  // red
    0xFF00FF,  // magenta
    0x00FF00,  // bright green
    0xFFFF00,  // cyan
    0x00FFFF,  // yellow
    0xC0C0C0,  // silver
    0x800000,  // navy
    0x000080,  // maroon
    0x800080,  // purple
    0x008000,  // green
    0x808000,  // teal
    0x008080,  // olive
    0x808080,  // grey
    0xFFFFFF,  // white: no ink
};
inline constexpr int kWhiteIndex = 15;
inline constexpr int kEraserWidth = 20;

inline constexpr int kDefaultPenColor = 0;
inline constexpr int kDefaultPenWidth = 5;

// Entry `index` of the table; black for an index outside it, so that no value can
// read beyond the table.
constexpr Color colorTableEntry(int index) {
  return index >= 0 && index < static_cast<int>(kColorTable.size())
             ? kColorTable[static_cast<std::size_t>(index)]
             : kBlack;
}

// A stored colour index outside the table gives the default colour.
constexpr int penColorInRange(std::int32_t stored) {
  return stored >= 0 && stored <= kWhiteIndex ? stored : kDefaultPenColor;
}

// A stored width below 1 gives the default width; one above the eraser's width (the
// widest pen the program itself uses) is cut to it.
constexpr int penWidthInRange(std::int32_t stored) {
  if (stored < 1) return kDefaultPenWidth;
  return stored > kEraserWidth ? kEraserWidth : stored;
}

// What the eraser takes away: the ink it passes over, or every stroke it touches, whole.
enum class EraserKind { Partial, Stroke };

// The pen as the user chooses it: an entry of the colour table and a width in pixels
// at 96 DPI (the eraser being the white pen, kEraserWidth wide).
struct Pen {
  std::int32_t colorIndex = kDefaultPenColor;
  std::int32_t lineWidth = kDefaultPenWidth;
  friend bool operator==(const Pen&, const Pen&) = default;
};

}  // namespace fudekko
