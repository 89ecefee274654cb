#pragma once
// The DPI of a window and the Win32 sizes that depend on it. The program is aware of
// each monitor's DPI (see the manifest): Windows does not stretch its windows, so it
// draws every size itself at its window's DPI (common/dpi.h).

#include <windows.h>

#include "common/dpi.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace fudekko::win32 {

// The DPI of `window`'s monitor: GetDpiForWindow where Windows has it (10, version 1607
// on), the screen's DPI otherwise (which is then the one DPI of every monitor).
int windowDpi(HWND window);

// The screen's DPI, for sizes needed before a window exists.
int screenDpi();

// The outer rectangle of a window with the client area `client`, for a window of this
// style at `dpi`: its frame and caption are as wide as Windows draws them at that DPI.
RECT outerRectForClient(RECT client, DWORD style, DWORD exStyle, int dpi);

// Takes the rectangle that Windows suggests with WM_DPICHANGED (lParam).
void takeSuggestedRect(HWND window, LPARAM suggested);

// A helper for code that scales many sizes to one DPI: `at(51)`.
class DpiScale {
 public:
  explicit DpiScale(int dpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
  int dpi() const { return dpi_; }
  int operator()(int length96) const { return scaleForDpi(length96, dpi_); }

 private:
  int dpi_;
};

}  // namespace fudekko::win32
