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

// What the dialog chose: the mail client's program file, or the system's default mail
// client (the path is then kept for a later change back).
struct MailClientChoice {
  std::string path;  // Shift-JIS
  bool throughMapi = false;
};

class MailClientDialog : public win32::DialogWindow<MailClientDialog> {
 public:
  // `initial` is the main window's choice: pathEdit_'s first text (Shift-JIS) and
  // whether the check box of the default mail client starts checked.
  MailClientDialog(HINSTANCE instance, HWND owner, const MailClientChoice& initial);

  // Shows the dialog modally until it closes by OK, Enter, Escape or the close box, and
  // gives pathEdit_'s text (Shift-JIS) and the check box however the user closed it.
  // Both keep their state for the next showing. Nothing when the user did not close
  // it: the program is ending under it (a close request to the main window, the
  // session's end), and the stored choice must not change then.
  std::optional<MailClientChoice> showModal();

 private:
  friend class win32::Window<MailClientDialog>;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The hooks of WM_CREATE and WM_DPICHANGED (see win32::Window).
  void createControls();
  void onCreate();
  // Font, controls and size at dpi_.
  void layout();
  void onBrowseButtonClick();
  // A path is asked for only while the default mail client is not chosen.
  void enablePath();
  void close();

  HWND owner_;
  MailClientChoice initial_;
  win32::Font font_;
  HWND promptLabel_ = nullptr;
  HWND pathEdit_ = nullptr;
  HWND browseButton_ = nullptr;
  HWND mapiCheckBox_ = nullptr;
  HWND okButton_ = nullptr;
  // openDialog_: one state for the whole run, so that it opens on the previous pick.
  OPENFILENAMEW openDialog_{};
  std::vector<wchar_t> openDialogFileName_;
  bool closed_ = true;
};

}  // namespace fudekko
