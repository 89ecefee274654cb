#pragma once
// A pen's pointer frames as the system reports them for one pointer message, turned into
// the surface's intentions: where a stroke goes down, moves and comes up, with the pen's
// pressure and sub-pixel position, the eraser end and the barrel button, and hover that
// draws nothing. Also tells touch from the palm: touch is not ink near a pen in use.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/geometry.h"
#include "surface/stroke.h"

namespace fudekko {

// The system's pointer flags (POINTER_FLAG_*), the ones read here.
enum PointerFlag : std::uint32_t {
  kPointerInRange = 0x2,
  kPointerInContact = 0x4,
  kPointerFirstButton = 0x10,
  kPointerDown = 0x10000,
  kPointerUpdate = 0x20000,
  kPointerUp = 0x40000,
};
// The pen's flags (PEN_FLAG_*) and which of its values it reports (PEN_MASK_*).
enum PenFlag : std::uint32_t { kPenBarrel = 1, kPenInverted = 2, kPenEraser = 4 };
enum PenMask : std::uint32_t { kPenMaskPressure = 1 };
// The highest pressure a pen reports.
inline constexpr std::uint32_t kMaxPenPressure = 1024;

// The kind of device behind a pointer (PT_*).
enum class PointerKind { Pen, Touch, Mouse, Other };

// One sample of a pen, as POINTER_PEN_INFO gives it.
struct PenFrame {
  std::uint32_t pointerFlags = 0;
  std::uint32_t penFlags = 0;
  std::uint32_t penMask = 0;
  std::uint32_t pressure = 0;  // 0 to kMaxPenPressure, when penMask says so
  // The position on the screen: the whole pixel always, and the exact position (pixel
  // (x, y) spanning [x, x + 1)) where the device gives one.
  Point pixel;
  bool precise = false;
  double x = 0;
  double y = 0;
  std::uint32_t time = 0;  // ms, the message clock
};

// The pressure a stroke is drawn with for a pen's raw pressure: a gentle curve that
// lifts light pressure a little, so a relaxed hand still writes a visible line.
float penPressure(std::uint32_t raw);

// How a stroke from the pen is drawn, fixed when it goes down.
struct PenContact {
  // The frames carry pressure; without it the stroke is drawn as with a mouse.
  bool pressure = false;
  // The eraser end or the barrel button: the stroke erases, whatever the tool buttons say.
  bool erases = false;
  friend bool operator==(const PenContact&, const PenContact&) = default;
};

struct PenAction {
  enum class Kind { Down, Move, Up };
  Kind kind = Kind::Move;
  StrokePoint at;
  PenContact contact;  // on Down
  friend bool operator==(const PenAction&, const PenAction&) = default;
};

// Follows one pen through its messages.
class PenFrames {
 public:
  // Touch within this long after the pen was last seen is the palm.
  static constexpr std::uint32_t kPalmMs = 500;

  // The frames of one pointer message, newest first as the system gives them, become
  // the actions they mean in the order they happened. `origin` is the drawing area's
  // top-left corner on the screen.
  std::vector<PenAction> take(std::span<const PenFrame> newestFirst, Point origin);
  // The pen left the window's range (or vanished) at `time`.
  void leave(std::uint32_t time);
  // Whether touch at `time` may draw: no pen is in range and none was within kPalmMs.
  bool acceptsTouch(std::uint32_t time) const;
  // Between a Down and its Up.
  bool inContact() const { return inContact_; }

 private:
  // The stroke's pressure at `frame`: the pen's, or full without pressure data.
  float pressureOf(const PenFrame& frame) const;

  bool inContact_ = false;
  PenContact contact_;
  float lastPressure_ = 1;
  bool seen_ = false;
  bool inRange_ = false;
  std::uint32_t lastSeen_ = 0;
};

}  // namespace fudekko
