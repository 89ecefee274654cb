#include "surface/shape_recognizer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <utility>

#include "surface/stroke_smoother.h"

namespace fudekko {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180;

// The stroke is resampled to this many points evenly spaced along it: every test below
// then costs the same whatever the input's length, and slow parts of the stroke (many
// points close together) weigh no more than fast ones.
constexpr int kSamples = 128;
// A shape is accepted when the stroke and the clean shape lie within these of each other
// on average both ways, as a share of the figure's scale (the stroke's size, the
// diagonal of its bounding box, or less for a thin closed figure, so that it is judged
// by its width too), and at the worst point either way, as a share of the stroke's size
// (the worst is a corner the hand rounded, which grows with the figure). The least
// average deviation wins.
constexpr double kMeanDeviation = 0.025;
constexpr double kMaxDeviation = 0.1;
// A line is held to less: a wave whose crests stand a twentieth of its length off its
// axis is drawn on purpose, while a hand's straight line strays less than that.
constexpr double kLineMaxDeviation = 0.05;
// A line's path may be at most this much longer than the line: a stroke that goes back
// over itself is no line.
constexpr double kLineMaxDetour = 1.25;
// A closed figure's ends come within this share of the size of each other (a slightly
// open ellipse), and what runs past the point of closing (overshoot) is at most this
// share of the stroke's length.
constexpr double kClosingGap = 0.2;
constexpr double kMaxOvershoot = 0.3;
// A figure's narrower extent is at least this share of its wider one: a stroke drawn
// out and back along one line encloses nothing.
constexpr double kMinThickness = 0.08;
// The diagonal of a circle's bounding box over the square root of its area.
constexpr double kRoundScale = 1.5957691216057308;  // 2 sqrt(2 / pi)
// Rectangles, ellipses, lines and arrow shafts within this of the horizontal or vertical
// come out exactly so; a hand rarely means a 4-degree tilt.
constexpr double kAxisSnap = 5 * kDegree;
// An arrow's barbs: their length as shares of the shaft's, their angle to the shaft, and
// how near the tip the stroke comes back between them (as a share of the shorter barb).
constexpr double kMinBarb = 0.05;
constexpr double kMaxBarb = 0.6;
constexpr double kMinBarbAngle = 10 * kDegree;
constexpr double kMaxBarbAngle = 80 * kDegree;
constexpr double kBarbReturn = 0.4;
// How much nearer the start than the farthest point the tip may lie (a share of that
// distance); barbs reach back farther than this.
constexpr double kTipReach = 0.04;
// Corners are flanked by points this far along their edges, or a third of the edge when
// that is shorter: smooth ink then turns within half a pixel of the corner, and keeps
// the points, being past its minimum step.
constexpr double kCornerFlank = 2;
static_assert(kCornerFlank > StrokeSmoother::kMinStep);
// Points along a candidate's outline measured against the stroke; the sides of an
// ellipse's outline for measuring (within 0.2 % of its radius) and the spacing of the
// drawn one.
constexpr int kOutlineSamples = 48;
constexpr int kEllipseMeasureSides = 40;
constexpr double kEllipseSpacing = 3;
constexpr int kEllipseMinSides = 32;
constexpr int kEllipseMaxSides = 512;

struct Vec {
  double x = 0;
  double y = 0;
  friend Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
  friend Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
  friend Vec operator*(double s, Vec a) { return {s * a.x, s * a.y}; }
  friend bool operator==(Vec, Vec) = default;
};

double dot(Vec a, Vec b) {
  return a.x * b.x + a.y * b.y;
}
double cross(Vec a, Vec b) {
  return a.x * b.y - a.y * b.x;
}
// Drawing-area coordinates are far from overflowing when squared.
double length(Vec a) {
  return std::sqrt(dot(a, a));
}
double distance(Vec a, Vec b) {
  return length(a - b);
}
Vec rotated(Vec v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * v.x - s * v.y, s * v.x + c * v.y};
}
Vec unit(Vec v) {
  const double l = length(v);
  return l > 0 ? (1 / l) * v : Vec{1, 0};
}

double pathLength(std::span<const Vec> points) {
  double total = 0;
  for (std::size_t i = 1; i < points.size(); ++i) total += distance(points[i - 1], points[i]);
  return total;
}

