#pragma once
// The mouse as the drawing area gets it from window messages.

#include <windows.h>

#include <vector>

#include "surface/merged_moves.h"
#include "surface/mouse_strokes.h"

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

// The drawing area's mouse: window messages become strokes on the surface.
class DrawingAreaMouse {
 public:
  // `surface` must outlive this.
  explicit DrawingAreaMouse(HandwritingSurface& surface) : strokes_(surface), surface_(surface) {}

  // Hands the mouse message to the surface; the drawing area's top lies `drawingTop`
  // pixels below the client area's.
  SurfaceOutcome deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int drawingTop);

 private:
  MouseStrokes strokes_;
  const HandwritingSurface& surface_;
  MouseMoveHistory history_;
};

}  // namespace fudekko::win32
