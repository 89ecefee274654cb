#pragma once
// The mouse's buttons as strokes on the surface: a press begins one, the moves extend it,
// a release ends it. Any of the three buttons draws; a second button pressed during a
// stroke begins it anew where it went down. A move that comes while none of the buttons
// that began the stroke is held means their release was missed (it happened outside the
// drawing area, which keeps the mouse only for the left button): the stroke ends
// without reaching that move (smooth ink completes its last piece up to the previous
// position).

#include <cstdint>
#include <span>

#include "surface/handwriting_surface.h"

namespace fudekko {

// Mouse buttons, as flags so that a set of held buttons fits in one value.
enum MouseButton : unsigned {
  kNoButton = 0,
  kLeftButton = 1,
  kRightButton = 2,
  kMiddleButton = 4,
};

class MouseStrokes {
 public:
  // `surface` must outlive this.
  explicit MouseStrokes(HandwritingSurface& surface) : surface_(surface) {}

  SurfaceOutcome press(MouseButton button, Point at, std::uint32_t time = 0);
  // `held`: the buttons held during the move (a MouseButton combination); `to`: the
  // positions the move brings, oldest first (the ones the system merged, then its own).
  // `straight`: Shift is held, the stroke is a straight line (HandwritingSurface).
  SurfaceOutcome move(unsigned held, std::span<const StrokePoint> to, bool straight = false);
  SurfaceOutcome move(unsigned held, Point at, std::uint32_t time = 0, bool straight = false);
  SurfaceOutcome release(Point at, std::uint32_t time = 0, bool straight = false);

 private:
  HandwritingSurface& surface_;
  // The buttons pressed since the stroke began.
  unsigned buttons_ = kNoButton;
};

}  // namespace fudekko
