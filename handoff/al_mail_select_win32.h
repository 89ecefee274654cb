#pragma once
// The dialog that chooses the mail client's program file. Created once at start-up,
// hidden, shown modally from the Option menu and from Send.

#include <windows.h>

#include "common/window_win32.h"

namespace fudekko {

class TALMailSelect : public win32::Window<TALMailSelect> {
 public:
  TALMailSelect(HINSTANCE instance, HWND owner);

 private:
  friend class win32::Window<TALMailSelect>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace fudekko
