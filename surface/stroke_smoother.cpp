#include "surface/stroke_smoother.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

namespace {

CarriedPoint midpoint(CarriedPoint a, CarriedPoint b) {
  return {{(a.at.x + b.at.x) / 2, (a.at.y + b.at.y) / 2}, (a.value + b.value) / 2};
}

double distance(InkPoint a, InkPoint b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Appends the quadratic curve from `start` (already in `out`) through control point
// `control` to `finish`, as chords.
void appendQuadratic(CarriedPoint start, CarriedPoint control, CarriedPoint finish,
                     std::vector<CarriedPoint>& out) {
  const InkPoint a = start.at, c = control.at, b = finish.at;
  // A chord of 1/n of the parameter lies within |start - 2 control + finish| / (4 n^2)
  // of the curve.
  const double bend = std::hypot(a.x - 2 * c.x + b.x, a.y - 2 * c.y + b.y);
  double pieces = std::sqrt(bend / (4 * StrokeSmoother::kTolerance));
  // The tangent turns from (control - start) to (finish - control); spread the turn.
  const double inX = c.x - a.x, inY = c.y - a.y;
  const double outX = b.x - c.x, outY = b.y - c.y;
  if ((inX != 0 || inY != 0) && (outX != 0 || outY != 0)) {
    const double turn = std::abs(std::atan2(inX * outY - inY * outX, inX * outX + inY * outY));
    pieces = std::max(pieces, turn / StrokeSmoother::kMaxTurn);
  }
  const int n = std::clamp(static_cast<int>(std::ceil(pieces)), 1, 256);
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, s = 1 - t;
    out.push_back(
        {{s * s * a.x + 2 * s * t * c.x + t * t * b.x, s * s * a.y + 2 * s * t * c.y + t * t * b.y},
         s * s * start.value + 2 * s * t * control.value + t * t * finish.value});
  }
}

}  // namespace

void StrokeSmoother::begin(CarriedPoint at, std::vector<CarriedPoint>& out) {
  last_ = settled_ = pointer_ = at;
  count_ = 1;
  out.push_back(at);
}

bool StrokeSmoother::takes(InkPoint at) const {
  return count_ == 0 || distance(at, last_.at) >= kMinStep;
}

void StrokeSmoother::add(CarriedPoint at, std::vector<CarriedPoint>& out) {
  if (count_ == 0) return begin(at, out);
  pointer_ = at;
  if (distance(at.at, last_.at) < kMinStep) return;
  take(at, out);
}

void StrokeSmoother::take(CarriedPoint at, std::vector<CarriedPoint>& out) {
  if (count_ == 1) {
    // Straight to the first midpoint: there is no earlier direction to follow.
    out.push_back(midpoint(last_, at));
  } else {
    appendQuadratic(midpoint(previous_, last_), last_, midpoint(last_, at), out);
  }
  settled_ = out.back();
  previous_ = last_;
  last_ = at;
  ++count_;
}

void StrokeSmoother::end(CarriedPoint at, std::vector<CarriedPoint>& out) {
  if (count_ == 0) return;
  if (distance(at.at, last_.at) >= kMinStep) take(at, out);
  // From the last midpoint (or the first point) on to the release: a straight piece
  // in the direction the curve already has there.
  if (count_ >= 2) out.push_back(last_);
  if (at.at != last_.at) out.push_back(at);
  count_ = 0;
}

void StrokeSmoother::provisionalTail(std::vector<CarriedPoint>& out) const {
  if (count_ == 0 || (count_ == 1 && pointer_.at == last_.at)) return;
  out.push_back(settled_);
  if (count_ >= 2) out.push_back(last_);
  if (pointer_.at != last_.at) out.push_back(pointer_);
}

void StrokeSmoother::begin(InkPoint at, std::vector<InkPoint>& out) {
  begin(CarriedPoint{at}, carried_);
  appendPositions(out);
}

void StrokeSmoother::add(InkPoint at, std::vector<InkPoint>& out) {
  add(CarriedPoint{at}, carried_);
  appendPositions(out);
}

void StrokeSmoother::end(InkPoint at, std::vector<InkPoint>& out) {
  end(CarriedPoint{at}, carried_);
  appendPositions(out);
}

void StrokeSmoother::provisionalTail(std::vector<InkPoint>& out) const {
  std::vector<CarriedPoint> tail;
  provisionalTail(tail);
  for (const CarriedPoint& point : tail) out.push_back(point.at);
}

void StrokeSmoother::appendPositions(std::vector<InkPoint>& out) {
  for (const CarriedPoint& point : carried_) out.push_back(point.at);
  carried_.clear();
}

}  // namespace fudekko
