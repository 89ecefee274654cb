#pragma once
// Strokes as a hand draws them with a mouse, for the shape recogniser's tests and
// benchmark: an intended path traced at uneven speed, wobbling slowly off it, with the
// pointer's jitter and whole-pixel positions; polygons with their corners overshot and
// their sides a little skewed, closed figures a little open or run past their start.
// Seeded, so every run draws the same strokes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "surface/stroke.h"

namespace fudekko::test {

struct Xy {
  double x = 0;
  double y = 0;
  friend Xy operator+(Xy a, Xy b) { return {a.x + b.x, a.y + b.y}; }
  friend Xy operator-(Xy a, Xy b) { return {a.x - b.x, a.y - b.y}; }
  friend Xy operator*(double s, Xy a) { return {s * a.x, s * a.y}; }
};

inline double distanceOf(Xy a, Xy b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}
inline Xy rotatedBy(Xy v, double angle) {
  return {std::cos(angle) * v.x - std::sin(angle) * v.y,
          std::sin(angle) * v.x + std::cos(angle) * v.y};
}

// A drawn stroke and the shape the hand meant, as a polyline (closed ones end where they
// begin; an ellipse finely divided).
struct HandDrawn {
  std::vector<StrokePoint> points;
  std::vector<Xy> intended;
};

class HandDrawnStrokes {
 public:
  static constexpr double kPi = std::numbers::pi;
  static constexpr double kDegree = kPi / 180;

  explicit HandDrawnStrokes(std::uint32_t seed) : random_(seed) {}

  // ---- Shapes ----

  // A wobbly line, a little bowed, now and then nearly level or upright, sometimes
  // with a little flick at its end.
  HandDrawn line() {
    const double length = uniform(40, 500);
    const double angle = chance(0.3)
                             ? std::round(uniform(0, 4)) * kPi / 2 + uniform(-3, 3) * kDegree
                             : uniform(0, 2 * kPi);
    const Xy from = somewhere(), to = from + rotatedBy({length, 0}, angle);
    std::vector<Xy> path = bowed(from, to, uniform(-0.02, 0.02));
    if (chance(0.3))
      path.push_back(to + rotatedBy({-0.02 * length, 0.02 * length * sign()}, angle));
    return {trace(path, length), {from, to}};
  }

  // An ellipse whose shorter axis is `minRound` to `maxRound` of its longer one, any way
  // round, started anywhere, either way round, stopped up to 25 degrees short or run up
  // to 35 degrees past its start. The hand makes it a little egg-shaped (up to 6 %) and
  // drifts in or out by up to 6 % by the time it comes round.
  HandDrawn ellipse(double minRound, double maxRound) {
    const double a = uniform(30, 200), b = a * uniform(minRound, maxRound);
    const double tilt = uniform(0, kPi), start = uniform(0, 2 * kPi), turning = sign();
    const double sweep = 2 * kPi + uniform(-25, 35) * kDegree;
    const double egg = uniform(0, 0.06), eggAt = uniform(0, 2 * kPi), drift = uniform(-0.06, 0.06);
    const Xy centre = somewhere();
    const auto at = [&](double t, double scale) {
      return centre + rotatedBy({scale * a * std::cos(t), scale * b * std::sin(t)}, tilt);
    };
    std::vector<Xy> path, intended;
    for (double t = 0; t <= sweep; t += kDegree)
      path.push_back(
          at(start + turning * t, 1 + egg * std::cos(t - eggAt) + drift * t / (2 * kPi)));
    for (int i = 0; i <= 120; ++i) intended.push_back(at(start + turning * i * 3 * kDegree, 1));
    return {trace(path, 2 * a), intended};
  }

  // From a box around a line of text to a square; half of them within 3 degrees of
  // upright, the others at any tilt.
  HandDrawn rectangle() {
    const double width = uniform(60, 400), height = width * uniform(0.12, 1.0);
    const double tilt = chance(0.5) ? uniform(-3, 3) * kDegree : uniform(0, kPi);
    const Xy centre = somewhere();
    std::vector<Xy> corners;
    for (Xy c : {Xy{-width / 2, -height / 2}, Xy{width / 2, -height / 2}, Xy{width / 2, height / 2},
                 Xy{-width / 2, height / 2}})
      corners.push_back(centre + rotatedBy(c, tilt));
    return polygon(corners);
  }

