#pragma once
// The pictures of the colour and line buttons, which show the pen in force.

#include <cstdint>

#include "imaging/picture.h"

namespace fudekko {

// Size of the glyphs at 96 DPI; at another DPI they are drawn anew at the scaled size,
// not stretched, so they stay sharp.
inline constexpr std::int32_t kPenGlyphWidth = 64;
inline constexpr std::int32_t kPenGlyphHeight = 45;

// 24-bit pictures whose bottom-left pixel is the transparent colour that shows as the
// button face. The line glyph: a black bar of the pen's width (at 96 DPI, drawn as wide
// as the strokes) on white.
Picture lineGlyph(std::int32_t lineWidth, int dpi);
// The colour glyph: a black-edged swatch of the table entry `colorIndex` on a
// background entry that is never the pen's own colour, so the swatch never turns
// transparent.
Picture colorGlyph(std::int32_t colorIndex, int dpi);

}  // namespace fudekko
