#include "win32/modal_dialog_win32.h"

#include "common/scope_guard.h"

namespace fudekko::win32 {

namespace {

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
    // The owner stays disabled while the dialog shows; an exception cannot leave it so.
    const bool wasEnabled = owner && !::EnableWindow(owner, FALSE);
    const ScopeGuard enableOwner([=] {
      if (wasEnabled) ::EnableWindow(owner, TRUE);
    });
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
