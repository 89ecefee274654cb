// The lasso: which strokes a loop takes (most of their length inside), drawn either way
// round, crossing itself, or too short to enclose anything.

#include "surface/lasso.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace fudekko {
namespace {

using Points = std::vector<StrokePoint>;

Points path(std::initializer_list<std::pair<float, float>> corners) {
  Points out;
  for (auto [x, y] : corners) out.push_back({x, y, 1, 0});
  return out;
}

// The straight stroke from `from` to `to` with `count` evenly spaced points.
Points straight(std::pair<float, float> from, std::pair<float, float> to, int count = 20) {
  Points out;
  for (int i = 0; i < count; ++i) {
    const float t = float(i) / float(count - 1);
    out.push_back({from.first + t * (to.first - from.first),
                   from.second + t * (to.second - from.second), 1, 0});
  }
  return out;
}

Points reversed(Points points) {
  std::reverse(points.begin(), points.end());
  return points;
}

// The square from (100, 100) to (300, 300), clockwise on the drawing area.
const Points kSquare = path({{100, 100}, {300, 100}, {300, 300}, {100, 300}});

TEST(Lasso, TakesStrokesWithMostOfTheirLengthInsideWhicheverWayTheLoopRuns) {
  struct Case {
    const char* name;
    Points stroke;
    bool selected;
  };
  // Many points bunched outside, yet three quarters of its length inside: length counts,
  // not points.
  Points bunched = straight({320, 200}, {301, 200}, 60);
  const Points rest = straight({299, 200}, {240, 200}, 4);
  bunched.insert(bunched.end(), rest.begin(), rest.end());
  const Case cases[] = {
      {"wholly inside", straight({150, 150}, {250, 250}), true},
      {"mostly inside, its end out", straight({150, 200}, {350, 200}), true},
      {"crossing the loop", straight({0, 200}, {150, 200}), false},
      {"passing through, more of it outside", straight({-100, 150}, {400, 250}), false},
      {"wholly outside", straight({400, 400}, {500, 450}), false},
      {"bunched points outside, length inside", bunched, true},
      {"a dot inside", path({{200, 200}}), true},
      {"a dot outside", path({{50, 50}}), false},
  };
  for (const Points& loop : {kSquare, reversed(kSquare)}) {
    const Lasso lasso(loop);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(lasso.selects(c.stroke), c.selected);
      // The ink's outline of the same path is judged alike.
      StrokeOutline outline;
      for (const StrokePoint& p : c.stroke) outline.path.push_back({p.x, p.y});
      EXPECT_EQ(lasso.selects(outline), c.selected);
    }
  }
}

TEST(Lasso, AFigureEightSelectsWhatLiesInEitherLobe) {
  // Two squares joined at (200, 200), one run clockwise, the other anticlockwise.
  const Lasso eight(path({{100, 100},
                          {200, 100},
                          {200, 200},
                          {300, 200},
                          {300, 300},
                          {200, 300},
                          {200, 200},
                          {100, 200}}));
  EXPECT_TRUE(eight.selects(straight({120, 150}, {180, 150})));
  EXPECT_TRUE(eight.selects(straight({220, 250}, {280, 250})));
  EXPECT_FALSE(eight.selects(straight({220, 150}, {280, 150})));  // the empty corners
  EXPECT_FALSE(eight.selects(straight({120, 250}, {180, 250})));
  // Drawn twice round, the square still holds what it circles.
  Points twice = kSquare;
  twice.insert(twice.end(), kSquare.begin(), kSquare.end());
  EXPECT_TRUE(Lasso(twice).selects(straight({150, 150}, {250, 250})));
}

// The winding number by summing the angles the loop turns through as seen from `at`: a
// way independent of the lasso's crossing count and its bands.
int windingByAngles(const Points& loop, InkPoint at) {
  double turned = 0;
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const StrokePoint a = loop[i], b = loop[(i + 1) % loop.size()];
    const double ax = a.x - at.x, ay = a.y - at.y, bx = b.x - at.x, by = b.y - at.y;
    turned += std::atan2(ax * by - ay * bx, ax * bx + ay * by);
  }
  return int(std::lround(turned / (2 * std::numbers::pi)));
}

TEST(Lasso, EnclosesWhatAScribbledLoopWindsRound) {
  // Long scribbled loops crossing themselves many times, tested against the angle sum at
  // points all over them.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> coordinate(0, 1000);
  for (int loopSize : {3, 40, 600}) {
    Points loop;
    for (int i = 0; i < loopSize; ++i)
      loop.push_back({coordinate(random), coordinate(random), 1, 0});
    const Lasso lasso(loop);
    for (int i = 0; i < 3000; ++i) {
      // Off the grid of the loop's corners, so that no point lies on an edge.
      const InkPoint at{coordinate(random) + 0.25, coordinate(random) + 0.375};
      ASSERT_EQ(lasso.encloses(at), windingByAngles(loop, at) != 0)
          << loopSize << " corners, at " << at.x << ", " << at.y;
    }
  }
}

TEST(Lasso, TooFewPointsOrAllOnALineSelectNothing) {
  const Points inside = straight({150, 150}, {250, 250});
  for (const Points& loop :
       {Points{}, path({{200, 200}}), path({{100, 100}, {300, 300}}),
        path({{100, 100}, {200, 200}, {300, 300}, {150, 150}}),
        Points(10, StrokePoint{200, 200, 1, 0}), path({{100, 100}, {300, 100}, {100, 100}})}) {
    const Lasso lasso(loop);
    EXPECT_FALSE(lasso.selects(inside));
    EXPECT_FALSE(lasso.selects(path({{200, 200}})));
    EXPECT_TRUE(lasso.bounds().empty());
  }
}

TEST(Lasso, SelectedStrokesAreListedInOrderWithOrWithoutTheirBounds) {
  const Lasso lasso(kSquare);
  std::vector<Stroke> strokes(5);
  strokes[0].points = straight({150, 150}, {250, 250});
  strokes[1].points = straight({400, 400}, {500, 450});
  strokes[2].points = straight({150, 200}, {350, 200});
  strokes[3].points = straight({0, 200}, {150, 200});
  strokes[4].points = straight({120, 280}, {280, 120});
  // Bounds as the ink sets them (wider than the points by the pen) on some, none on others.
  strokes[0].bounds = {145, 145, 256, 256};
  strokes[1].bounds = {395, 395, 506, 456};
  strokes[4].bounds = {115, 115, 286, 286};
  EXPECT_EQ(selectedStrokes(lasso, strokes), (std::vector<std::uint32_t>{0, 2, 4}));
  EXPECT_TRUE(selectedStrokes(Lasso(Points{}), strokes).empty());
}

}  // namespace
}  // namespace fudekko
