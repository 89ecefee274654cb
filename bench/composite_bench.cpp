// Recompositing against a plain copy of the same bytes: one stroke segment (drawn and
// recomposited, as a mouse move does it) and the whole picture (as a mode change),
// for the classic aliased ink and the smooth anti-aliased ink side by side.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/picture.h"
#include "surface/brush_pressure.h"
#include "surface/compositing.h"
#include "surface/ink_layer.h"
#include "surface/ink_rasterizer.h"
#include "surface/stroke_smoother.h"

namespace {

using fudekko::InkLayer;
using fudekko::InkPoint;
using fudekko::InkRasterizer;
using fudekko::Picture;
using fudekko::Point;
using fudekko::Rect;

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

// The same strokes as smooth ink.
struct SmoothLayers {
  InkLayer ink{kWidth, kHeight};
  Picture background = Layers().background;
  Picture composite = layer(fudekko::kWhite);
  InkRasterizer rasterizer;
  SmoothLayers() {
    rasterizer.beginStroke(ink, 0x0000FF, fudekko::InkBlend::Over, 5);
    for (std::int32_t x = 0; x < kWidth; x += 40) {
      rasterizer.segment({x + 0.5, 0.5}, {x + 200.5, kHeight - 0.5});
    }
    rasterizer.endStroke();
    recompositeChanged();
  }
  // As the surface does it: the changed pixels of each row.
  void recompositeChanged() {
    rasterizer.takeChangedRows([this](std::int32_t y, std::int32_t left, std::int32_t right) {
      fudekko::recomposite(ink, background, composite, {left, y, right, y + 1});
    });
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

// The same segment anti-aliased, within a stroke, then its rectangle recomposited;
// also at 30 degrees, where each of a diagonal's rows is a short span.
void BM_SmoothSegmentRecomposite(benchmark::State& state, double dx, double dy) {
  SmoothLayers layers;
  layers.rasterizer.beginStroke(layers.ink, 0xFF0000, fudekko::InkBlend::Over, 5);
  std::int32_t y = 100;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        layers.rasterizer.segment({500.5, y + 0.5}, {500.5 + dx, y + 0.5 + dy}));
    layers.recompositeChanged();
    y = y >= kHeight - 100 ? 100 : y + 3;
  }
  layers.rasterizer.endStroke();
}
BENCHMARK_CAPTURE(BM_SmoothSegmentRecomposite, horizontal, 100.0, 0.0);
BENCHMARK_CAPTURE(BM_SmoothSegmentRecomposite, diagonal, 86.6, 50.0);

// A whole stroke of 1,000 mouse positions (a spiral, 4 to 10 pixels apart), each
// position drawn and recomposited as the surface does it.
std::vector<Point> spiral() {
  std::vector<Point> points;
  for (int i = 0; i < 1000; ++i) {
    const double angle = i * 0.05, radius = 80 + i * 0.4;
    points.push_back({static_cast<std::int32_t>(960 + radius * std::cos(angle)),
                      static_cast<std::int32_t>(540 + radius * std::sin(angle))});
  }
  return points;
}

void BM_ClassicStroke1000(benchmark::State& state) {
  Layers layers;
  const std::vector<Point> points = spiral();
  layers.ink.setPenWidth(5);
  layers.ink.setPenColor(0xFF0000);
  for (auto _ : state) {
    layers.ink.moveTo(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) {
      layers.ink.lineTo(points[i]);
      benchmark::DoNotOptimize(fudekko::recomposite(layers.ink, layers.background, layers.composite,
                                                    points[i - 1], points[i]));
    }
  }
}
BENCHMARK(BM_ClassicStroke1000)->Unit(benchmark::kMicrosecond);

void BM_SmoothStroke1000(benchmark::State& state) {
  SmoothLayers layers;
  const std::vector<Point> points = spiral();
  fudekko::StrokeSmoother smoother;
  std::vector<InkPoint> path;
  for (auto _ : state) {
    layers.rasterizer.beginStroke(layers.ink, 0xFF0000, fudekko::InkBlend::Over, 5);
    InkPoint last = fudekko::pixelCentre(points[0]);
    const auto draw = [&] {
      for (const InkPoint& point : path) {
        benchmark::DoNotOptimize(layers.rasterizer.segment(last, point));
        last = point;
      }
      path.clear();
      layers.recompositeChanged();
    };
    smoother.begin(last, path);
    draw();
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
      smoother.add(fudekko::pixelCentre(points[i]), path);
      draw();
    }
    smoother.end(fudekko::pixelCentre(points.back()), path);
    draw();
    layers.rasterizer.endStroke();
  }
}
BENCHMARK(BM_SmoothStroke1000)->Unit(benchmark::kMicrosecond);

