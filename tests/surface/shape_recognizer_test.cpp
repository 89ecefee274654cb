// The shape recogniser on a corpus of hand-drawn strokes (shapes it must take, letters
// and scribbles it must leave), on strokes too small or too few to be shapes, and the
// clean strokes it gives: closed, timed, upright when nearly so, and sharp in the ink.

#include "surface/shape_recognizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/hand_drawn_strokes.h"
#include "surface/stroke_smoother.h"

namespace fudekko {
namespace {

using test::HandDrawn;
using test::HandDrawnStrokes;
using test::Xy;

const char* nameOf(std::optional<ShapeKind> kind) {
  if (!kind) return "none";
  switch (*kind) {
    case ShapeKind::Line:
      return "line";
    case ShapeKind::Circle:
      return "circle";
    case ShapeKind::Ellipse:
      return "ellipse";
    case ShapeKind::Rectangle:
      return "rectangle";
    case ShapeKind::Triangle:
      return "triangle";
    case ShapeKind::Arrow:
      return "arrow";
  }
  return "?";
}

std::vector<Xy> polylineOf(const std::vector<StrokePoint>& points) {
  std::vector<Xy> out;
  for (const StrokePoint& point : points) out.push_back({point.x, point.y});
  return out;
}

double pointToPolyline(Xy p, const std::vector<Xy>& polyline) {
  double nearest = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < polyline.size(); ++i) {
    const Xy a = polyline[i], b = polyline[i + 1 < polyline.size() ? i + 1 : i];
    const Xy ab = b - a;
    const double lengthSquared = ab.x * ab.x + ab.y * ab.y;
    double t = 0;
    if (lengthSquared > 0)
      t = std::clamp(((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / lengthSquared, 0.0, 1.0);
    nearest = std::min(nearest, test::distanceOf(p, a + t * ab));
  }
  return nearest;
}

// The largest distance from a point of either polyline (at 200 points spread along it)
// to the other: how far apart the two figures are.
double figureDistance(const std::vector<Xy>& one, const std::vector<Xy>& other) {
  const auto oneWay = [](const std::vector<Xy>& from, const std::vector<Xy>& to) {
    double total = 0;
    for (std::size_t i = 1; i < from.size(); ++i) total += test::distanceOf(from[i - 1], from[i]);
    const double step = std::max(total / 200, 1e-9);
    double worst = pointToPolyline(from.front(), to);
    for (std::size_t i = 1; i < from.size(); ++i) {
      const Xy a = from[i - 1], b = from[i];
      const int pieces = std::max(1, int(test::distanceOf(a, b) / step));
      for (int k = 1; k <= pieces; ++k)
        worst = std::max(worst, pointToPolyline(a + (double(k) / pieces) * (b - a), to));
    }
    return worst;
  };
  return std::max(oneWay(one, other), oneWay(other, one));
}

double diagonalOf(const std::vector<Xy>& points) {
  double left = points[0].x, right = left, top = points[0].y, bottom = top;
  for (Xy p : points) {
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  return std::hypot(right - left, bottom - top);
}

// The tilt of the intended rectangle's first side, modulo 90 degrees, in (-45, 45].
double tiltOf(const std::vector<Xy>& corners) {
  const Xy side = corners[1] - corners[0];
  const double quarter = HandDrawnStrokes::kPi / 2;
  const double angle = std::atan2(side.y, side.x);
  return angle - std::round(angle / quarter) * quarter;
}

bool upright(const std::vector<StrokePoint>& points) {
  // Every piece of the polyline runs level or upright.
  for (std::size_t i = 1; i < points.size(); ++i) {
    const double dx = points[i].x - points[i - 1].x, dy = points[i].y - points[i - 1].y;
    if (std::abs(dx) > 1e-3 && std::abs(dy) > 1e-3) return false;
  }
  return true;
}

// ---- The corpus ----

constexpr int kPerKind = 250;

struct Tally {
  int hits = 0;       // the right kind, where it was meant
  int misplaced = 0;  // the right kind, elsewhere (or tilted when nearly upright)
  int missed = 0;     // left as drawn
  int wrongKind = 0;  // taken for another shape
  std::map<std::string, int> takenFor;
};

struct Family {
  std::string name;
  std::optional<ShapeKind> kind;  // none for what is no shape
  std::function<HandDrawn(HandDrawnStrokes&)> draw;
};

const std::vector<Family>& families() {
  using H = HandDrawnStrokes;
  static const std::vector<Family> all = {
      {"line", ShapeKind::Line, [](H& h) { return h.line(); }},
      {"circle", ShapeKind::Circle, [](H& h) { return h.ellipse(0.9, 1.0); }},
      {"ellipse", ShapeKind::Ellipse, [](H& h) { return h.ellipse(0.3, 0.7); }},
      {"rectangle", ShapeKind::Rectangle, [](H& h) { return h.rectangle(); }},
      {"triangle", ShapeKind::Triangle, [](H& h) { return h.triangle(); }},
      {"arrow", ShapeKind::Arrow, [](H& h) { return h.arrow(); }},
      {"scribble", std::nullopt, [](H& h) { return h.scribble(); }},
      {"zigzag", std::nullopt, [](H& h) { return h.zigzag(); }},
      {"spiral", std::nullopt, [](H& h) { return h.spiral(); }},
      {"letter S", std::nullopt, [](H& h) { return h.letterS(); }},
      {"letter W", std::nullopt, [](H& h) { return h.letterW(); }},
      {"letter Z", std::nullopt, [](H& h) { return h.letterZ(); }},
      {"letter C", std::nullopt, [](H& h) { return h.letterC(); }},
      {"tick", std::nullopt, [](H& h) { return h.tick(); }},
      {"figure eight", std::nullopt, [](H& h) { return h.figureEight(); }},
      {"wave", std::nullopt, [](H& h) { return h.wave(); }},
  };
  return all;
}

Tally classify(const Family& family, std::uint32_t seed) {
  HandDrawnStrokes hand(seed);
  Tally tally;
  for (int i = 0; i < kPerKind; ++i) {
    const HandDrawn drawn = family.draw(hand);
    const std::optional<RecognizedShape> shape = recognizeShape(drawn.points);
    const std::optional<ShapeKind> kind =
        shape ? std::optional<ShapeKind>(shape->kind) : std::nullopt;
    if (kind == family.kind) {
      if (!kind) {
        ++tally.hits;
        continue;
      }
      // Within a tenth of its size of what the hand meant: the hand's skewed sides and
      // rounded sharp corners make the drawn figure itself differ that much.
      const bool whereMeant = figureDistance(polylineOf(shape->points), drawn.intended) <=
                              0.1 * diagonalOf(drawn.intended);
      const bool meantUpright =
          *kind == ShapeKind::Rectangle &&
          std::abs(tiltOf(drawn.intended)) <= 3.01 * HandDrawnStrokes::kDegree;
      if (whereMeant && (!meantUpright || upright(shape->points)))
        ++tally.hits;
      else
        ++tally.misplaced;
    } else if (!kind) {
      ++tally.missed;
    } else {
      ++tally.wrongKind;
      ++tally.takenFor[nameOf(kind)];
    }
  }
  return tally;
}

TEST(ShapeRecognizer, TakesHandDrawnShapesAndLeavesLettersAndScribbles) {
  std::printf("%-13s %5s %9s %7s %10s  taken for\n", "drawn", "hits", "misplaced", "missed",
              "wrong kind");
  std::uint32_t seed = 1;
  for (const Family& family : families()) {
    const Tally tally = classify(family, seed++);
    std::string takenFor;
    for (const auto& [name, count] : tally.takenFor)
      takenFor += name + " " + std::to_string(count) + "  ";
    std::printf("%-13s %5d %9d %7d %10d  %s\n", family.name.c_str(), tally.hits, tally.misplaced,
                tally.missed, tally.wrongKind, takenFor.c_str());
    if (family.kind) {
      EXPECT_GE(tally.hits, kPerKind * 9 / 10) << family.name;
    } else {
      EXPECT_EQ(tally.wrongKind, 0) << family.name << " taken for a shape";
    }
  }
}

// ---- Strokes that are no shape ----

TEST(ShapeRecognizer, DotsTicksAndBrokenStrokesAreNoShape) {
  EXPECT_FALSE(recognizeShape({}));
  const StrokePoint at{100.5f, 80.5f, 1, 5};
  EXPECT_FALSE(recognizeShape(std::vector<StrokePoint>{at}));
  EXPECT_FALSE(recognizeShape(std::vector<StrokePoint>(40, at)));  // a dot held still
  // Smaller than a shape needs: a few pixels' tick.
  EXPECT_FALSE(recognizeShape(std::vector<StrokePoint>{at, {103.5f, 84.5f, 1, 9}}));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(recognizeShape(std::vector<StrokePoint>{at, {nan, 300, 1, 9}, {400, 80, 1, 12}}));
}

TEST(ShapeRecognizer, TwoPointsFarApartAreALineBetweenThem) {
  const std::vector<StrokePoint> stroke = {{10, 20, 0.3f, 100}, {210, 140, 0.7f, 180}};
  const std::optional<RecognizedShape> shape = recognizeShape(stroke);
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape->kind, ShapeKind::Line);
  EXPECT_EQ(shape->points, (std::vector<StrokePoint>{{10, 20, 1, 100}, {210, 140, 1, 180}}));
}

// ---- The clean stroke ----

// The first of a hand's drawings that the recogniser takes for `kind` (and that is
// `wanted`), with the shape it gives.
struct Recognized {
  HandDrawn drawn;
  RecognizedShape shape;
};

using Draw = std::function<HandDrawn(HandDrawnStrokes&)>;

Recognized firstRecognized(std::uint32_t seed, ShapeKind kind, const Draw& draw,
                           const std::function<bool(const HandDrawn&)>& wanted = {}) {
  HandDrawnStrokes hand(seed);
  for (int attempt = 0; attempt < 100; ++attempt) {
    HandDrawn drawn = draw(hand);
    const std::optional<RecognizedShape> shape = recognizeShape(drawn.points);
    if (shape && shape->kind == kind && (!wanted || wanted(drawn))) return {drawn, *shape};
  }
  throw std::runtime_error(std::string("no ") + nameOf(kind) + " recognised in 100 drawings");
}

const Draw kRectangle = [](HandDrawnStrokes& h) { return h.rectangle(); };
const Draw kTriangle = [](HandDrawnStrokes& h) { return h.triangle(); };
const Draw kEllipse = [](HandDrawnStrokes& h) { return h.ellipse(0.4, 0.6); };
const Draw kArrow = [](HandDrawnStrokes& h) { return h.arrow(); };
const Draw kLine = [](HandDrawnStrokes& h) { return h.line(); };

TEST(ShapeRecognizer, CleanStrokesAreClosedTimedAndUprightWhenNearlySo) {
  const auto nearlyUpright = [](const HandDrawn& d) { return std::abs(tiltOf(d.intended)) < 0.05; };
  const auto tilted = [](const HandDrawn& d) { return std::abs(tiltOf(d.intended)) > 0.3; };
  const Recognized upright1 = firstRecognized(1, ShapeKind::Rectangle, kRectangle, nearlyUpright);
  const Recognized tilted1 = firstRecognized(2, ShapeKind::Rectangle, kRectangle, tilted);
  EXPECT_TRUE(upright(upright1.shape.points));
  EXPECT_FALSE(upright(tilted1.shape.points));

  struct Case {
    Recognized recognized;
    bool closed;
  };
  const Case cases[] = {
      {upright1, true},
      {tilted1, true},
      {firstRecognized(3, ShapeKind::Triangle, kTriangle), true},
      {firstRecognized(4, ShapeKind::Ellipse, kEllipse), true},
      {firstRecognized(5, ShapeKind::Arrow, kArrow), false},
  };
  for (const Case& c : cases) {
    const HandDrawn& drawn = c.recognized.drawn;
    SCOPED_TRACE(nameOf(c.recognized.shape.kind));
    // The input's clock wraps during the stroke: the times go on through the wrap.
    std::vector<StrokePoint> stroke = drawn.points;
    const std::uint32_t start = 0xFFFFFFFFu - 100;
    for (StrokePoint& point : stroke) point.time = start + (point.time - drawn.points[0].time);
    const RecognizedShape shape = *recognizeShape(stroke);
    EXPECT_EQ(shape.points.front().time, stroke.front().time);
    EXPECT_EQ(shape.points.back().time, stroke.back().time);
    for (std::size_t i = 1; i < shape.points.size(); ++i)
      EXPECT_LE(shape.points[i - 1].time - start, shape.points[i].time - start);
    for (const StrokePoint& point : shape.points) EXPECT_EQ(point.pressure, 1.0f);
    const StrokePoint first = shape.points.front(), last = shape.points.back();
    EXPECT_EQ(first.x == last.x && first.y == last.y, c.closed);
    // It starts where the hand started.
    EXPECT_LT(std::hypot(first.x - stroke.front().x, first.y - stroke.front().y),
              0.15 * diagonalOf(drawn.intended));
  }
}

// What smooth ink makes of the clean points: the curve the smoother lays through them.
std::vector<Xy> smoothed(const std::vector<StrokePoint>& points) {
  StrokeSmoother smoother;
  std::vector<InkPoint> path;
  smoother.begin({points.front().x, points.front().y}, path);
  for (std::size_t i = 1; i + 1 < points.size(); ++i)
    smoother.add({points[i].x, points[i].y}, path);
  smoother.end({points.back().x, points.back().y}, path);
  std::vector<Xy> out;
  for (InkPoint p : path) out.push_back({p.x, p.y});
  return out;
}

TEST(ShapeRecognizer, SmoothInkDrawsTheCleanShapesWithSharpCornersAndStraightSides) {
  for (const Recognized& r :
       {firstRecognized(6, ShapeKind::Rectangle, kRectangle),
        firstRecognized(7, ShapeKind::Triangle, kTriangle),
        firstRecognized(8, ShapeKind::Arrow, kArrow), firstRecognized(9, ShapeKind::Line, kLine)}) {
    SCOPED_TRACE(nameOf(r.shape.kind));
    const std::vector<Xy> clean = polylineOf(r.shape.points), ink = smoothed(r.shape.points);
    // The ink reaches every corner and keeps to the sides.
    for (Xy corner : clean) EXPECT_LE(pointToPolyline(corner, ink), 1.0);
    for (Xy p : ink) EXPECT_LE(pointToPolyline(p, clean), 0.25);
  }
  // An ellipse is dense enough that the ink is a smooth curve, not a polygon.
  const std::vector<StrokePoint> ellipse =
      firstRecognized(10, ShapeKind::Ellipse, kEllipse).shape.points;
  for (std::size_t i = 1; i < ellipse.size(); ++i)
    EXPECT_LE(std::hypot(ellipse[i].x - ellipse[i - 1].x, ellipse[i].y - ellipse[i - 1].y), 4.0);
}

}  // namespace
}  // namespace fudekko
