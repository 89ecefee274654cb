#pragma once
// The version dialog of the Help menu: the program's icon, name, author line and
// version. Created once at start-up, hidden, shown modally.

#include <windows.h>

#include "win32/dialog_window_win32.h"
#include "win32/handles_win32.h"

namespace fudekko {

class VersionDialog : public win32::DialogWindow<VersionDialog> {
 public:
  VersionDialog(HINSTANCE instance, HWND owner);

  // Shows the dialog modally until it closes by the close box, Enter or Escape.
  void showModal();

 private:
  friend class win32::Window<VersionDialog>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The hooks of WM_CREATE and WM_DPICHANGED (see win32::Window).
  void createControls();
  void onCreate();
  // Icon, fonts, labels and size at dpi_.
  void layout();

  HINSTANCE instance_;
  HWND owner_;
  win32::Font font_;
  win32::Font titleFont_;
  win32::Icon icon_;
  HWND iconImage_ = nullptr;
  HWND titleLabel_ = nullptr;
  HWND versionLabel_ = nullptr;
  bool closed_ = true;
};

}  // namespace fudekko
