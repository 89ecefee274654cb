#pragma once
// The base of our top-level windows: a static window procedure that finds the object
// stored at WM_NCCREATE and hands each message to its `handleMessage`. An exception
// that a handler lets through is shown in the error box and the event loop goes on.
//
// The base owns the window: it destroys a window that is still there when the object
// goes, and forgets the handle once Windows destroyed it (with its owner, say). It
// also does what every window of ours does alike, before `handleMessage` sees the
// message:
// - WM_CREATE: dpi_ becomes the window's DPI, then createControls() and onCreate() run;
// - WM_DPICHANGED (moved to a monitor of another DPI, or the scale changed): dpi_
//   becomes the new DPI, applyDpi() redraws what depends on it, the window takes the
//   rectangle Windows suggests and layout() arranges everything inside it;
// - WM_SIZE with SIZE_MINIMIZED goes no further: a minimised window has nothing to lay
//   out, and shrinking to nothing would throw away what it shows.
// `Derived` provides these hooks (applyDpi() may be left out) and makes
// Window<Derived> a friend when they are private.

#include <windows.h>

#include "common/dpi.h"
#include "win32/dpi_win32.h"
#include "win32/error_box_win32.h"

namespace fudekko::win32 {

template <typename Derived>
class Window {
 public:
  // Null before creation and after the window was destroyed.
  HWND handle() const { return window_; }

 protected:
  Window() = default;
  ~Window() {
    if (!window_) return;
    // The derived part is gone already: the messages of the destruction go by.
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  static void registerClass(HINSTANCE instance, const wchar_t* className, HBRUSH background,
                            HICON icon = nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &Window::procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
  }

  // Creates the window with `this` as its object.
  HWND createWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* caption,
                    DWORD style, DWORD exStyle, int x, int y, int width, int height,
                    HWND owner = nullptr, HMENU menu = nullptr) {
    return ::CreateWindowExW(exStyle, className, caption, style, x, y, width, height, owner, menu,
                             instance, static_cast<Derived*>(this));
  }

  void destroyWindow() {
    if (window_) ::DestroyWindow(window_);
  }

  LRESULT defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window_, message, wParam, lParam);
  }

  // The hook for a window with nothing to redraw before it takes the new rectangle.
  void applyDpi() {}

  // The DPI of the window's monitor; every size is drawn for it.
  int dpi_ = kBaseDpi;

 private:
  LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    Derived& self = static_cast<Derived&>(*this);
    switch (message) {
      case WM_CREATE:
        dpi_ = windowDpi(window_);
        self.createControls();
        self.onCreate();
        return 0;
      case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) return 0;
        break;
      case WM_DPICHANGED:
        if (HIWORD(wParam) == 0) return 0;
        dpi_ = HIWORD(wParam);
        self.applyDpi();
        takeSuggestedRect(window_, lParam);
        self.layout();
        return 0;
    }
    return self.handleMessage(message, wParam, lParam);
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_ = window;
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->window_ = nullptr;
      return ::DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    runHandler(window, [&] { result = self->dispatch(message, wParam, lParam); });
    return result;
  }

  HWND window_ = nullptr;
};

}  // namespace fudekko::win32
