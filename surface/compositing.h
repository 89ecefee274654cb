#pragma once
// Laying the ink over the background: pure white ink is transparent.

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "imaging/picture.h"

namespace fudekko {

// The margin by which the rectangle spanned by a segment is widened, at 96 DPI: a pen up
// to 7 pixels wide stays within it.
inline constexpr std::int32_t kRecompositeMargin = 5;

// The margin at `dpi`: it grows with the pens (scaledPenWidth), so that the same pens
// stay within it at every DPI.
constexpr std::int32_t scaledRecompositeMargin(int dpi) {
  return scaleForDpi(kRecompositeMargin, dpi);
}

// Rebuilds `composite` in the rectangle spanned by `a` and `b` widened by `margin`:
// left min(x) - margin, top min(y) - margin, right max(x) + margin, bottom max(y) + margin. Each
// pixel becomes the background's where the ink is exactly white and the ink's elsewhere; a pixel
// outside the ink or the background counts as white, and what falls outside the composite is
// dropped. The pictures may differ in size; device (32-bit) pictures, as the layers are, take the
// fast path. Returns the part of the composite that was rebuilt (empty when none), which is what
// the screen needs to be given.
Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Point a,
                 Point b, std::int32_t margin = kRecompositeMargin);

}  // namespace fudekko
