#pragma once
// Showing one of the program's dialog windows modally over its owner.

#include <windows.h>

namespace fudekko::win32 {

// Disables `owner`, shows `dialog` with the focus on `focus`, and runs the messages,
// with the dialog keys (Tab, Enter, Escape) through IsDialogMessage, until `closed`
// turns true. Then enables the owner again before hiding the dialog, so that the
// activation goes back to the owner. A WM_QUIT ends the loop and is posted again for
// the outer event loop.
void runModal(HWND dialog, HWND owner, HWND focus, const bool& closed);

// Ends the modal loop of `dialog`: sets `closed` and wakes the loop, which would
// otherwise wait for the next posted message when the close came as a sent message.
void endModal(HWND dialog, bool& closed);

}  // namespace fudekko::win32