  // Any triangle whose angles are all at least 25 degrees.
  HandDrawn triangle() {
    double first = 0, second = 0;
    do {
      first = uniform(25, 130), second = uniform(25, 130);
    } while (180 - first - second < 25);
    const double base = uniform(60, 300);
    // The third corner from the base's two angles (law of sines).
    const double third = 180 - first - second;
    const double side = base * std::sin(second * kDegree) / std::sin(third * kDegree);
    const Xy a{0, 0}, b{base, 0}, c = rotatedBy({side, 0}, -first * kDegree);
    const double tilt = uniform(0, 2 * kPi);
    const Xy centre = somewhere();
    std::vector<Xy> corners;
    for (Xy corner : {a, b, c})
      corners.push_back(centre + rotatedBy(corner - Xy{base / 2, 0}, tilt));
    return polygon(corners);
  }

  // A shaft, then a short barb out and back to near the tip, then the other barb. The
  // hand means a symmetric head, its barbs a tenth to a third of the shaft and 20 to 45
  // degrees off it, and draws each a fifth longer or shorter and 7 degrees off that; the
  // shaft bows by up to 1.5 %.
  HandDrawn arrow() {
    const double shaft = uniform(80, 400), angle = uniform(0, 2 * kPi);
    const Xy tail = somewhere(), tip = tail + rotatedBy({shaft, 0}, angle);
    const Xy backwards = rotatedBy({-1, 0}, angle);
    const double barb = shaft * uniform(0.12, 0.3), spread = uniform(22, 40) * kDegree;
    const double side = sign();
    const auto barbEnd = [&](double turn, double length) {
      return tip + length * rotatedBy(backwards, turn);
    };
    const auto drawnBarb = [&](double side) {
      return barbEnd(side * (spread + uniform(-7, 7) * kDegree), barb * uniform(0.8, 1.2));
    };
    const Xy barbA = drawnBarb(side), barbB = drawnBarb(-side);
    const Xy overshoot = tip + uniform(0, 0.02 * shaft) * rotatedBy({1, 0}, angle);
    const Xy backAt = tip + uniform(0, 0.15) * (barbA - tip);
    std::vector<Xy> path = bowed(tail, overshoot, uniform(-0.015, 0.015));
    const std::vector<Xy> head = divided({overshoot, barbA, backAt, barbB});
    path.insert(path.end(), head.begin() + 1, head.end());
    return {trace(path, shaft),
            {tail, tip, barbEnd(side * spread, barb), tip, barbEnd(-side * spread, barb)}};
  }

  // ---- Not shapes ----

  // A smooth curve through 6 to 12 places at random in a box.
  HandDrawn scribble() {
    const double size = uniform(60, 300);
    const Xy corner = somewhere();
    std::vector<Xy> places(6 + random_() % 7);
    for (Xy& place : places) place = corner + Xy{uniform(0, size), uniform(0, size)};
    return {trace(curveThrough(places), size), {}};
  }

  // Four to eight strokes back and forth across a line.
  HandDrawn zigzag() {
    const double length = uniform(80, 400), height = length * uniform(0.15, 0.5);
    const int teeth = 4 + int(random_() % 5);
    std::vector<Xy> path;
    for (int i = 0; i <= teeth; ++i)
      path.push_back({length * i / teeth, (i % 2 ? height : 0) + uniform(-0.05, 0.05) * height});
    return {trace(divided(placed(path, uniform(0, 2 * kPi))), length), {}};
  }

  // One and a half to three turns, from the middle out or from outside in.
  HandDrawn spiral() {
    const double radius = uniform(40, 200), turns = uniform(1.5, 3), inner = uniform(0.1, 0.3);
    const bool outwards = chance(0.5);
    std::vector<Xy> path;
    for (double t = 0; t <= turns * 2 * kPi; t += kDegree) {
      const double share = t / (turns * 2 * kPi);
      const double r = radius * (inner + (1 - inner) * (outwards ? share : 1 - share));
      path.push_back({r * std::cos(t), r * std::sin(t)});
    }
    return {trace(placed(path, uniform(0, 2 * kPi)), 2 * radius), {}};
  }

  // An upright letter S: two arcs bending opposite ways.
  HandDrawn letterS() {
    const double r = uniform(20, 100);
    std::vector<Xy> path;
    // From the upper right, over the top and down the left to the middle (y points
    // down), then round the right to the lower left.
    for (double t = -30; t >= -270; t -= 2)
      path.push_back({r * std::cos(t * kDegree), -r + r * std::sin(t * kDegree)});
    for (double t = -90; t <= 150; t += 2)
      path.push_back({r * std::cos(t * kDegree), r + r * std::sin(t * kDegree)});
    return {trace(placed(path, uniform(-10, 10) * kDegree), 4 * r), {}};
  }

