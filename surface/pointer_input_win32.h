#pragma once
// The drawing area's pointer messages (WM_POINTER*), and the system as a pointer source.
// Every pointer function is looked up at run time: before Windows 8 and under Wine some
// are missing or fail, and then the program runs on mouse messages as it always did.

#include <windows.h>
// WM_TABLET_QUERYSYSTEMGESTURESTATUS and its answers; needs windows.h first.
#include <tpcshrd.h>

#include <optional>

#include "surface/handwriting_surface.h"
#include "surface/pointer_input.h"

namespace fudekko::win32 {

// The pointer functions of user32, where it has them.
class SystemPointerSource final : public PointerSource {
 public:
  SystemPointerSource();
  std::optional<PointerFrames> read(std::uint32_t id) override;

 private:
  decltype(&::GetPointerType) getType_ = nullptr;
  decltype(&::GetPointerPenInfo) getPenInfo_ = nullptr;
  decltype(&::GetPointerPenInfoHistory) getPenInfoHistory_ = nullptr;
  decltype(&::GetPointerDeviceRects) getDeviceRects_ = nullptr;
};

class DrawingAreaPointer {
 public:
  explicit DrawingAreaPointer(PointerSource& source) : source_(source) {}

  // A WM_POINTERDOWN, UPDATE, UP or LEAVE of `window`, whose drawing area's top lies
  // `drawingTop` pixels below the client area's: a pen's go to `surface`. Unhandled
  // messages belong to DefWindowProc, which makes mouse messages of them.
  PenInput::Outcome deliver(HWND window, HandwritingSurface& surface, UINT message, WPARAM wParam,
                            int drawingTop);
  // Whether the mouse message being handled was made from touch that palm rejection
  // holds back.
  bool isPalm() const;

 private:
  PointerSource& source_;
  PenInput pen_;
};

// The answer to WM_TABLET_QUERYSYSTEMGESTURESTATUS at `screen` over `window`: over the
// drawing area no press-and-hold, feedback or flicks, so that a held pen makes a dot
// and a stroke starts at once; elsewhere the system's defaults (0).
LRESULT systemGestureStatus(HWND window, POINT screen, int drawingTop);

}  // namespace fudekko::win32
