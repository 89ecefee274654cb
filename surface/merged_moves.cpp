#include "surface/merged_moves.h"

namespace fudekko {

namespace {

// Display coordinates come as 16-bit values; left of or above the primary monitor
// they are negative.
std::int32_t fromDisplayCoordinate(std::int32_t value) {
  return value > 32767 ? value - 65536 : value;
}

}  // namespace

MovePoint movePointAt(Point screen, std::uint32_t time) {
  return {screen.x & 0xFFFF, screen.y & 0xFFFF, time};
}

std::vector<TimedPoint> mergedMoves(std::span<const MovePoint> history, const MovePoint& previous) {
  std::vector<TimedPoint> merged;
  std::size_t newer = 1;
  while (newer < history.size() && history[newer].time >= previous.time &&
         history[newer] != previous) {
    ++newer;
  }
  for (std::size_t i = newer - 1; i >= 1; --i) {
    merged.push_back({{fromDisplayCoordinate(history[i].x), fromDisplayCoordinate(history[i].y)},
                      history[i].time});
  }
  return merged;
}

}  // namespace fudekko
