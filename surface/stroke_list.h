#pragma once
// The strokes on the paper, oldest first, and the history of changes to them. A step
// adds one stroke, removes the strokes one sweep of the stroke eraser touched, or
// replaces a stroke by another (a freehand stroke by the shape it snapped to); undo and
// redo move strokes between the list and the step, so a step costs the points of its
// strokes and nothing else.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "imaging/geometry.h"
#include "surface/stroke.h"

namespace fudekko {

class StrokeList {
 public:
  // Undo reaches back to the start of the session as long as the strokes the history
  // holds (those taken off the paper by undo or the stroke eraser) stay within this;
  // past it the oldest steps are forgotten first.
  static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;

  const std::vector<Stroke>& strokes() const { return strokes_; }

  // A finished stroke goes on top, as a step; whatever could be redone is gone.
  void add(Stroke stroke);

  // One sweep of the stroke eraser: the strokes it touches go at once, and the sweep's
  // removals are one step when it ends (none when it touched nothing). `remove` returns
  // the bounds of the stroke taken away.
  Rect remove(std::size_t index);
  void endRemoval();
  // `stroke` takes the place of the stroke at `index`, as a step; returns both bounds.
  Rect replace(std::size_t index, Stroke stroke);
  // One step: the strokes at `indices` (ascending, within the list) take `replacements`,
  // in place or, with `toTop`, on top of all others in their order. Returns the bounds of
  // all of them.
  Rect replace(std::span<const std::uint32_t> indices, std::vector<Stroke> replacements,
               bool toTop);

  bool canUndo() const { return undone_ < steps_.size(); }
  bool canRedo() const { return undone_ > 0; }
  // Each returns the union of the bounds of the strokes that came or went (empty when
  // there was nothing to do).
  Rect undo();
  Rect redo();

  // Every stroke and step is forgotten.
  void clear();

  // The bytes of the strokes the history holds off the paper, and its steps: for the
  // tests, which have no other way to see the history keep its bound.
  std::size_t historyBytes() const { return bytes_; }
  std::size_t stepCount() const { return steps_.size(); }

 private:
  struct Entry {
    std::size_t index;
    Stroke stroke;  // empty while the stroke is on the paper
  };
  // A step's entries in the order they were removed. Done, an adding step's stroke is
  // on the paper and a removing step's strokes are in the step; undone, the other way.
  // A replacing step holds the stroke that is not on the paper, either way.
  // A step that brings strokes to the top takes its entries off the paper (newest
  // removal last) and puts `raised` on top; undone, `raised` comes off again.
  enum class StepKind { Adds, Removes, Replaces, Raises };
  struct Step {
    StepKind kind = StepKind::Adds;
    std::vector<Entry> entries;
    std::vector<Stroke> raised;
    std::size_t raisedCount = 0;
  };

  // Moves the step's strokes from the paper into the step, or back, or swaps them.
  Rect takeFromPaper(Step& step);
  Rect putOnPaper(Step& step);
  Rect swapWithPaper(Step& step);
  Rect raise(Step& step);
  Rect lower(Step& step);
  void startStep(StepKind kind);
  void trim();
  // Frees the strokes a step holds (as it is dropped).
  void forget(const Step& step);

  std::vector<Stroke> strokes_;
  std::deque<Step> steps_;
  std::size_t undone_ = 0;
  // The removing step of the sweep in progress, already the last of steps_.
  bool removing_ = false;
  std::size_t bytes_ = 0;
};

}  // namespace fudekko