// `count` points evenly spaced along the polyline, its ends included.
std::vector<Vec> resample(std::span<const Vec> points, int count) {
  std::vector<Vec> out;
  out.reserve(count);
  out.push_back(points.front());
  const double step = pathLength(points) / (count - 1);
  double walked = 0;  // length up to points[i - 1]
  std::size_t i = 1;
  for (int k = 1; k < count - 1; ++k) {
    const double target = k * step;
    double segment = distance(points[i - 1], points[i]);
    while (walked + segment < target && i + 1 < points.size()) {
      walked += segment;
      ++i;
      segment = distance(points[i - 1], points[i]);
    }
    const double t = segment > 0 ? std::clamp((target - walked) / segment, 0.0, 1.0) : 0;
    out.push_back(points[i - 1] + t * (points[i] - points[i - 1]));
  }
  out.push_back(points.back());
  return out;
}

double squaredToSegment(Vec p, Vec a, Vec b) {
  const Vec ab = b - a, ap = p - a;
  const double lengthSquared = dot(ab, ab);
  const double t = lengthSquared > 0 ? std::clamp(dot(ap, ab) / lengthSquared, 0.0, 1.0) : 0;
  const Vec off = ap - t * ab;
  return dot(off, off);
}

double pointToSegment(Vec p, Vec a, Vec b) {
  return std::sqrt(squaredToSegment(p, a, b));
}

double pointToPolyline(Vec p, std::span<const Vec> polyline) {
  if (polyline.size() == 1) return distance(p, polyline.front());
  double nearest = std::numeric_limits<double>::infinity();
  for (std::size_t i = 1; i < polyline.size(); ++i)
    nearest = std::min(nearest, squaredToSegment(p, polyline[i - 1], polyline[i]));
  return std::sqrt(nearest);
}

// The line that best fits the points (least squares across it), as their centre and a
// unit direction, with the points' variance along and across it.
struct Axis {
  Vec centre;
  Vec direction;
  double along = 0;
  double across = 0;
};

Axis principalAxis(std::span<const Vec> points) {
  Vec centre;
  for (Vec p : points) centre = centre + p;
  centre = (1.0 / double(points.size())) * centre;
  double xx = 0, yy = 0, xy = 0;
  for (Vec p : points) {
    const Vec d = p - centre;
    xx += d.x * d.x;
    yy += d.y * d.y;
    xy += d.x * d.y;
  }
  const double n = double(points.size());
  xx /= n, yy /= n, xy /= n;
  const double angle = std::atan2(2 * xy, xx - yy) / 2;
  const double mean = (xx + yy) / 2, spread = std::hypot((xx - yy) / 2, xy);
  return {centre, {std::cos(angle), std::sin(angle)}, mean + spread, mean - spread};
}

// The angle to turn `angle` by so that it lies on the nearest multiple of 90 degrees,
// when that is within kAxisSnap; otherwise 0.
double axisSnapTurn(double angle) {
  const double quarter = kPi / 2;
  const double turn = std::round(angle / quarter) * quarter - angle;
  return std::abs(turn) <= kAxisSnap ? turn : 0;
}

// An ellipse: centre, semi-axes, the angle of the first axis, where the stroke starts
// on it (as the angle of its parameter) and which way it goes round (1 or -1).
struct Ellipse {
  Vec centre;
  double radiusA = 0, radiusB = 0, angle = 0, start = 0, turning = 1;
};

// A candidate shape: its outline as a polyline (closed ones end where they begin), and
// for an ellipse the ellipse itself, which is drawn more densely than measured.
struct Candidate {
  ShapeKind kind = ShapeKind::Line;
  std::vector<Vec> outline;
  std::optional<Ellipse> ellipse = std::nullopt;
};

// The stroke as a candidate is measured against it: the whole of it, resampled; the
// part that goes once round a closed figure (all of an open one), which must lie near
// the shape everywhere, while what runs on past it (overshoot) counts only on average;
// the chord that closes a slightly open figure, so that its gap does not count as
// missing; and the lengths that the mean and the worst deviation are shares of.
struct Measured {
  std::span<const Vec> path;
  std::size_t first = 0;
  std::size_t last = 0;
  std::span<const Vec> closing;
  double scale = 1;
  double size = 1;
};

