#include "surface/pen_frames.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

namespace {

// Below 1 lifts light pressure; near 1, so that the pen's own response stays recognisable.
constexpr double kPressureExponent = 0.8;

StrokePoint pointOf(const PenFrame& frame, Point origin, float pressure) {
  const double x = frame.precise ? frame.x : frame.pixel.x + 0.5;
  const double y = frame.precise ? frame.y : frame.pixel.y + 0.5;
  return {static_cast<float>(x - origin.x), static_cast<float>(y - origin.y), pressure, frame.time};
}

}  // namespace

float penPressure(std::uint32_t raw) {
  const double share = double(std::min(raw, kMaxPenPressure)) / kMaxPenPressure;
  return static_cast<float>(std::pow(share, kPressureExponent));
}

std::vector<PenAction> PenFrames::take(std::span<const PenFrame> newestFirst, Point origin) {
  std::vector<PenAction> actions;
  for (auto frame = newestFirst.rbegin(); frame != newestFirst.rend(); ++frame) {
    const std::uint32_t flags = frame->pointerFlags;
    seen_ = true;
    inRange_ = (flags & kPointerInRange) != 0;
    lastSeen_ = frame->time;
    const bool contact = (flags & kPointerInContact) != 0 && !(flags & kPointerUp);
    if (contact && (!inContact_ || (flags & kPointerDown))) {
      // The eraser flags and the barrel are read at the down only: the up does not
      // carry them, and a stroke does not change its tool halfway.
      contact_.pressure = (frame->penMask & kPenMaskPressure) != 0;
      contact_.erases = (frame->penFlags & (kPenInverted | kPenEraser | kPenBarrel)) != 0;
      inContact_ = true;
      lastPressure_ = pressureOf(*frame);
      actions.push_back({PenAction::Kind::Down, pointOf(*frame, origin, lastPressure_), contact_});
    } else if (contact) {
      lastPressure_ = pressureOf(*frame);
      actions.push_back({PenAction::Kind::Move, pointOf(*frame, origin, lastPressure_), {}});
    } else if (inContact_) {
      // Lifted (an up, or an update that finds the contact gone): the stroke ends here,
      // at the last pressure it had, since a lifted pen reports none.
      inContact_ = false;
      actions.push_back({PenAction::Kind::Up, pointOf(*frame, origin, lastPressure_), {}});
    }
    // In range without contact: hover, which draws nothing.
  }
  return actions;
}

void PenFrames::leave(std::uint32_t time) {
  if (!seen_) return;
  inRange_ = false;
  lastSeen_ = time;
}

bool PenFrames::acceptsTouch(std::uint32_t time) const {
  // The clock wraps after 49 days: the signed difference tells the age; touch stamped
  // before the pen's last frame is no older than it.
  const auto age = static_cast<std::int32_t>(time - lastSeen_);
  return !seen_ || (!inRange_ && age >= static_cast<std::int32_t>(kPalmMs));
}

float PenFrames::pressureOf(const PenFrame& frame) const {
  return contact_.pressure ? penPressure(frame.pressure) : 1.0f;
}

}  // namespace fudekko
