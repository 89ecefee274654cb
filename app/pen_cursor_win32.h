#pragma once
// The drawing area's cursor in handwriting mode as a system cursor, built from the pen in
// force whenever that changes (app/pen_cursor.h draws it). A hovering pen moves the
// system cursor, so it shows the same.

#include <windows.h>

#include <optional>

#include "app/pen_cursor.h"
#include "win32/handles_win32.h"

namespace fudekko {

// The cursor of `image`; empty when the system refuses to make it.
win32::Cursor createCursor(const CursorImage& image);

class PenCursor {
 public:
  PenCursor() = default;
  ~PenCursor();
  PenCursor(const PenCursor&) = delete;
  PenCursor& operator=(const PenCursor&) = delete;

  // WM_SETCURSOR of `window`: with the pointer in the window's own client area inside
  // `drawingArea` (client coordinates) in handwriting mode, shows the cursor of
  // `look` and returns true. Otherwise false: the default handling gives the tool bar
  // and the menus the arrow and the text area its I-beam.
  bool onSetCursor(HWND window, WPARAM wParam, LPARAM lParam, bool handwriting,
                   const RECT& drawingArea, const PenCursorLook& look);

  // After a change of the pen, the eraser, the mode or the DPI: the window under the
  // pointer, where it is `window` or one of its children, chooses its cursor anew at once
  // rather than at the next mouse move.
  static void refresh(HWND window);

 private:
  std::optional<PenCursorLook> look_;
  win32::Cursor cursor_;
};

}  // namespace fudekko
