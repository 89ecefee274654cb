#pragma once
// The base of our dialog windows: a popup with a caption and a close box that is
// placed and sized at its own DPI, when it is created and again whenever Windows moves
// it to a monitor of another DPI (layout(), see Window).

#include <windows.h>

#include <string_view>

#include "common/dpi.h"
#include "win32/dpi_win32.h"
#include "win32/handles_win32.h"
#include "win32/window_win32.h"

namespace fudekko::win32 {

template <typename Derived>
class DialogWindow : public Window<Derived> {
 protected:
  static constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  static constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

  // Registers the class and creates the dialog, hidden, at (left, top) in 96-DPI units:
  // first for the screen's DPI, then again for the DPI of the monitor it got there.
  void createDialog(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, int left,
                    int top, HWND owner) {
    this->registerClass(instance, className, ::GetSysColorBrush(COLOR_BTNFACE));
    const int dpi = screenDpi();
    if (this->createWindow(instance, className, caption, kStyle, kExStyle, scaleForDpi(left, dpi),
                           scaleForDpi(top, dpi), 0, 0, owner)) {
      ::SetWindowPos(this->handle(), nullptr, scaleForDpi(left, this->dpi_),
                     scaleForDpi(top, this->dpi_), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  // A visible child control, placed and given its font by layout().
  HWND createControl(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle = 0,
                     int id = 0) {
    const HWND parent = this->handle();
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    return ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                             nullptr);
  }

  // The size of `text` in `font`, as a label with automatic size takes it.
  SIZE textSize(HFONT font, std::wstring_view text) const {
    WindowDc dc(this->handle());
    const Selection selected(dc.get(), font);
    RECT area{0, 0, 0, 0};
    ::DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &area,
                DT_CALCRECT | DT_NOPREFIX);
    return {area.right - area.left, area.bottom - area.top};
  }

  // Sizes the dialog so that its client area is `width` x `height`, where it stands.
  void sizeToClient(int width, int height) {
    const RECT frame = outerRectForClient({0, 0, width, height}, kStyle, kExStyle, this->dpi_);
    ::SetWindowPos(this->handle(), nullptr, 0, 0, frame.right - frame.left,
                   frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

}  // namespace fudekko::win32