// One mouse move of a brush stroke as the surface draws it, with the ink reaching the
// pointer: the pressure of the new position, the provisional ink taken back, the newly
// settled curve drawn for good and the tail drawn provisionally, each piece with the
// brush's radius, then the changed rows recomposited. The widest pen (7) at 200 %
// scaling: diameter 14.
//
// The end's taper depends on where the stroke will end. Without `taperLive` only the
// start tapers while the stroke goes on (the end is drawn again on release). With it
// the curve within the end's taper of the pointer is drawn provisionally too, tapered
// as if the stroke ended at the pointer; a piece is final once it lies farther than
// the taper from the end of the settled curve (and the curve is longer than both
// tapers), as no later position changes its radius then, so the stroke drawn live
// equals the stroke drawn again from its points.
void BM_MoveBrush(benchmark::State& state, bool taperLive) {
  constexpr double kDiameter = 14;
  constexpr int kDpi = 192;
  const double endTaper = taperLive ? fudekko::kEndTaperWidths * kDiameter : 0;
  // Shorter strokes keep more width at their ends.
  const double startAndEndTaper = taperLive ? endTaper + fudekko::kStartTaperWidths * kDiameter : 0;
  SmoothLayers layers;
  // A long loop of positions 2 to 14 pixels apart, 8 ms apart: slow and fast writing.
  std::vector<fudekko::PenSample> samples;
  for (int i = 0; i < 4000; ++i) {
    const double angle = i * 0.04, radius = 200 + 150 * std::sin(i * 0.013);
    samples.push_back({std::floor(960 + radius * std::cos(angle)) + 0.5,
                       std::floor(540 + radius * std::sin(angle)) + 0.5, i * 8.0});
  }
  fudekko::StrokeSmoother smoother;
  fudekko::SpeedPressure pressure(kDpi);
  // The settled curve and the provisional tail, each point with its distance from the
  // start; the settled points before `finalPoints` are drawn for good.
  std::vector<fudekko::CarriedPoint> path, tail;
  std::vector<double> along, tailAlong;
  std::size_t finalPoints = 0;
  const auto measure = [](const std::vector<fudekko::CarriedPoint>& points,
                          std::vector<double>& lengths, std::size_t from) {
    for (std::size_t i = from; i < points.size(); ++i) {
      lengths.push_back(lengths[i - 1] + std::hypot(points[i].at.x - points[i - 1].at.x,
                                                    points[i].at.y - points[i - 1].at.y));
    }
  };
  // The piece from point i - 1 to point i of a stroke that ends `end` past its start.
  const auto draw = [&](const std::vector<fudekko::CarriedPoint>& points,
                        const std::vector<double>& lengths, std::size_t i, double end,
                        bool provisional) {
    const auto radius = [&](std::size_t at) {
      return fudekko::brushRadius(kDiameter, points[at].value,
                                  fudekko::brushTaper(lengths[at], end - lengths[at], kDiameter));
    };
    if (provisional) {
      layers.rasterizer.provisionalSegment(points[i - 1].at, radius(i - 1), points[i].at,
                                           radius(i));
    } else {
      layers.rasterizer.segment(points[i - 1].at, radius(i - 1), points[i].at, radius(i));
    }
  };
  const auto begin = [&] {
    layers.rasterizer.endStroke();
    layers.rasterizer.beginStroke(layers.ink, 0xFF0000, fudekko::InkBlend::Over, kDiameter);
    smoother = {};
    pressure = fudekko::SpeedPressure(kDpi);
    path.clear();
    along.assign(1, 0);
    finalPoints = 1;
    const fudekko::PenSample& first = samples[0];
    smoother.begin({{first.x, first.y}, pressure.next(first)}, path);
  };
  begin();
  std::size_t next = 1;
  for (auto _ : state) {
    if (next == samples.size()) {
      state.PauseTiming();
      begin();
      next = 1;
      state.ResumeTiming();
    }
    const fudekko::PenSample& sample = samples[next++];
    const std::size_t settledBefore = path.size();
    smoother.add({{sample.x, sample.y}, pressure.next(sample)}, path);
    measure(path, along, settledBefore);
    tail.clear();
    smoother.provisionalTail(tail);
    tailAlong.assign(1, along.back());
    measure(tail, tailAlong, 1);
    const double end = taperLive ? tailAlong.back() : 1e9;

    layers.rasterizer.retractProvisional();
    for (; finalPoints < path.size() && along.back() - along[finalPoints] >= endTaper &&
           along.back() >= startAndEndTaper;
         ++finalPoints) {
      draw(path, along, finalPoints, 1e9, false);
    }
    for (std::size_t i = finalPoints; i < path.size(); ++i) draw(path, along, i, end, true);
    for (std::size_t i = 1; i < tail.size(); ++i) draw(tail, tailAlong, i, end, true);
    layers.recompositeChanged();
  }
  layers.rasterizer.endStroke();
}
BENCHMARK_CAPTURE(BM_MoveBrush, end_tapered_on_release, false)
    ->Name("move_brush")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MoveBrush, end_tapered_live, true)
    ->Name("move_brush_end_tapered_live")
    ->Unit(benchmark::kMicrosecond);

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

void BM_SmoothFullRecomposite(benchmark::State& state) {
  SmoothLayers layers;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fudekko::recomposite(layers.ink, layers.background, layers.composite,
                                                  {0, 0, kWidth, kHeight}));
  }
  state.SetBytesProcessed(state.iterations() * 3 * std::int64_t(kWidth) * kHeight * 4);
}
BENCHMARK(BM_SmoothFullRecomposite)->Unit(benchmark::kMicrosecond);

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
