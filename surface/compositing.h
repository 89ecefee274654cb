#pragma once
// Laying the ink over the background. Classic ink is a picture in which pure white is
// transparent; smooth ink is colour plus coverage, blended over the background.

#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink_layer.h"

namespace fudekko {

// The margin by which the rectangle spanned by a segment is widened: a pen up to 7
// pixels wide stays within it.
inline constexpr std::int32_t kRecompositeMargin = 5;

// Rebuilds `composite` in the rectangle spanned by `a` and `b` widened by the margin:
// left min(x) - 5, top min(y) - 5, right max(x) + 5, bottom max(y) + 5. Each pixel
// becomes the background's where the ink is exactly white and the ink's elsewhere; a
// pixel outside the ink or the background counts as white, and what falls outside the
// composite is dropped. The pictures may differ in size; device (32-bit) pictures,
// as the layers are, take the fast path. Returns the part of the composite that was rebuilt (empty
// when none), which is what the screen needs to be given.
Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Point a,
                 Point b);

// Rebuilds `composite` in `part`: each pixel is background * (255 - c) + ink * c,
// divided by 255 and rounded, per channel, for the ink's coverage c. Where c is 0 the
// background's colour is kept exactly and where it is 255 the ink's. A pixel outside
// the ink has no ink, one outside the background is white; what falls outside the
// composite is dropped. Returns the part that was rebuilt (empty when none).
Rect recomposite(const InkLayer& ink, const Picture& background, Picture& composite, Rect part);

}  // namespace fudekko
