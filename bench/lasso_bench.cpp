// The lasso on a full-HD page of handwriting: a hand-drawn loop of 400 points around
// the middle of the page, taking the strokes it circles from among 1,000 or 10,000.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "surface/lasso.h"

namespace {

using namespace fudekko;

constexpr double kWidth = 1920;
constexpr double kHeight = 1080;

// `count` kana-sized strokes of 41 points, wavy curves in a grid of cells filling the
// page, each with the bounds the ink would give a 3-pixel pen.
std::vector<Stroke> page(int count) {
  const int columns = int(std::lround(std::sqrt(count * kWidth / kHeight)));
  const int rows = (count + columns - 1) / columns;
  const double cellWidth = kWidth / columns, cellHeight = kHeight / rows;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<Stroke> strokes(count);
  for (int i = 0; i < count; ++i) {
    const double centreX = (i % columns + 0.5) * cellWidth,
                 centreY = (i / columns + 0.5) * cellHeight;
    const double angle = unit(random) * 2 * std::numbers::pi, bend = unit(random) * 3 - 1.5;
    const double length = 0.6 * std::min(cellWidth, cellHeight);
    Stroke& stroke = strokes[i];
    double left = centreX, right = centreX, top = centreY, bottom = centreY;
    for (int k = 0; k <= 40; ++k) {
      const double t = k / 40.0;
      const double along = (t - 0.5) * length;
      const double across = std::sin(t * std::numbers::pi * bend) * length / 6;
      const double x = centreX + along * std::cos(angle) - across * std::sin(angle);
      const double y = centreY + along * std::sin(angle) + across * std::cos(angle);
      stroke.points.push_back({float(x), float(y), 1, std::uint32_t(k * 8)});
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
    stroke.bounds = {std::int32_t(left) - 2, std::int32_t(top) - 2, std::int32_t(right) + 3,
                     std::int32_t(bottom) + 3};
  }
  return strokes;
}

// A wobbly loop of 400 points round the middle third of the page.
std::vector<StrokePoint> handDrawnLoop() {
  std::vector<StrokePoint> loop;
  for (int i = 0; i < 400; ++i) {
    const double t = i * 2 * std::numbers::pi / 400;
    const double wobble = 1 + 0.04 * std::sin(5 * t) + 0.02 * std::sin(13 * t);
    loop.push_back({float(kWidth / 2 + wobble * kWidth / 5 * std::cos(t)),
                    float(kHeight / 2 + wobble * kHeight / 5 * std::sin(t)), 1,
                    std::uint32_t(i * 8)});
  }
  return loop;
}

void selectAmong(benchmark::State& state, int count) {
  const std::vector<Stroke> strokes = page(count);
  const std::vector<StrokePoint> loop = handDrawnLoop();
  std::size_t selected = 0;
  for (auto _ : state) {
    const Lasso lasso(loop);
    selected = selectedStrokes(lasso, strokes).size();
    benchmark::DoNotOptimize(selected);
  }
  state.counters["selected"] = double(selected);
}

// The loop is built inside the timing: it is part of what each lasso costs.
void lasso_select_among_1000_strokes(benchmark::State& state) {
  selectAmong(state, 1000);
}
void lasso_select_among_10000_strokes(benchmark::State& state) {
  selectAmong(state, 10000);
}

BENCHMARK(lasso_select_among_1000_strokes)->Unit(benchmark::kMicrosecond);
BENCHMARK(lasso_select_among_10000_strokes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
