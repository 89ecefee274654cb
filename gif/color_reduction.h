#pragma once
// Reduction of a picture with more than 256 colours to one palette index a pixel over
// the 6 x 6 x 6 colour cube, as a GIF frame needs it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/picture.h"

namespace fudekko {

// The frame's 256-entry table: entry 36 r + 6 g + b holds (51 r, 51 g, 51 b), and the
// 40 entries after the cube's 216 are black.
std::vector<PaletteEntry> cubePalette();

// Writes the cube index of each pixel of `picture` into `indices`, `stride` bytes a row,
// rows from the top. A component maps to level (c + 3) div 51: the offset 3, not the 25
// of rounding, makes levels change just below each cube value.
void reduceToCube(const Picture& picture, std::uint8_t* indices, std::size_t stride);

}  // namespace fudekko