// The mean distance both ways, as a share of the scale: the stroke's points to the
// outline, and points along the outline to the stroke, so that a shape covering only
// part of the stroke, or the stroke only part of the shape, fails. Nothing when the mean
// exceeds `meanBound` or any distance `maxBound` of the size (then the measuring stops
// as soon as it is clear).
std::optional<double> meanDeviation(const Measured& drawn, std::span<const Vec> outline,
                                    double meanBound, double maxBound) {
  const double worst = maxBound * drawn.size;
  double allowed = meanBound * drawn.scale * double(drawn.path.size()), sum = 0;
  for (std::size_t i = 0; i < drawn.path.size(); ++i) {
    const double d = pointToPolyline(drawn.path[i], outline);
    sum += d;
    if (sum > allowed || (d > worst && i >= drawn.first && i <= drawn.last)) return std::nullopt;
  }
  const double towardsShape = sum / double(drawn.path.size());
  const std::vector<Vec> alongShape = resample(outline, kOutlineSamples);
  allowed = meanBound * drawn.scale * double(alongShape.size()), sum = 0;
  for (Vec q : alongShape) {
    double d = pointToPolyline(q, drawn.path);
    if (!drawn.closing.empty()) d = std::min(d, pointToPolyline(q, drawn.closing));
    sum += d;
    if (sum > allowed || d > worst) return std::nullopt;
  }
  return std::max(towardsShape, sum / double(alongShape.size())) / drawn.scale;
}

// ---- Open shapes ----

std::optional<Candidate> fitLine(std::span<const Vec> path) {
  const Axis axis = principalAxis(path);
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (Vec p : path) {
    const double t = dot(p - axis.centre, axis.direction);
    low = std::min(low, t);
    high = std::max(high, t);
  }
  if (pathLength(path) > kLineMaxDetour * (high - low)) return std::nullopt;
  Vec from = axis.centre + low * axis.direction, to = axis.centre + high * axis.direction;
  if (distance(path.front(), to) < distance(path.front(), from)) std::swap(from, to);
  const Vec middle = 0.5 * (from + to);
  const double turn = axisSnapTurn(std::atan2(to.y - from.y, to.x - from.x));
  return Candidate{ShapeKind::Line,
                   {middle + rotated(from - middle, turn), middle + rotated(to - middle, turn)}};
}

