#pragma once
// Size rules of a top-level window that do not depend on what it shows.

#include <windows.h>

namespace fudekko::win32 {

// Gives the rectangle that WM_SIZING proposes the size `width` x `height`, keeping
// the edges that are not being dragged (`edge`, a WMSZ_ value) where they are.
void resizeKeepingUndraggedEdges(RECT& proposed, WPARAM edge, int width, int height);

// Grows `window` towards `width` x `height` as far as its monitor's work area has room,
// never shrinking it, and moves it back as far as needed to keep it on the screen.
void growOnScreen(HWND window, int width, int height);

}  // namespace fudekko::win32
