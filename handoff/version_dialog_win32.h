#pragma once
// The version dialog of the Help menu: the program's icon, name, author line and
// version. Created once at start-up, hidden, shown modally.

#include <windows.h>

#include "win32/handles_win32.h"
#include "win32/window_win32.h"

namespace fudekko {

class TVersionForm : public win32::Window<TVersionForm> {
 public:
  TVersionForm(HINSTANCE instance, HWND owner);

  // Shows the dialog modally until it closes by the close box, Enter or Escape.
  void showModal();

 private:
  friend class win32::Window<TVersionForm>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  void FormCreate();

  HINSTANCE instance_;
  HWND owner_;
  win32::Font font_;
  win32::Font titleFont_;
  win32::Icon icon_;
  HWND Image1 = nullptr;
  HWND Label1 = nullptr;
  HWND VersionLabel = nullptr;
  bool closed_ = true;
};

}  // namespace fudekko
