#include "surface/stroke_eraser.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

namespace {

double cross(InkPoint origin, InkPoint a, InkPoint b) {
  return (a.x - origin.x) * (b.y - origin.y) - (a.y - origin.y) * (b.x - origin.x);
}

double pointToSegment(InkPoint p, InkPoint a, InkPoint b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double lengthSquared = vx * vx + vy * vy;
  double t = 0;
  if (lengthSquared > 0)
    t = std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / lengthSquared, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

// Whether the segments cross or touch, ends on the other segment included.
bool segmentsMeet(InkPoint a, InkPoint b, InkPoint c, InkPoint d) {
  const double d1 = cross(c, d, a), d2 = cross(c, d, b);
  const double d3 = cross(a, b, c), d4 = cross(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

}  // namespace

double segmentDistance(InkPoint a, InkPoint b, InkPoint c, InkPoint d) {
  if (segmentsMeet(a, b, c, d)) return 0;
  // Otherwise the nearest pair has an end of one segment in it.
  return std::min({pointToSegment(a, c, d), pointToSegment(b, c, d), pointToSegment(c, a, b),
                   pointToSegment(d, a, b)});
}

bool eraserTouches(const StrokeOutline& outline, InkPoint from, InkPoint to, double radius) {
  const double reach = radius + outline.radius;
  if (outline.path.empty()) return false;
  InkPoint previous = outline.path.front();
  for (const InkPoint& point : outline.path) {
    if (segmentDistance(previous, point, from, to) <= reach) return true;
    previous = point;
  }
  return false;
}

}  // namespace fudekko
