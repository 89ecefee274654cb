#pragma once
// The main window's Send button, bound to the portable Send over Win32.

#include <windows.h>

#include "draft/text_lines.h"
#include "handoff/send.h"
#include "imaging/picture.h"

namespace fudekko::win32 {

// Runs Send (handOff) for `mainWindow`, saving `composite` as the attachment. Errors
// propagate to the caller's error box, with the main window shown again.
SendResult sendFromMainWindow(HWND mainWindow, const SendFields& fields, const TextLines& body,
                              const Picture* composite);

}  // namespace fudekko::win32
