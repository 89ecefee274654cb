#pragma once
// The handwriting snapshot of the text area, as the text area paints itself.

#include <windows.h>

#include "surface/handwriting_surface.h"

namespace fudekko::win32 {

// Asks the edit control to paint its client area into an off-screen picture, so a
// window lying over it at that moment (an input-method candidate list, a notification)
// does not end up in the mail. Only when the control paints nothing there are its
// screen pixels copied instead.
class EditSnapshot : public TextAreaSnapshot {
 public:
  explicit EditSnapshot(HWND edit) : edit_(edit) {}
  void paintInto(Picture& picture) override;

 private:
  HWND edit_;
};

}  // namespace fudekko::win32
