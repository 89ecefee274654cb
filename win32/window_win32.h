#pragma once
// The base of our top-level windows: a static window procedure that finds the object
// stored at WM_NCCREATE and hands each message to its `handleMessage`. An exception
// that a handler lets through is shown in the error box and the event loop goes on.

#include <windows.h>

#include "win32/error_box_win32.h"

namespace fudekko::win32 {

template <typename Derived>
class Window {
 public:
  HWND handle() const { return window_; }

 protected:
  Window() = default;
  ~Window() = default;
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

  LRESULT defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window_, message, wParam, lParam);
  }

  HWND window_ = nullptr;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Derived* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_ = window;
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<Derived*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    runHandler(window, [&] { result = self->handleMessage(message, wParam, lParam); });
    return result;
  }
};

}  // namespace fudekko::win32
