#pragma once
// The base of our dialog windows: a window that lays itself out at its own DPI, when
// it is created and again whenever Windows moves it to a monitor of another DPI.

#include <windows.h>

#include "common/dpi.h"
#include "win32/dpi_win32.h"
#include "win32/window_win32.h"

namespace fudekko::win32 {

// `Derived` has createControls() (makes its controls), layout() (fonts, controls and
// size at dpi_) and onCreate() (the rest of WM_CREATE), and makes DialogWindow<Derived>
// a friend when they are private.
template <typename Derived>
class DialogWindow : public Window<Derived> {
 protected:
  // Handles WM_CREATE and WM_DPICHANGED; false for any other message.
  bool handleDpiMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    Derived& self = static_cast<Derived&>(*this);
    switch (message) {
      case WM_CREATE:
        dpi_ = windowDpi(this->window_);
        self.createControls();
        self.onCreate();
        return true;
      case WM_DPICHANGED:
        dpi_ = HIWORD(wParam);
        takeSuggestedRect(this->window_, lParam);
        self.layout();
        return true;
    }
    return false;
  }

  int dpi_ = kBaseDpi;
};

}  // namespace fudekko::win32
