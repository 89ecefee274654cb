#include "win32/modal_dialog_win32.h"

namespace fudekko::win32 {

namespace {

// Keeps the owner disabled while it lives; an exception cannot leave it disabled.
class DisabledOwner {
 public:
  explicit DisabledOwner(HWND owner)
      : owner_(owner), wasEnabled_(owner && !::EnableWindow(owner, FALSE)) {}
  ~DisabledOwner() {
    if (wasEnabled_) ::EnableWindow(owner_, TRUE);
  }
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;

 private:
  HWND owner_;
  bool wasEnabled_;
};

void runMessages(HWND dialog, const bool& closed) {
  MSG message;
  while (!closed) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got < 0) return;
    if (::IsDialogMessageW(dialog, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

void runModal(HWND dialog, HWND owner, HWND focus, const bool& closed) {
  {
    const DisabledOwner disabled(owner);
    ::ShowWindow(dialog, SW_SHOW);
    ::SetForegroundWindow(dialog);
    ::SetFocus(focus ? focus : dialog);
    runMessages(dialog, closed);
  }
  ::ShowWindow(dialog, SW_HIDE);
}

void endModal(HWND dialog, bool& closed) {
  if (closed) return;
  closed = true;
  ::PostMessageW(dialog, WM_NULL, 0, 0);
}

}  // namespace fudekko::win32
