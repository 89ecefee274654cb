#pragma once
// Anti-aliased strokes into an ink layer: round caps and joins, sub-pixel positions,
// the pen's width as the stroke's diameter.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "imaging/geometry.h"
#include "surface/ink_layer.h"

namespace fudekko {

// A point on the drawing area in pixels; pixel (x, y) spans [x, x + 1) x [y, y + 1),
// so its centre is (x + 0.5, y + 0.5).
struct InkPoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const InkPoint&, const InkPoint&) = default;
};

// The centre of the pixel a mouse position names.
inline InkPoint pixelCentre(Point at) {
  return {at.x + 0.5, at.y + 0.5};
}

// Draws strokes as chains of segments. Within one stroke a pixel's coverage is the
// largest any of its segments gives it, not their sum: joints and a slow stroke's
// many short overlapping segments do not darken. The stroke is laid over the ink that
// was there before it began: ink blends towards the pen's colour by the coverage, the
// eraser takes that share of the coverage away.
//
// The tail of a stroke that is not settled yet can be drawn provisionally and taken
// back when the next position refines it: after retractProvisional the layer holds
// exactly what the settled segments alone give it.
class InkRasterizer {
 public:
  // For a rasterizer that only ever draws within rows `top` to `bottom` (exclusive),
  // every stroke clipped to them: its per-pixel scratch covers those rows alone, so that
  // several can render bands of one layer side by side.
  void limitToRows(std::int32_t top, std::int32_t bottom);

  // `layer` must outlive the stroke. `diameter` in pixels (at least 1 is drawn). Only
  // the cells within `clip` change (the coverage there is the same as without it).
  void beginStroke(InkLayer& layer, Color color, bool erases, double diameter,
                   const std::optional<Rect>& clip = std::nullopt);
  // A segment of the stroke (from == to draws a round dot). Returns the rectangle of
  // the layer that changed, empty when none.
  Rect segment(InkPoint from, InkPoint to);
  // A segment whose width changes from one end to the other: the hull of a circle of
  // `fromRadius` around `from` and one of `toRadius` around `to` (radii in pixels, at
  // least half a pixel is drawn).
  Rect segment(InkPoint from, double fromRadius, InkPoint to, double toRadius);
  // The same, drawn provisionally: it shows at once, with the settled segments' maximum
  // rule, until retractProvisional takes it back.
  Rect provisionalSegment(InkPoint from, InkPoint to);
  Rect provisionalSegment(InkPoint from, double fromRadius, InkPoint to, double toRadius);
  // Puts every pixel the provisional segments changed back to what the settled ones
  // give it; returns the rectangle that changed (its rows also go to takeChangedRows).
  // endStroke does not do it: a stroke that ends retracts first.
  Rect retractProvisional();
  // The pixels changed since the previous call, row by row: `row(y, left, right)` for
  // each row with any (right exclusive). A diagonal's rows are short spans of its
  // rectangle; only they need recompositing.
  void takeChangedRows(
      const std::function<void(std::int32_t y, std::int32_t left, std::int32_t right)>& row);
  // Forgets the stroke; the next segment needs a new beginStroke.
  void endStroke();
  bool inStroke() const { return layer_ != nullptr; }

 private:
  Rect draw(InkPoint from, double fromRadius, InkPoint to, double toRadius, bool provisional);
  void restartIfResized();
  void clearStrokeCoverage();
  void cover(std::int32_t x, std::int32_t y, std::uint32_t coverage);
  void coverProvisionally(std::int32_t x, std::int32_t y, std::uint32_t coverage);
  void noteChangedRow(std::int32_t y, std::int32_t left, std::int32_t right);
  InkCell blended(std::size_t at, std::uint32_t coverage) const;
  // Where row `y` of the layer starts in the scratch.
  std::size_t scratchRow(std::int32_t y) const {
    return std::size_t(y - scratchTop_) * std::size_t(scratchWidth_);
  }

  InkLayer* layer_ = nullptr;
  std::uint32_t color_ = 0;  // stored order
  bool erases_ = false;
  double radius_ = 0.5;
  std::optional<Rect> clip_;
  // Per pixel of the layer's rows from scratchTop_ on, the settled segments' coverage so
  // far, the provisional ones', and the cell the stroke began with; only pixels within
  // `touched_` (settled or provisional) may be non-zero, and provisional ones only
  // within `provisional_`.
  std::vector<std::uint8_t> strokeCoverage_;
  std::vector<std::uint8_t> provisionalCoverage_;
  std::vector<InkCell> before_;
  std::optional<std::pair<std::int32_t, std::int32_t>> rowLimit_;
  std::int32_t layerWidth_ = 0;
  std::int32_t layerHeight_ = 0;
  std::int32_t scratchTop_ = 0;
  std::int32_t scratchWidth_ = 0;
  std::int32_t scratchHeight_ = 0;
  Rect touched_;
  Rect provisional_;
  // Per row of the scratch the columns changed since takeChangedRows, in layer rows
  // changedTop_ to changedBottom_ (exclusive).
  std::vector<std::int32_t> changedLeft_;
  std::vector<std::int32_t> changedRight_;
  std::int32_t changedTop_ = 0;
  std::int32_t changedBottom_ = 0;
};

// A cell covered by ink of `storedColor` with coverage `coverage` laid over `under`.
InkCell inkOver(InkCell under, std::uint32_t storedColor, std::uint32_t coverage);
// `under` with `coverage` of its ink taken away.
InkCell inkErased(InkCell under, std::uint32_t coverage);

}  // namespace fudekko
