#pragma once
// The dialog that chooses the mail client's program file. Created once at start-up,
// hidden, shown modally from the Option menu and from Send.

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <string>
#include <vector>

#include "win32/handles_win32.h"
#include "win32/window_win32.h"

namespace fudekko {

class TALMailSelect : public win32::Window<TALMailSelect> {
 public:
  // `initialPath` (Shift-JIS) is the main window's mail-client path, Edit1's first text.
  TALMailSelect(HINSTANCE instance, HWND owner, const std::string& initialPath);

  // Shows the dialog modally until it closes by OK, Enter, Escape or the close box, and
  // gives Edit1's text (Shift-JIS) however it closed. Edit1 keeps that text for the
  // next showing.
  std::string showModal();

 private:
  friend class win32::Window<TALMailSelect>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void createControls();
  void FormCreate();
  void SpeedButton1Click();
  void close();

  HWND owner_;
  std::string initialPath_;
  win32::Font font_;
  HWND Label1 = nullptr;
  HWND Edit1 = nullptr;
  HWND SpeedButton1 = nullptr;
  HWND Button1 = nullptr;
  // OpenDialog1: one state for the whole run, so that it opens on the previous pick.
  OPENFILENAMEW OpenDialog1{};
  std::vector<wchar_t> openDialogFileName_;
  bool closed_ = true;
};

}  // namespace fudekko
