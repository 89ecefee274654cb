// The recovery journal: what the user-interface thread pays to hand one finished stroke
// to the journal (a copy and a queue; the writer's thread encodes and writes), and what
// recovering a journal of 1,000 strokes on a full-HD page costs, with and without
// rendering them.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "journal/journal_recovery.h"
#include "journal/journal_writer.h"
#include "surface/handwriting_surface.h"

namespace {

using namespace fudekko;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

// The writer's thread appends to a sink that keeps nothing, so that memory stays flat
// however many iterations run.
class DiscardingSink : public JournalSink {
 public:
  void append(std::string_view bytes) override { benchmark::DoNotOptimize(bytes.data()); }
};

// A stroke of `count` points: a wavy line, 8 ms apart, shaken by up to `shake` pixels.
Stroke strokeOf(int count, float originX, float originY, std::mt19937& random, float shake = 0.5f) {
  std::uniform_real_distribution<float> wobble(-shake, shake);
  Stroke stroke{{StrokeTool::Pen, 0, 5, 96, false}, {}, {}, {}};
  for (int i = 0; i < count; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(count);
    stroke.points.push_back({originX + t * 30 + wobble(random),
                             originY + std::sin(t * 6.3f) * 5 + wobble(random), 1.0f,
                             static_cast<std::uint32_t>(i * 8)});
  }
  stroke.bounds = {static_cast<std::int32_t>(originX) - 8, static_cast<std::int32_t>(originY) - 12,
                   static_cast<std::int32_t>(originX) + 40,
                   static_cast<std::int32_t>(originY) + 12};
  return stroke;
}

void journal_append_stroke_300_points(benchmark::State& state) {
  std::mt19937 random(3);
  const Stroke stroke = strokeOf(300, 100, 100, random);
  JournalWriter writer(std::make_unique<DiscardingSink>());
  for (auto _ : state) {
    writer.append(stroke);
    // Untimed: the queue stays short, as one stroke at a time leaves it.
    state.PauseTiming();
    writer.drain();
    state.ResumeTiming();
  }
}
BENCHMARK(journal_append_stroke_300_points)->Unit(benchmark::kMicrosecond);

// The writer thread's share for the same stroke: framing and checksum.
void journal_encode_stroke_300_points(benchmark::State& state) {
  std::mt19937 random(3);
  const JournalRecord stroke = strokeOf(300, 100, 100, random);
  for (auto _ : state) benchmark::DoNotOptimize(encodeJournalRecord(stroke));
}
BENCHMARK(journal_encode_stroke_300_points)->Unit(benchmark::kMicrosecond);

// A session's journal: the draft, its text, the text area's picture (mostly white, with
// lines of "text"), and 1,000 kana-sized strokes of 41 points in cells across the page.
std::string journalOf1000Strokes() {
  std::string bytes = encodeJournalRecord(JournalFormat{}) +
                      encodeJournalRecord(DraftIdentity{"C:\\mail.txt", 1000, 1}) +
                      encodeJournalRecord(TextReset{std::wstring(2000, L'あ')}) +
                      encodeJournalRecord(ModeChange{true, kWidth + 16, kHeight + 80});
  Picture text(PixelFormat::Device, kWidth, kHeight);
  text.setBrushColor(kWhite);
  text.fillRect({0, 0, kWidth, kHeight});
  for (std::int32_t line = 0; line < 40; ++line)
    text.fillRect({8, line * 24 + 6, 1200, line * 24 + 18});
  bytes += encodeJournalRecord(textPictureOf(text));
  std::mt19937 random(7);
  for (int i = 0; i < 1000; ++i) {
    bytes += encodeJournalRecord(strokeOf(41, static_cast<float>((i % 40) * 48 + 9),
                                          static_cast<float>((i / 40) * 43 + 21), random));
  }
  return bytes;
}

void journal_recover_1000_strokes(benchmark::State& state) {
  const std::string bytes = journalOf1000Strokes();
  state.counters["journal_bytes"] = static_cast<double>(bytes.size());
  for (auto _ : state) benchmark::DoNotOptimize(recoverWork(bytes));
}
BENCHMARK(journal_recover_1000_strokes)->Unit(benchmark::kMillisecond);

// The same, then the picture and the strokes restored onto a surface and rendered, as
// the window does after Yes.
void journal_recover_and_render_1000_strokes(benchmark::State& state) {
  const std::string bytes = journalOf1000Strokes();
  for (auto _ : state) {
    RecoveredWork work = recoverWork(bytes);
    HandwritingSurface surface;
    surface.setSmoothInk(state.range(0) != 0);
    surface.createLayers(kWidth, kHeight);
    JournaledTextPicture picture(*work.textPicture);
    surface.enterHandwriting(picture, kWidth, kHeight);
    benchmark::DoNotOptimize(surface.restoreStrokes(std::move(work.strokes)));
  }
  state.SetLabel(state.range(0) ? "smooth ink" : "classic ink");
}
BENCHMARK(journal_recover_and_render_1000_strokes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
