// Undo and redo of one stroke on a full-HD picture, beside plain copies of the
// rectangle they restore, and the memory a step keeps beside that rectangle's bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "surface/handwriting_surface.h"

namespace {

using fudekko::HandwritingSurface;
using fudekko::Point;
using fudekko::Rect;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

// A surface with one 300-pixel stroke of width 7, drawn as a mouse would report it.
struct OneStroke {
  explicit OneStroke(bool smooth) {
    surface.setSmoothInk(smooth);
    surface.createLayers(kWidth, kHeight);
    surface.setStartPen({2, 7});
    surface.penDown(fudekko::kLeftButton, {800, 500});
    for (std::int32_t x = 806; x <= 1100; x += 6) {
      area = area.unite(surface.penMove(fudekko::kLeftButton, {x, 500 + (x % 12)}));
    }
    area = area.unite(surface.penUp(fudekko::kLeftButton, {1100, 500}));
  }
  HandwritingSurface surface;
  Rect area;
};

void undoThenRedo(benchmark::State& state) {
  OneStroke stroke(state.range(0) != 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(stroke.surface.undo());
    benchmark::DoNotOptimize(stroke.surface.redo());
  }
  state.counters["rect_px"] = double(stroke.area.width()) * stroke.area.height();
  state.SetLabel(state.range(0) ? "smooth ink" : "classic ink");
}

// The history's part alone: the rectangle put back into the ink and its own copy.
void historyUndoThenRedo(benchmark::State& state) {
  std::vector<std::uint32_t> ink(std::size_t(kWidth) * kHeight, 0x00FFFFFF);
  const fudekko::PixelRows rows{reinterpret_cast<std::uint8_t*>(ink.data()),
                                4 * std::size_t(kWidth), kWidth, kHeight};
  fudekko::StrokeHistory history;
  history.reset(rows);
  const Rect area = OneStroke(true).area;
  history.touched(area);
  history.endStroke(rows);
  for (auto _ : state) {
    benchmark::DoNotOptimize(history.undo(rows));
    benchmark::DoNotOptimize(history.redo(rows));
  }
  state.counters["rect_px"] = double(area.width()) * area.height();
}

// What undo and redo move at the least: the rectangle's four-byte pixels, into the ink
// and into the history's copy, each way.
void plainCopiesOfTheRectangle(benchmark::State& state) {
  OneStroke stroke(true);
  const Rect area = stroke.area;
  const std::size_t rowBytes = 4 * std::size_t(area.width());
  std::vector<std::uint8_t> saved(rowBytes * std::size_t(area.height()));
  std::vector<std::uint8_t> layer(4 * std::size_t(kWidth) * kHeight);
  for (auto _ : state) {
    for (int copy = 0; copy < 4; ++copy) {
      for (std::int32_t y = 0; y < area.height(); ++y) {
        std::memcpy(layer.data() + 4 * (std::size_t(area.top + y) * kWidth + area.left),
                    saved.data() + rowBytes * std::size_t(y), rowBytes);
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetLabel("4 copies, as undo then redo");
}

// The memory of one step, against the rectangle's own bytes.
void stepMemory(benchmark::State& state) {
  std::vector<std::uint32_t> ink(std::size_t(kWidth) * kHeight, 0x00FFFFFF);
  const fudekko::PixelRows rows{reinterpret_cast<std::uint8_t*>(ink.data()),
                                4 * std::size_t(kWidth), kWidth, kHeight};
  fudekko::StrokeHistory history;
  history.reset(rows);
  const Rect area{796, 492, 1104, 516};  // a 300-pixel stroke of width 7 and its reach
  for (auto _ : state) {
    history.touched(area);
    history.endStroke(rows);
    benchmark::DoNotOptimize(history.undo(rows));
  }
  state.counters["step_bytes"] = double(history.stepBytes()) / double(history.stepCount());
  state.counters["rect_bytes"] = 4.0 * area.width() * area.height();
}

BENCHMARK(undoThenRedo)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(historyUndoThenRedo)->Unit(benchmark::kMicrosecond);
BENCHMARK(plainCopiesOfTheRectangle)->Unit(benchmark::kMicrosecond);
BENCHMARK(stepMemory)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