// Shaft first, then a barb out and back to the tip, then the other barb. Barbs point
// back, so the tip lies about as far from where the stroke began as any point; it is
// the farthest of the first run of points that far out, since the stroke's return to
// the tip may reach a little farther. After the tip the distance from it rises to the
// first barb's end, falls back near the tip and rises again.
std::optional<Candidate> fitArrow(std::span<const Vec> path) {
  const std::size_t n = path.size();
  double farthest = 0;
  for (Vec p : path) farthest = std::max(farthest, distance(p, path[0]));
  std::size_t tip = 0;
  while (distance(path[tip], path[0]) < (1 - kTipReach) * farthest) ++tip;
  for (std::size_t i = tip; i < n && distance(path[i], path[0]) >= (1 - kTipReach) * farthest; ++i)
    if (distance(path[i], path[0]) > distance(path[tip], path[0])) tip = i;
  // The shaft is the larger part of the stroke, and the head needs a few points.
  if (tip < n / 4 || tip + 4 >= n) return std::nullopt;

  std::vector<double> fromTip(n - tip), peakBefore(n - tip), peakAfter(n - tip);
  for (std::size_t i = 0; i < fromTip.size(); ++i) fromTip[i] = distance(path[tip + i], path[tip]);
  std::partial_sum(fromTip.begin(), fromTip.end(), peakBefore.begin(),
                   [](double a, double b) { return std::max(a, b); });
  std::partial_sum(fromTip.rbegin(), fromTip.rend(), peakAfter.rbegin(),
                   [](double a, double b) { return std::max(a, b); });
  // Where the stroke comes back to the tip: the deepest valley between two peaks.
  std::size_t back = 1;
  for (std::size_t i = 1; i + 1 < fromTip.size(); ++i) {
    const auto depth = [&](std::size_t at) {
      return std::min(peakBefore[at], peakAfter[at]) - fromTip[at];
    };
    if (depth(i) > depth(back)) back = i;
  }
  const auto peakIn = [&](std::size_t from, std::size_t to) {
    return std::size_t(std::max_element(fromTip.begin() + from, fromTip.begin() + to + 1) -
                       fromTip.begin());
  };
  const std::size_t first = peakIn(0, back), second = peakIn(back, fromTip.size() - 1);
  const double shaft = distance(path[0], path[tip]);
  const double barbA = fromTip[first], barbB = fromTip[second];
  if (std::min(barbA, barbB) < kMinBarb * shaft || std::max(barbA, barbB) > kMaxBarb * shaft)
    return std::nullopt;
  if (fromTip[back] > kBarbReturn * std::min(barbA, barbB)) return std::nullopt;

  // The shaft's line, fitted to its points, pointing from the tail to the tip.
  const Axis axis = principalAxis(path.subspan(0, tip + 1));
  Vec direction = axis.direction;
  if (dot(direction, path[tip] - path[0]) < 0) direction = -1.0 * direction;
  direction = rotated(direction, axisSnapTurn(std::atan2(direction.y, direction.x)));
  const Vec tail = axis.centre + dot(path[0] - axis.centre, direction) * direction;
  const Vec head = axis.centre + dot(path[tip] - axis.centre, direction) * direction;

  const Vec backwards = -1.0 * direction;
  const auto barbAngle = [&](std::size_t at) {
    const Vec barb = path[tip + at] - path[tip];
    return std::atan2(cross(backwards, barb), dot(backwards, barb));
  };
  const double angleA = barbAngle(first), angleB = barbAngle(second);
  // One barb on either side of the shaft, both pointing back along it.
  if ((angleA > 0) == (angleB > 0)) return std::nullopt;
  for (double angle : {angleA, angleB})
    if (std::abs(angle) < kMinBarbAngle || std::abs(angle) > kMaxBarbAngle) return std::nullopt;

  // A clean head is symmetric: both barbs at the mean length and angle of the drawn ones.
  const double barb = (barbA + barbB) / 2;
  const double spread = (std::abs(angleA) + std::abs(angleB)) / 2;
  const double side = angleA > 0 ? 1 : -1;
  return Candidate{ShapeKind::Arrow,
                   {tail, head, head + barb * rotated(backwards, side * spread), head,
                    head + barb * rotated(backwards, -side * spread)}};
}

// ---- Closed shapes ----

// The part of the stroke that goes once round: the pair of points, one near the start
// and one near the end, that come nearest each other, leaving out at most kMaxOvershoot
// of the stroke at its ends together.
struct Loop {
  std::size_t first = 0;
  std::size_t last = 0;
};

std::optional<Loop> findLoop(std::span<const Vec> path, double size) {
  const std::size_t n = path.size();
  const auto spare = std::size_t(kMaxOvershoot * double(n - 1));
  Loop best;
  double nearest = std::numeric_limits<double>::infinity();
  for (std::size_t first = 0; first <= spare; ++first) {
    // At least half the stroke lies between them.
    for (std::size_t last = std::max(first + n / 2, n - 1 - (spare - first)); last < n; ++last) {
      const double d = distance(path[first], path[last]);
      if (d < nearest) nearest = d, best = {first, last};
    }
  }
  if (nearest > kClosingGap * size) return std::nullopt;
  return best;
}

// Twice the signed area of the closed polygon: positive when it turns clockwise on the
// drawing area (whose y axis points down).
double doubleArea(std::span<const Vec> loop) {
  double area = 0;
  for (std::size_t i = 0; i < loop.size(); ++i) area += cross(loop[i], loop[(i + 1) % loop.size()]);
  return area;
}

// The corners of a polygon in the loop's direction, starting at the corner nearest where
// the loop starts, closed.
std::vector<Vec> closedFrom(std::vector<Vec> corners, std::span<const Vec> loop) {
  if ((doubleArea(corners) > 0) != (doubleArea(loop) > 0))
    std::reverse(corners.begin(), corners.end());
  const auto nearest = std::min_element(corners.begin(), corners.end(), [&](Vec a, Vec b) {
    return distance(a, loop.front()) < distance(b, loop.front());
  });
  std::rotate(corners.begin(), nearest, corners.end());
  corners.push_back(corners.front());
  return corners;
}

