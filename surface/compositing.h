#pragma once
// Laying the ink over the background. Classic ink is a picture in which pure white is
// transparent; smooth ink is colour plus coverage, blended over the background.

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink_layer.h"

namespace fudekko {

// The margin by which the rectangle spanned by a segment is widened, at 96 DPI: a pen up
// to 7 pixels wide stays within it.
inline constexpr std::int32_t kRecompositeMargin = 5;

// The margin at `dpi`: it grows with the pens (scaledPenWidth), so that the same pens
// stay within it at every DPI.
constexpr std::int32_t scaledRecompositeMargin(int dpi) {
  return scaleForDpi(kRecompositeMargin, dpi);
}

// The rectangle spanned by `a` and `b` widened by `margin`: left min(x) - margin, top
// min(y) - margin, right max(x) + margin, bottom max(y) + margin, each kept within 32 bits.
Rect spannedRect(Point a, Point b, std::int32_t margin);

// Rebuilds `part` of `composite` from classic ink: each pixel becomes the background's where
// the ink is exactly white and the ink's elsewhere; a pixel outside the ink or the background
// counts as white, and what falls outside the composite is dropped. The pictures may differ in
// size; device (32-bit) pictures, as the layers are, take the fast path. Returns the part of
// the composite that was rebuilt (empty when none), which is what the screen needs to be given.
Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Rect part);
// The same in spannedRect(a, b, margin).
Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Point a,
                 Point b, std::int32_t margin = kRecompositeMargin);

// Rebuilds `composite` in `part`: each pixel is background * (255 - c) + ink * c,
// divided by 255 and rounded, per channel, for the ink's coverage c. Where c is 0 the
// background's colour is kept exactly and where it is 255 the ink's. A pixel outside
// the ink has no ink, one outside the background is white; what falls outside the
// composite is dropped. Returns the part that was rebuilt (empty when none).
Rect recomposite(const InkLayer& ink, const Picture& background, Picture& composite, Rect part);

// The same with the highlighter's marks between the background and the ink: the
// background multiplied by the marks (markedPixel), then the ink over that. Classic
// ink's marks are a picture in which pure white marks nothing.
Rect recomposite(const InkLayer& ink, const InkLayer& marks, const Picture& background,
                 Picture& composite, Rect part);
Rect recomposite(const Picture& ink, const Picture& marks, const Picture& background,
                 Picture& composite, Rect part);

}  // namespace fudekko
