#pragma once
// Copy: the composite picture on the clipboard.

#include <windows.h>

#include "imaging/picture.h"

namespace fudekko::win32 {

// Empties the clipboard and puts `composite` on it as "PNG", CF_DIBV5 and CF_DIB, in
// that order, with `owner` as the clipboard's owner. Throws Error when the clipboard
// cannot be had or memory runs out; the clipboard is closed in any case.
void copyPictureToClipboard(HWND owner, const Picture& composite);

}  // namespace fudekko::win32
