#include "win32/window_size_win32.h"

#include <algorithm>

namespace fudekko::win32 {

void resizeKeepingUndraggedEdges(RECT& proposed, WPARAM edge, int width, int height) {
  if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
    proposed.left = proposed.right - width;
  } else {
    proposed.right = proposed.left + width;
  }
  if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
    proposed.top = proposed.bottom - height;
  } else {
    proposed.bottom = proposed.top + height;
  }
}

void growOnScreen(HWND window, int width, int height) {
  RECT outer{};
  ::GetWindowRect(window, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const auto grown = [](LONG now, LONG wanted, LONG room) {
    return std::max(now, std::min(wanted, room));
  };
  const LONG newWidth = grown(outer.right - outer.left, width, work.right - work.left);
  const LONG newHeight = grown(outer.bottom - outer.top, height, work.bottom - work.top);
  if (newWidth == outer.right - outer.left && newHeight == outer.bottom - outer.top) return;
  const LONG left = std::max(work.left, std::min(outer.left, work.right - newWidth));
  const LONG top = std::max(work.top, std::min(outer.top, work.bottom - newHeight));
  ::SetWindowPos(window, nullptr, left, top, newWidth, newHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fudekko::win32
