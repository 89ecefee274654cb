#include "win32/dpi_win32.h"

#include "win32/handles_win32.h"

namespace fudekko::win32 {

namespace {

// The per-monitor functions are looked up at run time: the program also starts on
// Windows versions without them, where the screen's DPI is the only one.
template <typename Function>
Function user32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
             : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

int screenDpi() {
  const WindowDc screen(nullptr);
  const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

int windowDpi(HWND window) {
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return screenDpi();
}

RECT outerRectForClient(RECT client, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi =
      user32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
  }
  return client;
}

void takeSuggestedRect(HWND window, LPARAM suggested) {
  const RECT& rect = *reinterpret_cast<const RECT*>(suggested);
  ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace fudekko::win32
