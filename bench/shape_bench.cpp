// The shape recogniser on hand-drawn strokes of 500 points, one of each kind and a
// scribble: the time from the freehand stroke to the clean shape (or none).

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "support/hand_drawn_strokes.h"
#include "surface/shape_recognizer.h"

namespace {

using namespace fudekko;
using test::HandDrawn;
using test::HandDrawnStrokes;

// The stroke as a mouse that sent exactly `count` positions along the same path would
// give it: each point interpolated at an even share of the original's points.
std::vector<StrokePoint> withPointCount(const std::vector<StrokePoint>& points, int count) {
  std::vector<StrokePoint> out;
  for (int i = 0; i < count; ++i) {
    const double at = double(i) * double(points.size() - 1) / (count - 1);
    const std::size_t k = std::min(std::size_t(at), points.size() - 2);
    const float t = float(at - double(k));
    const StrokePoint a = points[k], b = points[k + 1];
    out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), 1,
                   a.time + std::uint32_t(t * float(b.time - a.time))});
  }
  return out;
}

struct Kind {
  const char* name;
  HandDrawn (*draw)(HandDrawnStrokes&);
};

const Kind kKinds[] = {
    {"line", [](HandDrawnStrokes& h) { return h.line(); }},
    {"circle", [](HandDrawnStrokes& h) { return h.ellipse(0.9, 1.0); }},
    {"ellipse", [](HandDrawnStrokes& h) { return h.ellipse(0.3, 0.7); }},
    {"rectangle", [](HandDrawnStrokes& h) { return h.rectangle(); }},
    {"triangle", [](HandDrawnStrokes& h) { return h.triangle(); }},
    {"arrow", [](HandDrawnStrokes& h) { return h.arrow(); }},
    {"scribble (none)", [](HandDrawnStrokes& h) { return h.scribble(); }},
};

void recognise_500_point_stroke(benchmark::State& state) {
  const Kind& kind = kKinds[state.range(0)];
  HandDrawnStrokes hand(3);
  const std::vector<StrokePoint> stroke = withPointCount(kind.draw(hand).points, 500);
  for (auto _ : state) benchmark::DoNotOptimize(recognizeShape(stroke));
  state.SetLabel(kind.name);
}

BENCHMARK(recognise_500_point_stroke)
    ->DenseRange(0, std::size(kKinds) - 1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
