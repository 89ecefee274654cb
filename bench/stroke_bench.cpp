// The ink as a list of strokes: erasing one stroke, rendering all, undoing one, among
// 1,000 handwritten strokes on a full-HD page, beside one plain copy of an ink layer;
// and the memory a step keeps beside what a step of before-and-after pixels kept.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/ink.h"
#include "surface/mouse_strokes.h"

namespace {

using namespace fudekko;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;
constexpr int kStrokes = 1000;

// Where each stroke lies: a cell of 48 x 43 pixels, 40 across and 25 down the page.
Point cellOrigin(int stroke) {
  return {(stroke % 40) * 48, (stroke / 40) * 43};
}

// One kana-sized stroke of 41 mouse positions: a wavy curve about 30 pixels long in the
// middle of its cell, apart from its neighbours by more than the eraser reaches.
std::vector<Point> handwrittenStroke(int index, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0, 1);
  const Point origin = cellOrigin(index);
  const double angle = unit(random) * 6.283, bend = unit(random) * 3 - 1.5;
  std::vector<Point> points;
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0;
    const double along = (t - 0.5) * 30, across = std::sin(t * 3.1416 * bend) * 5;
    points.push_back(
        {origin.x + 24 +
             static_cast<std::int32_t>(along * std::cos(angle) - across * std::sin(angle)),
         origin.y + 21 +
             static_cast<std::int32_t>(along * std::sin(angle) + across * std::cos(angle))});
  }
  return points;
}

void drawStroke(HandwritingSurface& surface, const std::vector<Point>& points) {
  MouseStrokes mouse(surface);
  mouse.press(kLeftButton, points.front());
  for (std::size_t i = 1; i + 1 < points.size(); ++i) mouse.move(kLeftButton, points[i]);
  mouse.release(points.back());
}

struct Page {
  explicit Page(bool smooth) {
    surface.setSmoothInk(smooth);
    surface.createLayers(kWidth, kHeight);
    surface.setStartPen({0, kDefaultPenWidth});
    std::mt19937 random(7);
    for (int i = 0; i < kStrokes; ++i) {
      strokes.push_back(handwrittenStroke(i, random));
      drawStroke(surface, strokes.back());
    }
  }
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
  std::vector<std::vector<Point>> strokes;
};

const char* inkName(const benchmark::State& state) {
  return state.range(0) ? "smooth ink" : "classic ink";
}

// A click of the stroke eraser on one stroke in the middle of the page (undone between
// the runs, untimed).
void stroke_erase(benchmark::State& state) {
  Page page(state.range(0) != 0);
  page.surface.chooseTool(ChosenTool::Eraser);
  page.surface.setEraserKind(EraserKind::Stroke);
  const std::vector<Point>& target = page.strokes[kStrokes / 2];
  const Point middle = target[target.size() / 2];
  std::size_t left = 0;
  for (auto _ : state) {
    page.mouse.press(kLeftButton, middle);
    benchmark::DoNotOptimize(page.mouse.release(middle));
    left = page.surface.strokes().size();
    state.PauseTiming();
    page.surface.undo();
    state.ResumeTiming();
  }
  state.counters["strokes_erased"] = double(kStrokes - left);
  state.SetLabel(inkName(state));
}

// Every stroke rendered from scratch into an empty ink, and the composite rebuilt.
void render_all(benchmark::State& state) {
  const bool smooth = state.range(0) != 0;
  Page page(smooth);
  Picture background, composite;
  for (Picture* layer : {&background, &composite}) layer->setSize(kWidth, kHeight);
  std::unique_ptr<Ink> ink = makeInk(smooth, kWidth, kHeight, background, composite);
  const Rect all{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    ink->redraw(all, page.surface.strokes());
    benchmark::DoNotOptimize(ink->compose(all));
  }
  state.SetLabel(inkName(state));
}

// What render_all is compared with: one plain copy of a four-byte-per-pixel layer.
void plain_layer_copy(benchmark::State& state) {
  std::vector<std::uint32_t> from(std::size_t(kWidth) * kHeight, 0x00FFFFFF), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
    benchmark::ClobberMemory();
  }
}

// Undo of the last stroke among 1,000, then its redo.
void undo_stroke(benchmark::State& state) {
  Page page(state.range(0) != 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(page.surface.undo());
    benchmark::DoNotOptimize(page.surface.redo());
  }
  state.SetLabel(std::string(inkName(state)) + ", undo then redo");
}

// The memory of a step: a stroke's points, against the before-and-after rectangles of
// four-byte pixels that a step of a pixel history keeps for the same stroke.
void step_memory(benchmark::State& state) {
  Page page(true);
  double pointBytes = 0, points = 0, pixelBytes = 0;
  for (auto _ : state) {
    pointBytes = points = pixelBytes = 0;
    for (const Stroke& stroke : page.surface.strokes()) {
      pointBytes += double(stroke.bytes());
      points += double(stroke.points.size());
      pixelBytes += 2.0 * 4 * stroke.bounds.width() * stroke.bounds.height();
    }
  }
  state.counters["step_bytes"] = pointBytes / kStrokes;
  state.counters["bytes_per_point"] = pointBytes / points;
  state.counters["pixel_step_bytes"] = pixelBytes / kStrokes;
}

BENCHMARK(stroke_erase)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(render_all)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(plain_layer_copy)->Unit(benchmark::kMillisecond);
BENCHMARK(undo_stroke)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(step_memory)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
