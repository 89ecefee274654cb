#pragma once
// The lasso: a loop drawn around strokes to select them. Geometry only: which strokes it
// takes, not what is done with them.
//
// Inside is decided by the non-zero winding rule: a point is inside when the loop goes
// round it, either way, any number of times. A loop drawn backwards selects the same as
// one drawn forwards, one drawn twice round what it circles takes it still (the even-odd
// rule would leave out what lies under both rounds), and each lobe of a figure eight
// holds what lies in it.
//
// A stroke is selected when at least half its length lies inside, so that one mostly
// inside is taken though its end strays out, and one that merely crosses the loop is
// not. Its length is judged in 32 pieces of equal length along its points, each inside
// or out by its middle (so where the hand slowed and the points bunch counts no more).

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/geometry.h"
#include "surface/ink.h"
#include "surface/ink_rasterizer.h"
#include "surface/stroke.h"

namespace fudekko {

class Lasso {
 public:
  // `path`: the points the user drew, in order; the loop closes from the last to the
  // first. Fewer than three points, or all on one line, enclose nothing.
  explicit Lasso(std::span<const StrokePoint> path);

  // Whether `at` lies inside the loop (a point on the loop may count either way).
  bool encloses(InkPoint at) const;
  // Whether the stroke through `points` (a stroke's points, or a StrokeOutline's path)
  // is selected. A stroke of no length (a dot) is selected when its point is inside.
  bool selects(std::span<const StrokePoint> points) const;
  bool selects(std::span<const InkPoint> points) const;
  bool selects(const StrokeOutline& outline) const { return selects(outline.path); }

  // The pixels the loop spans; empty when it encloses nothing.
  const Rect& bounds() const { return pixels_; }

 private:
  // An edge of the loop that is not level, as the crossing test needs it: its
  // lower and upper y (half-open, so a vertex between two edges counts once), its x at
  // the lower y, how x changes with y, and +1 when it runs downwards (y growing), -1
  // when upwards.
  struct Edge {
    double low;
    double high;
    double xAtLow;
    double slope;
    int winding;
  };

  template <typename PointSpan>
  bool selectsPath(PointSpan points) const;
  std::size_t bandOf(double y) const;

  // The edges that reach each horizontal band of the loop's height, band after band
  // (an edge spanning several bands is in each): those of band b are
  // bandEdges_[bandStart_[b] .. bandStart_[b + 1]). A point is tested only against the
  // few edges of its band.
  std::vector<std::uint32_t> bandStart_;
  std::vector<Edge> bandEdges_;
  double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  double bandHeight_ = 1;
  Rect pixels_;
};

// The indices, in order, of the strokes that `lasso` selects, all tools alike (which of
// them to act on is the caller's choice). A stroke whose bounds miss the lasso's is
// passed over without looking at its points.
std::vector<std::uint32_t> selectedStrokes(const Lasso& lasso, std::span<const Stroke> strokes);

}  // namespace fudekko
