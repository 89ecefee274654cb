#include "surface/stroke_smoother.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

namespace {

InkPoint midpoint(InkPoint a, InkPoint b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

double distance(InkPoint a, InkPoint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Appends the quadratic curve from `start` (already in `out`) through control point
// `control` to `finish`, as chords.
void appendQuadratic(InkPoint start, InkPoint control, InkPoint finish,
                     std::vector<InkPoint>& out) {
  // A chord of 1/n of the parameter lies within |start - 2 control + finish| / (4 n^2)
  // of the curve.
  const double bend =
      std::hypot(start.x - 2 * control.x + finish.x, start.y - 2 * control.y + finish.y);
  double pieces = std::sqrt(bend / (4 * StrokeSmoother::kTolerance));
  // The tangent turns from (control - start) to (finish - control); spread the turn.
  const double inX = control.x - start.x, inY = control.y - start.y;
  const double outX = finish.x - control.x, outY = finish.y - control.y;
  if ((inX != 0 || inY != 0) && (outX != 0 || outY != 0)) {
    const double turn = std::abs(std::atan2(inX * outY - inY * outX, inX * outX + inY * outY));
    pieces = std::max(pieces, turn / StrokeSmoother::kMaxTurn);
  }
  const int n = std::clamp(static_cast<int>(std::ceil(pieces)), 1, 256);
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, s = 1 - t;
    out.push_back({s * s * start.x + 2 * s * t * control.x + t * t * finish.x,
                   s * s * start.y + 2 * s * t * control.y + t * t * finish.y});
  }
}

}  // namespace

void StrokeSmoother::begin(InkPoint at, std::vector<InkPoint>& out) {
  last_ = at;
  count_ = 1;
  out.push_back(at);
}

void StrokeSmoother::add(InkPoint at, std::vector<InkPoint>& out) {
  if (count_ == 0) return begin(at, out);
  if (distance(at, last_) < kMinStep) return;
  take(at, out);
}

void StrokeSmoother::take(InkPoint at, std::vector<InkPoint>& out) {
  if (count_ == 1) {
    // Straight to the first midpoint: there is no earlier direction to follow.
    out.push_back(midpoint(last_, at));
  } else {
    appendQuadratic(midpoint(previous_, last_), last_, midpoint(last_, at), out);
  }
  previous_ = last_;
  last_ = at;
  ++count_;
}

void StrokeSmoother::end(InkPoint at, std::vector<InkPoint>& out) {
  if (count_ == 0) return;
  if (distance(at, last_) >= kMinStep) take(at, out);
  // From the last midpoint (or the first point) on to the release: a straight piece
  // in the direction the curve already has there.
  if (count_ >= 2) out.push_back(last_);
  if (at != last_) out.push_back(at);
  count_ = 0;
}

}  // namespace fudekko
