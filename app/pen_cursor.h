#pragma once
// The cursor over the drawing area in handwriting mode shows the pen: a circle as wide as
// the ink it will lay, in its colour, so the user sees where and how wide a stroke goes
// before it starts. Here its pixels; app/pen_cursor_win32.h makes it a system cursor.

#include <cstdint>
#include <vector>

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "surface/pen_tools.h"

namespace fudekko {

class HandwritingSurface;

struct PenCursorLook {
  // The pen's filled circle, or one of the erasers' outlines.
  Tool tool = Tool::Pen;
  // The pen's colour (0x00BBGGRR); the erasers' outlines do not use it.
  Color color = kBlack;
  // The width at 96 DPI, as the pen keeps it, and the DPI of the window.
  std::int32_t width96 = 1;
  int dpi = kBaseDpi;
  friend bool operator==(const PenCursorLook&, const PenCursorLook&) = default;
};

// The look of the tool in force on `surface`.
PenCursorLook penCursorLook(const HandwritingSurface& surface);

// Windows shows larger cursors, but in software and hiding what lies under them; no pen
// of the program needs more (the widest, 20 pixels at 500 %, is 100 pixels).
inline constexpr std::int32_t kMaxCursorSize = 128;

// A square cursor picture, rows top-down, each pixel 0xAARRGGBB (in memory blue, green,
// red, alpha, as a 32-bit DIB holds it), either opaque or wholly clear (0), so that any
// reading of the alpha channel shows it alike. The size is odd and the hot spot is the
// middle pixel, where a stroke's centre lands.
struct CursorImage {
  std::int32_t size = 0;
  Point hotSpot;
  std::vector<std::uint32_t> pixels;

  std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                  static_cast<std::size_t>(x)];
  }
};

// The pen: a circle of the stroke's diameter at the DPI (scaledPenWidth) in its colour,
// ringed first by black or white, whichever contrasts with the colour, then by the other,
// so that it shows on white paper and black text alike. The partial eraser: the same
// rings around an empty circle; the stroke eraser: those struck through. A circle too
// small to find at a glance gets a crosshair. At most kMaxCursorSize wide.
CursorImage penCursorImage(const PenCursorLook& look);

}  // namespace fudekko
