#pragma once
// The drawing area's pointer messages: a pen's down, updates and up become strokes on the
// surface; every other pointer, and every pointer when the system cannot describe it,
// is left to the mouse messages the system makes of it.

#include <cstdint>
#include <optional>
#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/pen_frames.h"

namespace fudekko {

// What the system tells about the pointer of the message being handled.
struct PointerFrames {
  PointerKind kind = PointerKind::Other;
  // For a pen, its frames newest first, the message's own first; empty otherwise.
  std::vector<PenFrame> frames;
};

// Where the pointer data comes from: the system, or a script in the test build.
class PointerSource {
 public:
  virtual ~PointerSource() = default;
  // The pointer `id` of the message being handled; nothing when it cannot be read (no
  // pointer functions, as before Windows 8 and under Wine, or a failed call).
  virtual std::optional<PointerFrames> read(std::uint32_t id) = 0;
};

enum class PointerMessage { Down, Update, Up, Leave };

class PenInput {
 public:
  struct Outcome {
    // The message is the pen's: no mouse messages may be made of it.
    bool handled = false;
    SurfaceOutcome changed;
  };

  // Hands a pointer message for `id` to `surface` when it is a pen's; `origin` is the
  // drawing area's top-left on the screen, `time` the message's; `straight`: Shift is
  // held, the stroke is a straight line. A hover update is not marked handled, so the
  // system still moves the cursor; a leave never is.
  Outcome deliver(PointerSource& source, PointerMessage message, std::uint32_t id,
                  HandwritingSurface& surface, Point origin, std::uint32_t time,
                  bool straight = false);
  // Whether touch arriving at `time` may draw (palm rejection).
  bool acceptsTouch(std::uint32_t time) const { return frames_.acceptsTouch(time); }

 private:
  PenFrames frames_;
};

}  // namespace fudekko
