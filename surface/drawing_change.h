#pragma once
// What an operation of the handwriting surface did: the part of the picture to show at
// once, and the changes to the strokes and their history, in order, for whoever keeps a
// record of the work (the recovery journal). The surface calls nobody; its callers pass
// the changes on.

#include <cstdint>
#include <variant>
#include <vector>

#include "imaging/geometry.h"
#include "surface/stroke.h"
#include "surface/stroke_edits.h"

namespace fudekko {

// A finished stroke went on top of the list: the Stroke itself.
// One sweep of the stroke eraser: the strokes' indices in the order it took them.
struct StrokesRemoved {
  std::vector<std::uint32_t> indices;
  friend bool operator==(const StrokesRemoved&, const StrokesRemoved&) = default;
};
// The last step of the stroke history was taken back, or the last undone one brought again.
struct StrokesUndone {
  friend bool operator==(const StrokesUndone&, const StrokesUndone&) = default;
};
struct StrokesRedone {
  friend bool operator==(const StrokesRedone&, const StrokesRedone&) = default;
};
// The stroke at `index` gave way to `stroke`: a freehand stroke to the shape it snapped to.
struct StrokeReplaced {
  std::uint32_t index = 0;
  Stroke stroke;
  friend bool operator==(const StrokeReplaced&, const StrokeReplaced&) = default;
};
// The strokes at `indices` (ascending) moved and scaled as `transform` says, brought to
// the top with the gaps later erasers cut into them (surface/stroke_edits.h).
struct StrokesTransformed {
  std::vector<std::uint32_t> indices;
  StrokeTransform transform;
  friend bool operator==(const StrokesTransformed&, const StrokesTransformed&) = default;
};
// The strokes at `indices` (ascending) in `color`.
struct StrokesRecoloured {
  std::vector<std::uint32_t> indices;
  Color color = kBlack;
  friend bool operator==(const StrokesRecoloured&, const StrokesRecoloured&) = default;
};
using DrawingChange = std::variant<Stroke, StrokesRemoved, StrokesUndone, StrokesRedone,
                                   StrokeReplaced, StrokesTransformed, StrokesRecoloured>;

struct SurfaceOutcome {
  // The part of the composite that changed (possibly empty): shown on the screen at once.
  Rect repaint;
  // Every change is a step of the stroke history, or one taken back or brought again:
  // what Undo and Redo offer follows them.
  std::vector<DrawingChange> changes;

  bool historyChanged() const { return !changes.empty(); }
  SurfaceOutcome& operator+=(SurfaceOutcome later) {
    repaint = repaint.unite(later.repaint);
    for (DrawingChange& change : later.changes) changes.push_back(std::move(change));
    return *this;
  }
};

}  // namespace fudekko