  HandDrawn letterW() {
    const double width = uniform(40, 300), height = width * uniform(0.5, 1.0);
    return letter({{0, 0},
                   {width / 4, height},
                   {width / 2, height * uniform(0.2, 0.5)},
                   {3 * width / 4, height},
                   {width, 0}},
                  width);
  }

  HandDrawn letterZ() {
    const double width = uniform(40, 300), height = width * uniform(0.6, 1.2);
    return letter({{0, 0}, {width, 0}, {0, height}, {width, height}}, width);
  }

  // A tick: a short stroke down, a long one up.
  HandDrawn tick() {
    const double width = uniform(30, 200);
    return letter({{0, width * 0.5}, {width * 0.35, width}, {width, 0}}, width);
  }

  // A letter C: an arc of 200 to 280 degrees.
  HandDrawn letterC() {
    const double r = uniform(20, 150), sweep = uniform(200, 280);
    std::vector<Xy> path;
    for (double t = 0; t <= sweep; t += 2)
      path.push_back(rotatedBy({r, 0}, -(180 - sweep) / 2 * kDegree - t * kDegree));
    return {trace(placed(path, uniform(-10, 10) * kDegree), 2 * r), {}};
  }

  // A figure eight: two lobes crossing in the middle.
  HandDrawn figureEight() {
    const double r = uniform(30, 150);
    std::vector<Xy> path;
    for (double t = 0; t <= 2 * kPi + 0.1; t += kDegree)
      path.push_back({r * std::sin(t), r * std::sin(t) * std::cos(t)});
    return {trace(placed(path, uniform(0, kPi)), 2 * r), {}};
  }

  // A wave of two to four periods, its crests a tenth to a quarter of its length above
  // its troughs.
  HandDrawn wave() {
    const double length = uniform(100, 400), periods = uniform(2, 4);
    const double height = length * uniform(0.1, 0.25);
    std::vector<Xy> path;
    for (double t = 0; t <= 1; t += 0.002)
      path.push_back({length * t, height / 2 * std::sin(2 * kPi * periods * t)});
    return {trace(placed(path, uniform(0, 2 * kPi)), length), {}};
  }

  // ---- The hand ----

  // Traces `path` at uneven speed (2 to 10 pixels between positions, 6 to 16 ms apart),
  // drifting off it slowly by up to about 1.8 % of `size` and jittering by half a pixel,
  // at whole-pixel positions as a mouse gives them.
  std::vector<StrokePoint> trace(const std::vector<Xy>& path, double size) {
    const double amplitudeA = uniform(0.004, 0.012) * size,
                 amplitudeB = uniform(0.002, 0.006) * size;
    const double waveA = uniform(0.6, 1.6) * size, waveB = uniform(0.15, 0.4) * size;
    const double phaseA = uniform(0, 2 * kPi), phaseB = uniform(0, 2 * kPi);
    std::vector<StrokePoint> points;
    std::uint32_t time = std::uint32_t(random_());
    double walked = 0, next = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
      const Xy from = path[i - 1], to = path[i];
      const double piece = distanceOf(from, to);
      if (piece <= 0) continue;
      const Xy along = (1 / piece) * (to - from), across{-along.y, along.x};
      while (next <= walked + piece) {
        const Xy on = from + (next - walked) * along;
        const double drift = amplitudeA * std::sin(2 * kPi * next / waveA + phaseA) +
                             amplitudeB * std::sin(2 * kPi * next / waveB + phaseB);
        const Xy at = on + drift * across + Xy{uniform(-0.5, 0.5), uniform(-0.5, 0.5)};
        points.push_back(
            {float(std::floor(at.x) + 0.5), float(std::floor(at.y) + 0.5), 1.0f, time});
        time += 6 + std::uint32_t(random_() % 11);
        next += uniform(2, 10);
      }
      walked += piece;
    }
    const Xy end = path.back();
    points.push_back({float(std::floor(end.x) + 0.5), float(std::floor(end.y) + 0.5), 1.0f, time});
    return points;
  }

  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  bool chance(double p) { return uniform(0, 1) < p; }
  double sign() { return chance(0.5) ? 1 : -1; }

 private:
  Xy somewhere() { return {uniform(300, 900), uniform(300, 700)}; }

  // The polyline cut into pieces of at most 2 pixels, so that the hand drifts along its
  // straight parts too.
  static std::vector<Xy> divided(const std::vector<Xy>& corners) {
    std::vector<Xy> out = {corners.front()};
    for (std::size_t i = 1; i < corners.size(); ++i) {
      const int pieces = std::max(1, int(std::ceil(distanceOf(corners[i - 1], corners[i]) / 2)));
      for (int k = 1; k <= pieces; ++k)
        out.push_back(corners[i - 1] + (double(k) / pieces) * (corners[i] - corners[i - 1]));
    }
    return out;
  }