std::vector<Vec> ellipseOutline(const Ellipse& ellipse, int sides) {
  std::vector<Vec> outline;
  outline.reserve(sides + 1);
  for (int i = 0; i <= sides; ++i) {
    const double t = ellipse.start + ellipse.turning * 2 * kPi * i / sides;
    outline.push_back(
        ellipse.centre +
        rotated({ellipse.radiusA * std::cos(t), ellipse.radiusB * std::sin(t)}, ellipse.angle));
  }
  outline.back() = outline.front();
  return outline;
}

// The ellipse with the same area moments as the region the loop encloses (closed by the
// chord between its ends): for a filled ellipse the variance along each axis is a
// quarter of that semi-axis squared. Area moments, unlike the points' own, do not
// depend on how densely each part was drawn.
std::optional<Candidate> fitEllipse(std::span<const Vec> loop) {
  // Moments about a point near the loop, to keep the sums small.
  const Vec origin = loop.front();
  double area = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const Vec p = loop[i] - origin, q = loop[(i + 1) % loop.size()] - origin;
    const double c = cross(p, q);
    area += c;
    sx += (p.x + q.x) * c;
    sy += (p.y + q.y) * c;
    sxx += (p.x * p.x + p.x * q.x + q.x * q.x) * c;
    syy += (p.y * p.y + p.y * q.y + q.y * q.y) * c;
    sxy += (p.x * q.y + 2 * p.x * p.y + 2 * q.x * q.y + q.x * p.y) * c;
  }
  area /= 2;
  if (std::abs(area) < 1e-9) return std::nullopt;
  const Vec centre{sx / (6 * area), sy / (6 * area)};
  const double xx = sxx / (12 * area) - centre.x * centre.x;
  const double yy = syy / (12 * area) - centre.y * centre.y;
  const double xy = sxy / (24 * area) - centre.x * centre.y;
  const double mean = (xx + yy) / 2, spread = std::hypot((xx - yy) / 2, xy);
  if (mean - spread <= 0) return std::nullopt;
  Ellipse ellipse;
  ellipse.centre = origin + centre;
  ellipse.radiusA = 2 * std::sqrt(mean + spread);
  ellipse.radiusB = 2 * std::sqrt(mean - spread);
  if (ellipse.radiusB < kMinThickness * ellipse.radiusA) return std::nullopt;
  ShapeKind kind = ShapeKind::Ellipse;
  if (ellipse.radiusB >= kCircleRoundness * ellipse.radiusA) {
    kind = ShapeKind::Circle;
    ellipse.radiusA = ellipse.radiusB = (ellipse.radiusA + ellipse.radiusB) / 2;
  } else {
    ellipse.angle = std::atan2(2 * xy, xx - yy) / 2;
    ellipse.angle += axisSnapTurn(ellipse.angle);
  }
  // Start where the stroke starts, going round the way it went.
  const Vec start = rotated(loop.front() - ellipse.centre, -ellipse.angle);
  ellipse.start = std::atan2(start.y / ellipse.radiusB, start.x / ellipse.radiusA);
  ellipse.turning = area > 0 ? 1 : -1;
  return Candidate{kind, ellipseOutline(ellipse, kEllipseMeasureSides), ellipse};
}

