#include "surface/mouse_input_win32.h"

#include <iterator>

namespace fudekko::win32 {

unsigned heldButtons(WPARAM keys) {
  unsigned held = kNoButton;
  if (keys & MK_LBUTTON) held |= kLeftButton;
  if (keys & MK_RBUTTON) held |= kRightButton;
  if (keys & MK_MBUTTON) held |= kMiddleButton;
  return held;
}

std::vector<TimedPoint> MouseMoveHistory::record(HWND window, POINT client, bool recover) {
  POINT screen = client;
  ::ClientToScreen(window, &screen);
  const MovePoint previous = last_;
  last_ = movePointAt({screen.x, screen.y}, static_cast<std::uint32_t>(::GetMessageTime()));
  if (!recover) return {};

  MOUSEMOVEPOINT current{};
  current.x = last_.x;
  current.y = last_.y;
  current.time = last_.time;
  // Newest first; the first entry is `current` itself. A position the history does
  // not hold (a synthesised message) gives -1: then there is nothing to recover.
  MOUSEMOVEPOINT entries[64];
  const int count =
      ::GetMouseMovePointsEx(sizeof current, &current, entries,
                             static_cast<int>(std::size(entries)), GMMP_USE_DISPLAY_POINTS);
  if (count <= 1) return {};
  std::vector<MovePoint> history;
  for (int i = 0; i < count; ++i) {
    history.push_back({entries[i].x, entries[i].y, static_cast<std::uint32_t>(entries[i].time)});
  }
  std::vector<TimedPoint> merged = mergedMoves(history, previous);
  for (TimedPoint& point : merged) {
    POINT inClient{point.at.x, point.at.y};
    ::ScreenToClient(window, &inClient);
    point.at = {inClient.x, inClient.y};
  }
  return merged;
}

}  // namespace fudekko::win32
