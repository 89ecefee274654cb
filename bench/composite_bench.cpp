// Recompositing against a plain copy of the same bytes: one stroke segment (drawn and
// recomposited, as a mouse move does it) and the whole picture (as a mode change).

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "imaging/picture.h"
#include "surface/compositing.h"

namespace {

using fudekko::Picture;
using fudekko::Point;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

Picture layer(fudekko::Color color) {
  Picture picture;
  picture.setBrushColor(color);
  picture.setSize(kWidth, kHeight);
  return picture;
}

// Text-like background and ink strokes over about a tenth of the picture.
struct Layers {
  Picture ink = layer(fudekko::kWhite);
  Picture background = layer(fudekko::kWhite);
  Picture composite = layer(fudekko::kWhite);
  Layers() {
    background.setPenColor(0x000000);
    for (std::int32_t y = 8; y < kHeight; y += 16) {
      background.moveTo({0, y});
      background.lineTo({kWidth - 1, y});
    }
    ink.setPenWidth(5);
    ink.setPenColor(0x0000FF);
    for (std::int32_t x = 0; x < kWidth; x += 40) {
      ink.moveTo({x, 0});
      ink.lineTo({x + 200, kHeight - 1});
    }
  }
};

// A horizontal segment 100 pixels long at pen width 5, drawn then recomposited.
void BM_SegmentRecomposite(benchmark::State& state) {
  Layers layers;
  layers.ink.setPenWidth(5);
  layers.ink.setPenColor(0xFF0000);
  std::int32_t y = 100;
  for (auto _ : state) {
    const Point from{500, y};
    const Point to{600, y};
    layers.ink.moveTo(from);
    layers.ink.lineTo(to);
    benchmark::DoNotOptimize(
        fudekko::recomposite(layers.ink, layers.background, layers.composite, from, to));
    y = y >= kHeight - 100 ? 100 : y + 3;
  }
}
BENCHMARK(BM_SegmentRecomposite);

// The same rectangle (110 x 10 pixels) of the three layers copied row by row.
void BM_SegmentPlainCopy(benchmark::State& state) {
  Layers layers;
  std::vector<std::uint8_t> scratch(3 * 4 * 110);
  std::int32_t y = 100;
  for (auto _ : state) {
    for (std::int32_t row = y - 5; row < y + 5; ++row) {
      std::memcpy(scratch.data(), layers.ink.scanLine(row) + 4 * 495, 4 * 110);
      std::memcpy(scratch.data() + 440, layers.background.scanLine(row) + 4 * 495, 4 * 110);
      std::memcpy(layers.composite.scanLine(row) + 4 * 495, scratch.data() + 880, 4 * 110);
    }
    benchmark::ClobberMemory();
    y = y >= kHeight - 100 ? 100 : y + 3;
  }
}
BENCHMARK(BM_SegmentPlainCopy);

void BM_FullRecomposite(benchmark::State& state) {
  Layers layers;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fudekko::recomposite(layers.ink, layers.background, layers.composite,
                                                  {0, 0}, {kWidth, kHeight}));
  }
  state.SetBytesProcessed(state.iterations() * 3 * std::int64_t(kWidth) * kHeight * 4);
}
BENCHMARK(BM_FullRecomposite)->Unit(benchmark::kMicrosecond);

// One copy of as many bytes as the three layers hold.
void BM_FullPlainCopy(benchmark::State& state) {
  const std::size_t bytes = 3 * std::size_t(kWidth) * kHeight * 4;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(bytes));
}
BENCHMARK(BM_FullPlainCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