// The rectangle's tilt (modulo 90 degrees) is the mean direction of the stroke's pieces
// with their angles taken four times, so that all four sides agree; each side then lies
// at the mean position of the pieces running along it, which overshoot past a corner
// (running on along the side) does not move.
std::optional<Candidate> fitRectangle(std::span<const Vec> loop) {
  double c4 = 0, s4 = 0;
  for (std::size_t i = 1; i < loop.size(); ++i) {
    const Vec d = loop[i] - loop[i - 1];
    const double angle = std::atan2(d.y, d.x), weight = length(d);
    c4 += weight * std::cos(4 * angle);
    s4 += weight * std::sin(4 * angle);
  }
  double tilt = std::atan2(s4, c4) / 4;
  tilt += axisSnapTurn(tilt);

  std::vector<Vec> upright(loop.size());
  for (std::size_t i = 0; i < loop.size(); ++i) upright[i] = rotated(loop[i], -tilt);
  double left = std::numeric_limits<double>::infinity(), top = left, right = -left, bottom = -left;
  for (Vec p : upright) {
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  const Vec middle{(left + right) / 2, (top + bottom) / 2};
  // Sums of position times length, and lengths, per side: top, bottom, left, right.
  double position[4] = {}, weight[4] = {};
  for (std::size_t i = 1; i < upright.size(); ++i) {
    const Vec d = upright[i] - upright[i - 1], at = 0.5 * (upright[i] + upright[i - 1]);
    const double l = length(d);
    const bool across = std::abs(d.x) >= std::abs(d.y);
    const int side = across ? (at.y < middle.y ? 0 : 1) : (at.x < middle.x ? 2 : 3);
    position[side] += l * (across ? at.y : at.x);
    weight[side] += l;
  }
  for (double w : weight)
    if (w <= 0) return std::nullopt;
  top = position[0] / weight[0], bottom = position[1] / weight[1];
  left = position[2] / weight[2], right = position[3] / weight[3];
  const double width = right - left, height = bottom - top;
  if (std::min(width, height) < kMinThickness * std::max(width, height)) return std::nullopt;
  std::vector<Vec> corners;
  for (Vec corner : {Vec{left, top}, Vec{right, top}, Vec{right, bottom}, Vec{left, bottom}})
    corners.push_back(rotated(corner, tilt));
  return Candidate{ShapeKind::Rectangle, closedFrom(std::move(corners), loop)};
}

// Rough corners first (the point farthest from the centre, the one farthest from it, and
// the one farthest from the line through both), then each side is the line fitted to
// the middle of the points nearest it, and the corners where those lines meet: a corner
// overshot or rounded by the hand does not move them.
std::optional<Candidate> fitTriangle(std::span<const Vec> loop) {
  Vec centre;
  for (Vec p : loop) centre = centre + p;
  centre = (1.0 / double(loop.size())) * centre;
  const auto farthest = [&](auto&& measure) {
    return *std::max_element(loop.begin(), loop.end(),
                             [&](Vec a, Vec b) { return measure(a) < measure(b); });
  };
  const Vec a = farthest([&](Vec p) { return distance(p, centre); });
  const Vec b = farthest([&](Vec p) { return distance(p, a); });
  const Vec c = farthest([&](Vec p) { return std::abs(cross(b - a, p - a)); });
  const Vec rough[3] = {a, b, c};

  std::vector<Vec> sides[3];
  for (Vec p : loop) {
    int nearest = 0;
    double best = std::numeric_limits<double>::infinity();
    for (int s = 0; s < 3; ++s) {
      const double d = pointToSegment(p, rough[s], rough[(s + 1) % 3]);
      if (d < best) best = d, nearest = s;
    }
    const Vec from = rough[nearest], along = rough[(nearest + 1) % 3] - from;
    const double t = dot(p - from, along) / std::max(dot(along, along), 1e-12);
    if (t > 0.15 && t < 0.85) sides[nearest].push_back(p);
  }
  Axis lines[3];
  for (int s = 0; s < 3; ++s) {
    if (sides[s].size() < 3) return std::nullopt;
    lines[s] = principalAxis(sides[s]);
  }
  std::vector<Vec> corners;
  for (int s = 0; s < 3; ++s) {
    // Corner s + 1 lies where side s meets side s + 1.
    const Axis& one = lines[s];
    const Axis& other = lines[(s + 1) % 3];
    const double det = cross(one.direction, other.direction);
    if (std::abs(det) < std::sin(10 * kDegree)) return std::nullopt;
    corners.push_back(one.centre +
                      (cross(other.centre - one.centre, other.direction) / det) * one.direction);
  }
  double longest = 0;
  for (int s = 0; s < 3; ++s)
    longest = std::max(longest, distance(corners[s], corners[(s + 1) % 3]));
  // The height over the longest side.
  if (!(std::abs(doubleArea(corners)) / longest >= kMinThickness * longest)) return std::nullopt;
  return Candidate{ShapeKind::Triangle, closedFrom(std::move(corners), loop)};
}

// ---- The clean stroke ----

// The outline with each inner corner flanked by points a little way along its edges.
std::vector<Vec> withSharpCorners(std::span<const Vec> outline) {
  std::vector<Vec> out;
  out.push_back(outline.front());
  for (std::size_t i = 1; i + 1 < outline.size(); ++i) {
    const Vec corner = outline[i], before = outline[i - 1], after = outline[i + 1];
    const double in = std::min(kCornerFlank, distance(before, corner) / 3);
    const double outward = std::min(kCornerFlank, distance(corner, after) / 3);
    out.push_back(corner + in * unit(before - corner));
    out.push_back(corner);
    out.push_back(corner + outward * unit(after - corner));
  }
  out.push_back(outline.back());
  return out;
}

std::vector<StrokePoint> timedPoints(std::span<const Vec> points, std::uint32_t startTime,
                                     std::uint32_t endTime) {
  // Unsigned arithmetic, so that a clock that wrapped during the stroke still counts on.
  const std::uint32_t duration = endTime - startTime;
  const double total = pathLength(points);
  std::vector<StrokePoint> out;
  out.reserve(points.size());
  double walked = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) walked += distance(points[i - 1], points[i]);
    const double share = total > 0 ? std::min(walked / total, 1.0) : 0;
    out.push_back({float(points[i].x), float(points[i].y), 1.0f,
                   startTime + std::uint32_t(std::llround(share * duration))});
  }
  return out;
}

