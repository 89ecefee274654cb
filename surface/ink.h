#pragma once
// The ink of the handwriting surface, of either kind, laid over the text snapshot into
// the composite. Smooth ink (the default): anti-aliased strokes along a smoothed path,
// held as colour plus coverage. Classic ink: aliased straight segments between the
// mouse positions in a picture in which white is transparent.

#include <cstdint>
#include <memory>

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink_layer.h"
#include "surface/stroke_history.h"

namespace fudekko {

// What a stroke is drawn with.
struct InkPen {
  Color color = kBlack;
  bool erases = false;         // takes ink away instead of laying it (the white pen)
  std::int32_t lineWidth = 1;  // at 96 DPI, as the user chose it
  int dpi = kBaseDpi;          // the window's when the stroke began
};

// What one step of a stroke changed: the ink's pixels (for the history) and the part of
// the composite rebuilt from them (for the screen), either possibly empty.
struct InkChange {
  Rect ink;
  Rect shown;
};

class Ink {
 public:
  virtual ~Ink() = default;

  // Keeps the ink at the top-left; new area holds no ink.
  virtual void setSize(std::int32_t width, std::int32_t height) = 0;
  // The colour and coverage at (x, y); outside the ink, none.
  virtual InkCell cell(std::int32_t x, std::int32_t y) const = 0;
  // The ink as the stroke history sees it.
  virtual PixelRows rows() = 0;

  // A stroke with `pen` goes down at `at`, continues to `to`, is released at `at`, or
  // ends where it reached (when a second button restarts it or its release was missed).
  virtual InkChange beginStroke(const InkPen& pen, Point at) = 0;
  virtual InkChange continueStroke(Point to) = 0;
  virtual InkChange endStroke(Point at) = 0;
  virtual InkChange breakOffStroke() = 0;

  // Rebuilds `part` of the composite from the ink over the background; returns the part
  // rebuilt (empty when none).
  virtual Rect compose(Rect part) = 0;
};

// Ink of `width` x `height`, holding none, laid over `background` into `composite`; both
// must outlive it. Throws OutOfResources when the ink cannot be made.
std::unique_ptr<Ink> makeInk(bool smooth, std::int32_t width, std::int32_t height,
                             const Picture& background, Picture& composite);

}  // namespace fudekko
