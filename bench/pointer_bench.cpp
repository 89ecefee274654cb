// One pen update as the window gets it: a pointer message carrying 8 merged samples,
// turned into ink with the pen's pressure and recomposited, with the widest pen at 200 %
// scaling (40 pixels wide) on a 1600 x 1200 page; the even pen and the brush, and the
// widest highlighter (96 pixels at 200 %).

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "surface/handwriting_surface.h"
#include "surface/pointer_input.h"

namespace {

using namespace fudekko;

constexpr int kSamplesPerUpdate = 8;
// Pixels between two samples: brisk writing at a pen's report rate.
constexpr double kStep = 3;
constexpr int kUpdatesPerStroke = 200;

// Hands out the frames of the next update, as the system does while a message is handled.
class Frames : public PointerSource {
 public:
  std::optional<PointerFrames> read(std::uint32_t) override { return next; }
  PointerFrames next{PointerKind::Pen, {}};
};

PenFrame sampleAt(int index, std::uint32_t flags) {
  // Around a circle in the middle of the page, the pressure swelling and ebbing.
  const double angle = index * kStep / 400;
  PenFrame frame;
  frame.pointerFlags = flags;
  frame.penMask = kPenMaskPressure;
  frame.pressure = static_cast<std::uint32_t>(600 + 400 * std::sin(index * 0.05));
  frame.precise = true;
  frame.x = 800 + 400 * std::cos(angle);
  frame.y = 600 + 400 * std::sin(angle);
  frame.pixel = {static_cast<std::int32_t>(frame.x), static_cast<std::int32_t>(frame.y)};
  frame.time = static_cast<std::uint32_t>(index * 4);
  return frame;
}

constexpr std::uint32_t kContact = kPointerInRange | kPointerInContact | kPointerFirstButton;

void pointer_update(benchmark::State& state) {
  HandwritingSurface surface;
  surface.setDpi(192);
  surface.setStartPen({0, kEraserWidth});
  surface.setBrushPen(state.range(0) == 1);
  surface.setStartHighlighter({kYellowIndex, kMaxHighlighterWidth});
  if (state.range(0) == 2) surface.chooseTool(ChosenTool::Highlighter);
  surface.createLayers(1600, 1200);
  Frames source;
  PenInput input;
  int sample = 0, updates = 0;
  const auto deliver = [&](PointerMessage message, std::vector<PenFrame> frames) {
    source.next.frames = std::move(frames);
    return input.deliver(source, message, 1, surface, {}, 0);
  };
  const auto down = [&] {
    deliver(PointerMessage::Down, {sampleAt(sample++, kContact | kPointerDown)});
  };
  down();
  for (auto _ : state) {
    std::vector<PenFrame> frames;
    for (int i = 0; i < kSamplesPerUpdate; ++i)
      frames.push_back(sampleAt(sample++, kContact | kPointerUpdate));
    source.next.frames.assign(frames.rbegin(), frames.rend());  // newest first
    benchmark::DoNotOptimize(input.deliver(source, PointerMessage::Update, 1, surface, {}, 0));
    if (++updates % kUpdatesPerStroke == 0) {
      // A new stroke now and then, so that the stroke being drawn stays of a usual length.
      state.PauseTiming();
      deliver(PointerMessage::Up, {sampleAt(sample, kPointerInRange | kPointerUp)});
      surface.undo();
      down();
      state.ResumeTiming();
    }
  }
  state.SetLabel(std::array{"even pen, pressure", "brush", "highlighter"}[state.range(0)]);
}
BENCHMARK(pointer_update)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
