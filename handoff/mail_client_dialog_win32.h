#pragma once
// The dialog that chooses the mail client's program file. Created once at start-up,
// hidden, shown modally from the Option menu and from Send.

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <optional>
#include <string>
#include <vector>

#include "win32/dialog_window_win32.h"
#include "win32/handles_win32.h"

namespace fudekko {

class MailClientDialog : public win32::DialogWindow<MailClientDialog> {
 public:
  // `initialPath` (Shift-JIS) is the main window's mail-client path, pathEdit_'s first text.
  MailClientDialog(HINSTANCE instance, HWND owner, const std::string& initialPath);

  // Shows the dialog modally until it closes by OK, Enter, Escape or the close box, and
  // gives pathEdit_'s text (Shift-JIS) however the user closed it. pathEdit_ keeps that
  // text for the next showing. Nothing when the user did not close it: the program is
  // ending under it (a close request to the main window, the session's end), and the
  // stored path must not change then.
  std::optional<std::string> showModal();

 private:
  friend class win32::Window<MailClientDialog>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The hooks of WM_CREATE and WM_DPICHANGED (see win32::Window).
  void createControls();
  void onCreate();
  // Font, controls and size at dpi_.
  void layout();
  void onBrowseButtonClick();
  void close();

  HWND owner_;
  std::string initialPath_;
  win32::Font font_;
  HWND promptLabel_ = nullptr;
  HWND pathEdit_ = nullptr;
  HWND browseButton_ = nullptr;
  HWND okButton_ = nullptr;
  // openDialog_: one state for the whole run, so that it opens on the previous pick.
  OPENFILENAMEW openDialog_{};
  std::vector<wchar_t> openDialogFileName_;
  bool closed_ = true;
};

}  // namespace fudekko
