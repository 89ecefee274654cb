// The GIF path that Send takes (reduction to the cube, run-length coding, writing to
// memory) against libgif's LZW encoder writing the same 8-bit indices, the reduction
// alone, and a plain copy of the picture's bytes. Rates count the 32-bit input bytes.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>
#include <vector>

#include "gif/color_reduction.h"
#include "gif/gif_writer.h"
#include "imaging/picture.h"

namespace fudekko {
namespace {

// Lines of word-like black blocks on white, with coloured pen strokes over them.
Picture textWithHandwriting() {
  Picture picture(PixelFormat::Device, 1920, 1080);
  picture.fillRect({0, 0, 1920, 1080});
  std::mt19937 random(1);
  picture.setBrushColor(kBlack);
  for (int line = 0; line * 18 + 20 < 1080; ++line) {
    int x = 8;
    const int y = 6 + line * 18;
    while (x < 1800) {
      const int word = 6 + int(random() % 60);
      for (int c = 0; c + 7 <= word; c += 8) {
        // a glyph: a few strokes of a 7 x 12 cell
        picture.fillRect({x + c, y, x + c + 1, y + 12});
        picture.fillRect({x + c, y + int(random() % 12), x + c + 6, y + int(random() % 12) + 1});
        picture.fillRect({x + c + 5, y + 2, x + c + 6, y + 10});
      }
      x += word + 7;
    }
  }
  const Color inks[] = {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 128, 0), rgb(255, 0, 255)};
  for (int stroke = 0; stroke < 60; ++stroke) {
    picture.setPenColor(inks[stroke % 4]);
    picture.setPenWidth(1 + stroke % 4 * 2);
    Point at{int(random() % 1920), int(random() % 1080)};
    picture.moveTo(at);
    for (int segment = 0; segment < 40; ++segment) {
      at.x = std::clamp(at.x + int(random() % 41) - 20, 0, 1919);
      at.y = std::clamp(at.y + int(random() % 41) - 20, 0, 1079);
      picture.lineTo(at);
    }
  }
  return picture;
}

Picture whiteScreen() {
  Picture picture(PixelFormat::Device, 640, 480);
  picture.fillRect({0, 0, 640, 480});
  return picture;
}

// Gradients with noise: few runs, the coder's worst case.
Picture photoLike() {
  Picture picture(PixelFormat::Device, 1920, 1080);
  std::mt19937 random(2);
  for (int y = 0; y < 1080; ++y) {
    std::uint8_t* row = picture.scanLine(y);
    for (int x = 0; x < 1920; ++x) {
      const int noise = int(random() % 61) - 30;
      row[4 * x] = static_cast<std::uint8_t>(std::clamp(x * 255 / 1919 + noise, 0, 255));
      row[4 * x + 1] = static_cast<std::uint8_t>(std::clamp(y * 255 / 1079 - noise, 0, 255));
      row[4 * x + 2] = static_cast<std::uint8_t>(std::clamp((x + y) / 12 + noise, 0, 255));
    }
  }
  return picture;
}

const Picture& sample(int which) {
  static const Picture pictures[] = {textWithHandwriting(), whiteScreen(), photoLike()};
  return pictures[which];
}

const char* sampleName(int which) {
  static const char* names[] = {"text+ink 1920x1080", "white 640x480", "photo-like 1920x1080"};
  return names[which];
}

// Memory output whose buffer is kept from one iteration to the next, so that both
// encoders are timed without the growth of a fresh vector.
class ReusedSink : public ByteSink {
 public:
  void write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
  }
  void clear() { bytes_.clear(); }
  std::size_t size() const { return bytes_.size(); }
  const std::uint8_t* data() const { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

void report(benchmark::State& state, const Picture& picture, std::size_t outputBytes) {
  state.SetLabel(sampleName(static_cast<int>(state.range(0))));
  state.SetBytesProcessed(std::int64_t(state.iterations()) * picture.width() * picture.height() *
                          4);
  state.counters["output_bytes"] = static_cast<double>(outputBytes);
}

void BM_OurGifPath(benchmark::State& state) {
  const Picture& picture = sample(static_cast<int>(state.range(0)));
  ReusedSink sink;
  for (auto _ : state) {
    sink.clear();
    writeGif(picture, sink);
    benchmark::DoNotOptimize(sink.data());
  }
  const std::size_t size = sink.size();
  report(state, picture, size);
}

void BM_LibgifSameIndices(benchmark::State& state) {
  const Picture& picture = sample(static_cast<int>(state.range(0)));
  const std::size_t width = static_cast<std::size_t>(picture.width());
  std::vector<std::uint8_t> indices(width * picture.height());
  reduceToCube(picture, indices.data(), width);
  const std::vector<PaletteEntry> palette = cubePalette();
  std::vector<GifColorType> colors(256);
  for (int i = 0; i < 256; ++i) colors[i] = {palette[i].red, palette[i].green, palette[i].blue};
  std::vector<GifByteType> row(static_cast<std::size_t>(picture.width()));
  ReusedSink out;
  for (auto _ : state) {
    out.clear();
    auto write = [](GifFileType* gif, const GifByteType* data, int length) -> int {
      static_cast<ReusedSink*>(gif->UserData)->write(data, static_cast<std::size_t>(length));
      return length;
    };
    int error = 0;
    GifFileType* gif = EGifOpen(&out, write, &error);
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifPutScreenDesc(gif, picture.width(), picture.height(), 8, 0, nullptr);
    EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), false, map);
    for (int y = 0; y < picture.height(); ++y) {
      std::memcpy(row.data(), indices.data() + y * width, row.size());
      if (EGifPutLine(gif, row.data(), picture.width()) != GIF_OK) state.SkipWithError("libgif");
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    benchmark::DoNotOptimize(out.data());
  }
  const std::size_t size = out.size();
  report(state, picture, size);
}

// The reduction as the GIF path runs it: indices written into the frame's buffer.
void BM_ReductionOnly(benchmark::State& state) {
  const Picture& picture = sample(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> indices(std::size_t(picture.width()) * picture.height());
  for (auto _ : state) {
    reduceToCube(picture, indices.data(), static_cast<std::size_t>(picture.width()));
    benchmark::DoNotOptimize(indices.data());
    benchmark::ClobberMemory();
  }
  report(state, picture, indices.size());
}

void BM_PlainCopy(benchmark::State& state) {
  const Picture& picture = sample(static_cast<int>(state.range(0)));
  const std::size_t bytes = picture.stride() * std::size_t(picture.height());
  std::vector<std::uint8_t> copy(bytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), picture.scanLine(0), bytes);
    benchmark::ClobberMemory();
  }
  report(state, picture, bytes);
}

BENCHMARK(BM_OurGifPath)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibgifSameIndices)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReductionOnly)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopy)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fudekko

BENCHMARK_MAIN();
