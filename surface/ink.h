#pragma once
// The ink of the handwriting surface, of either kind, rendered from the strokes and
// laid over the text snapshot into the composite. Smooth ink (the default):
// anti-aliased strokes along a smoothed path, held as colour plus coverage. Classic
// ink: aliased straight segments between the mouse positions in a picture in which
// white is transparent.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink_layer.h"
#include "surface/ink_rasterizer.h"
#include "surface/stroke.h"

namespace fudekko {

// The centre line a stroke's ink follows and its half width, for telling what touches it.
struct StrokeOutline {
  std::vector<InkPoint> path;
  double radius = 0.5;
};

// Where a stroke's pressure comes from while it is drawn: the mouse has none (the brush
// simulates it from the speed of writing, the even pen draws full width), a pen's points
// carry their own.
enum class StrokeInput { Mouse, PenPressure };

class Ink {
 public:
  virtual ~Ink() = default;

  // Keeps the ink at the top-left; new area holds no ink until redrawn.
  virtual void setSize(std::int32_t width, std::int32_t height) = 0;
  virtual std::int32_t width() const = 0;
  virtual std::int32_t height() const = 0;
  // The colour and coverage at (x, y); outside the ink, none.
  virtual InkCell cell(std::int32_t x, std::int32_t y) const = 0;

  // The stroke being drawn: goes down at `at` with `stroke.pen`, continues to `to`, is
  // released at `at`, or ends where it reached (when a second button restarts it or
  // its release was missed). Each draws at once, appends to `stroke` the points (with
  // the pressure drawn) that a render needs, and returns the part of the composite
  // rebuilt. A finished stroke leaves the ink exactly as redraw would give it. Smooth
  // ink draws a stroke's points at the pressure they keep, its width following it.
  virtual Rect beginStroke(Stroke& stroke, StrokePoint at, StrokeInput input) = 0;
  virtual Rect continueStroke(Stroke& stroke, StrokePoint to) = 0;
  // Continues through `to` in order, as one continueStroke after another would; smooth
  // ink draws the unsettled tail once, after the last.
  virtual Rect continueStroke(Stroke& stroke, std::span<const StrokePoint> to) = 0;
  virtual Rect endStroke(Stroke& stroke, StrokePoint at) = 0;
  virtual Rect breakOffStroke(Stroke& stroke) = 0;

  // The pixels the ink of `stroke` may touch (kept within 32 bits).
  virtual Rect reach(const Stroke& stroke) const = 0;
  virtual StrokeOutline outline(const Stroke& stroke) const = 0;

  // Renders `part` of the ink anew from `strokes` (those whose bounds meet it, in
  // order) over no ink. Does not compose.
  virtual void redraw(Rect part, std::span<const Stroke> strokes);
  // Rebuilds `part` of the composite from the ink over the background; returns the part
  // rebuilt (empty when none).
  virtual Rect compose(Rect part) = 0;

 protected:
  // `part` (within the ink) holds no ink.
  virtual void clear(const Rect& part) = 0;
  // Draws a finished stroke over the ink, changing only the pixels within `clip`. Not
  // while a stroke is being drawn.
  virtual void render(const Stroke& stroke, const Rect& clip) = 0;
};

// Ink of `width` x `height`, holding none, laid over `background` into `composite`; both
// must outlive it. Throws OutOfResources when the ink cannot be made.
std::unique_ptr<Ink> makeInk(bool smooth, std::int32_t width, std::int32_t height,
                             const Picture& background, Picture& composite);

}  // namespace fudekko
