#pragma once
// Laying the ink over the background: pure white ink is transparent.

#include "imaging/geometry.h"
#include "imaging/picture.h"

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

}  // namespace fudekko
