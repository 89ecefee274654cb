#pragma once
// The version dialog of the Help menu. Created once at start-up, hidden.

#include <windows.h>

#include "common/window_win32.h"

namespace fudekko {

class TVersionForm : public win32::Window<TVersionForm> {
 public:
  TVersionForm(HINSTANCE instance, HWND owner);

 private:
  friend class win32::Window<TVersionForm>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace fudekko