  // A closed polygon drawn from one corner, either way round, each side bowed by up to
  // 2.5 % of its length. At each corner the hand either overshoots by up to 8 % of the
  // side and starts the next side from there (so the sides are a little skewed) or
  // rounds it off over up to 8 % of the side; the last side stops up to 10 % short of
  // the start or runs 12 % on.
  HandDrawn polygon(std::vector<Xy> corners) {
    if (chance(0.5)) std::reverse(corners.begin(), corners.end());
    std::rotate(corners.begin(), corners.begin() + random_() % corners.size(), corners.end());
    const std::size_t n = corners.size();
    double size = 0;
    for (std::size_t i = 0; i < n; ++i)
      size = std::max(size, distanceOf(corners[i], corners[(i + 1) % n]));
    std::vector<Xy> path;
    Xy at = corners[0];
    for (std::size_t i = 0; i < n; ++i) {
      const Xy corner = corners[(i + 1) % n], along = corner - corners[i];
      const double side = distanceOf(corner, corners[i]);
      const Xy direction = (1 / side) * along;
      Xy end = corner, next = corner;
      std::vector<Xy> turn;
      if (i + 1 == n) {
        end = next = corner + uniform(-0.1, 0.12) * along;
      } else if (chance(0.5)) {
        end = next = corner + uniform(0, 0.08) * along;
      } else {
        const Xy after = corners[(i + 2) % n] - corner;
        const double radius = uniform(0.02, 0.08) * std::min(side, distanceOf(after, {}));
        end = corner - radius * direction;
        next = corner + (radius / distanceOf(after, {})) * after;
        for (int k = 1; k < 8; ++k) {
          const double t = k / 8.0;
          turn.push_back((1 - t) * (1 - t) * end + 2 * t * (1 - t) * corner + t * t * next);
        }
      }
      const std::vector<Xy> piece = bowed(at, end, uniform(-0.025, 0.025));
      path.insert(path.end(), piece.begin() + (path.empty() ? 0 : 1), piece.end());
      path.insert(path.end(), turn.begin(), turn.end());
      if (next.x != end.x || next.y != end.y) path.push_back(next);
      at = next;
    }
    std::vector<Xy> intended = corners;
    intended.push_back(corners.front());
    return {trace(path, size), intended};
  }

  // The straight piece from `from` to `to` bowed sideways by `bow` of its length in the
  // middle, finely divided.
  static std::vector<Xy> bowed(Xy from, Xy to, double bow) {
    const double length = distanceOf(from, to);
    const int pieces = std::max(1, int(std::ceil(length / 2)));
    const Xy across = length > 0 ? Xy{-(to.y - from.y) / length, (to.x - from.x) / length} : Xy{};
    std::vector<Xy> out;
    for (int k = 0; k <= pieces; ++k) {
      const double t = double(k) / pieces;
      out.push_back(from + t * (to - from) + (4 * bow * length * t * (1 - t)) * across);
    }
    return out;
  }

  HandDrawn letter(std::vector<Xy> corners, double size) {
    return {trace(divided(placed(corners, uniform(-10, 10) * kDegree)), size), {}};
  }

  // The path turned by `angle` and moved onto the page.
  std::vector<Xy> placed(std::vector<Xy> path, double angle) {
    const Xy at = somewhere();
    for (Xy& p : path) p = at + rotatedBy(p, angle);
    return path;
  }

  // A smooth curve through the places (uniform Catmull-Rom), finely divided.
  static std::vector<Xy> curveThrough(const std::vector<Xy>& places) {
    std::vector<Xy> out;
    const std::size_t n = places.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
      const Xy p0 = places[i == 0 ? 0 : i - 1], p1 = places[i], p2 = places[i + 1],
               p3 = places[std::min(i + 2, n - 1)];
      for (int k = 0; k < 40; ++k) {
        const double t = k / 40.0, t2 = t * t, t3 = t2 * t;
        out.push_back(0.5 * (2 * p1 + t * (p2 - p0) + t2 * (2 * p0 - 5 * p1 + 4 * p2 - p3) +
                             t3 * (-1 * p0 + 3 * p1 - 3 * p2 + p3)));
      }
    }
    out.push_back(places.back());
    return out;
  }

  std::mt19937 random_;
};

}  // namespace fudekko::test
