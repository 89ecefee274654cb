#pragma once
// The mouse as the drawing area gets it from window messages.

#include <windows.h>

#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/merged_moves.h"

namespace fudekko::win32 {

// The buttons held during a mouse message (its wParam), as MouseButton bits.
unsigned heldButtons(WPARAM keys);

// The system's mouse-move history for a window (GetMouseMovePointsEx).
class MouseMoveHistory {
 public:
  // Records a mouse message of `window` at `client` (client coordinates; its time is
  // the message's). When `recover`, returns the positions the system merged into it
  // since the previous recorded message, oldest first, in client coordinates, with
  // their times.
  std::vector<TimedPoint> record(HWND window, POINT client, bool recover);

 private:
  MovePoint last_;
};

}  // namespace fudekko::win32
