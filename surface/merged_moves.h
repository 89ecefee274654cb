#pragma once
// Fast strokes stay round: the system merges the mouse positions between two move
// messages, but keeps them in its move history. This recovers them from there.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/geometry.h"

namespace fudekko {

// An entry of the system's mouse-move history: a screen position as the history holds
// it, in 16-bit display coordinates, and the message time in milliseconds.
struct MovePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t time = 0;
  friend bool operator==(const MovePoint&, const MovePoint&) = default;
};

// A position and the time it was reached, in milliseconds.
struct TimedPoint {
  Point at;
  std::uint32_t time = 0;
  friend bool operator==(const TimedPoint&, const TimedPoint&) = default;
};

// The entry for a mouse message at the screen position `screen` at `time`.
MovePoint movePointAt(Point screen, std::uint32_t time);

// The positions merged into a move: `history` is newest first, its first entry the
// move itself; `previous` is the entry of the last message handed on. The entries
// between them are returned oldest first, in screen coordinates, with their times. The
// walk stops at `previous` or, when the history no longer holds it, at the first older
// entry.
std::vector<TimedPoint> mergedMoves(std::span<const MovePoint> history, const MovePoint& previous);

}  // namespace fudekko
