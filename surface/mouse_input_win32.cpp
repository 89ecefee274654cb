#include "surface/mouse_input_win32.h"

#include <windowsx.h>

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

SurfaceOutcome DrawingAreaMouse::deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         int drawingTop) {
  const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const Point at{client.x, client.y - drawingTop};
  const bool inArea = at.y >= 0;
  const bool recover =
      message == WM_MOUSEMOVE && surface_.smoothInk() && surface_.isDrawing(StrokeSource::Mouse);
  const std::vector<TimedPoint> merged = history_.record(window, client, recover);
  const auto time = static_cast<std::uint32_t>(::GetMessageTime());
  // Shift draws a straight line from where the stroke began.
  const bool straight = (wParam & MK_SHIFT) != 0;
  switch (message) {
    case WM_LBUTTONDOWN:
      if (!inArea) return {};
      // The drawing area keeps the mouse until the left button's release.
      ::SetCapture(window);
      return strokes_.press(kLeftButton, at, time);
    case WM_RBUTTONDOWN:
      return inArea ? strokes_.press(kRightButton, at, time) : SurfaceOutcome{};
    case WM_MBUTTONDOWN:
      return inArea ? strokes_.press(kMiddleButton, at, time) : SurfaceOutcome{};
    case WM_MOUSEMOVE: {
      // Fast strokes stay round: the positions between two move messages come first,
      // and all of them go to the surface together.
      std::vector<StrokePoint> to;
      to.reserve(merged.size() + 1);
      for (const TimedPoint& between : merged) {
        to.push_back(strokePointAt({between.at.x, between.at.y - drawingTop}, between.time));
      }
      to.push_back(strokePointAt(at, time));
      return strokes_.move(heldButtons(wParam), to, straight);
    }
    case WM_LBUTTONUP:
      if (::GetCapture() == window) ::ReleaseCapture();
      return strokes_.release(at, time, straight);
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      return strokes_.release(at, time, straight);
    default:
      return {};
  }
}

}  // namespace fudekko::win32