std::vector<Vec> drawnPoints(const Candidate& shape) {
  if (!shape.ellipse) return withSharpCorners(shape.outline);
  const double a = shape.ellipse->radiusA, b = shape.ellipse->radiusB;
  // Ramanujan's approximation of the perimeter.
  const double perimeter = kPi * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)));
  const int sides =
      std::clamp(int(std::ceil(perimeter / kEllipseSpacing)), kEllipseMinSides, kEllipseMaxSides);
  return ellipseOutline(*shape.ellipse, sides);
}

}  // namespace

std::optional<RecognizedShape> recognizeShape(std::span<const StrokePoint> stroke) {
  std::vector<Vec> drawn;
  drawn.reserve(stroke.size());
  for (const StrokePoint& point : stroke) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return std::nullopt;
    const Vec at{point.x, point.y};
    if (drawn.empty() || drawn.back() != at) drawn.push_back(at);
  }
  if (drawn.size() < 2) return std::nullopt;
  double left = drawn[0].x, right = left, top = drawn[0].y, bottom = top;
  for (Vec p : drawn) {
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  const double size = std::hypot(right - left, bottom - top);
  if (size < kMinimumShapeSize) return std::nullopt;

  const std::vector<Vec> path = resample(drawn, kSamples);
  std::optional<Candidate> best;
  double bestMean = kMeanDeviation;
  const auto consider = [&](std::optional<Candidate> candidate, const Measured& measured) {
    if (!candidate) return;
    const double maxDeviation =
        candidate->kind == ShapeKind::Line ? kLineMaxDeviation : kMaxDeviation;
    const std::optional<double> mean =
        meanDeviation(measured, candidate->outline, bestMean, maxDeviation);
    if (!mean) return;
    bestMean = *mean;
    best = std::move(candidate);
  };
  const Measured open{path, 0, path.size() - 1, {}, size, size};
  consider(fitLine(path), open);
  consider(fitArrow(path), open);
  if (const std::optional<Loop> loop = findLoop(path, size)) {
    const std::span<const Vec> once(path.data() + loop->first, loop->last - loop->first + 1);
    const Vec closing[2] = {once.back(), once.front()};
    // A thin figure is judged by its width as much as by its length: the scale is the
    // side of the square of its area, times the ratio of a circle's diagonal (of its
    // bounding box) to that, so that round figures are judged as open ones are.
    const double scale = std::min(size, kRoundScale * std::sqrt(std::abs(doubleArea(once)) / 2));
    const Measured closed{path, loop->first, loop->last, closing, scale, size};
    consider(fitEllipse(once), closed);
    consider(fitRectangle(once), closed);
    consider(fitTriangle(once), closed);
  }
  if (!best) return std::nullopt;
  return RecognizedShape{best->kind,
                         timedPoints(drawnPoints(*best), stroke.front().time, stroke.back().time)};
}

}  // namespace fudekko
