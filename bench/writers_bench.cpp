// The attachment writers against peers on the same pictures, in one run:
//   PNG: writePng at Send's level against libpng at zlib level 1, filter None, the
//        same zlib parameters and IDAT size, no extra chunks, written to memory. Ours
//        reads the 32-bit picture as Send does, libpng a 24-bit copy made beforehand.
//   BMP: the BMP writer against a plain copy of the file's bytes into the same buffer.
// Pictures: 1920 x 1080 text with handwriting over it, and 640 x 480 white.

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/errors.h"
#include "imaging/bmp_writer.h"
#include "imaging/png_writer.h"

namespace fudekko {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kSendPngLevel = 1;  // zlib level 1, as Send writes

// Rows of black glyph-like strokes on white, as a text snapshot looks, with coloured
// pen strokes of a few widths wandering over them.
Picture textWithHandwriting(std::int32_t width, std::int32_t height) {
  Picture picture(PixelFormat::Device, width, height);
  picture.setBrushColor(kWhite);
  picture.fillRect({0, 0, width, height});
  std::mt19937 random(2024);
  auto below = [&](std::int32_t n) { return static_cast<std::int32_t>(random() % n); };

  constexpr std::int32_t kCellWidth = 12, kLineHeight = 20, kMargin = 8;
  picture.setPenColor(kBlack);
  picture.setPenWidth(1);
  for (std::int32_t top = kMargin; top + kLineHeight <= height; top += kLineHeight) {
    const std::int32_t lineEnd = width - kMargin - below(width / 3);  // ragged right edge
    for (std::int32_t left = kMargin; left + kCellWidth <= lineEnd; left += kCellWidth) {
      if (below(6) == 0) continue;  // a space
      for (int stroke = 2 + below(4); stroke > 0; --stroke) {
        picture.moveTo({left + 1 + below(kCellWidth - 2), top + 2 + below(14)});
        picture.lineTo({left + 1 + below(kCellWidth - 2), top + 2 + below(14)});
      }
    }
  }

  const Color inks[] = {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 128, 0), rgb(255, 0, 255)};
  for (int stroke = 0; stroke < 40; ++stroke) {
    picture.setPenColor(inks[stroke % 4]);
    picture.setPenWidth(1 + 2 * below(4));
    Point at{below(width), below(height)};
    picture.moveTo(at);
    for (int segment = 0; segment < 120; ++segment) {
      at = {std::clamp(at.x + below(25) - 12, 0, width - 1),
            std::clamp(at.y + below(25) - 12, 0, height - 1)};
      picture.lineTo(at);
    }
  }
  return picture;
}

Picture white(std::int32_t width, std::int32_t height) {
  Picture picture(PixelFormat::Device, width, height);
  picture.setBrushColor(kWhite);
  picture.fillRect({0, 0, width, height});
  return picture;
}

struct Scene {
  Picture picture;
  Picture rgb24;  // libpng's input: the same pixels, blue, green, red
  Bytes bmpFile;
};

Scene* makeScene(Picture picture) {
  auto* scene = new Scene{std::move(picture), {}, {}};
  scene->rgb24 = scene->picture;
  scene->rgb24.convertTo24Bits();
  MemorySink sink;
  writeBmp(scene->picture, sink);
  scene->bmpFile = sink.bytes();
  return scene;
}

std::size_t rgbBytes(const Scene& scene) {
  return std::size_t(scene.picture.width()) * std::size_t(scene.picture.height()) * 3;
}

void appendToVector(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void noFlush(png_structp) {}

// libpng with our writer's settings, reading the same 24-bit rows (blue, green, red).
Bytes writeWithLibpng(const Picture& rgb24) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed");
  }
  png_set_write_fn(png, &out, appendToVector, noFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(rgb24.width()),
               static_cast<png_uint_32>(rgb24.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_compression_mem_level(png, 8);
  png_set_compression_window_bits(png, 15);
  png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
  png_set_compression_buffer_size(png, 32768);
  png_write_info(png, info);
  png_set_bgr(png);
  for (std::int32_t y = 0; y < rgb24.height(); ++y) {
    png_write_row(png, rgb24.scanLine(y));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Stores into memory reserved and touched beforehand, as the plain copy does.
class PreallocatedSink : public ByteSink {
 public:
  explicit PreallocatedSink(Bytes& buffer) : at_(buffer.data()), end_(at_ + buffer.size()) {}
  void write(const void* data, std::size_t size) override {
    if (size > std::size_t(end_ - at_)) throw StreamWriteError();
    std::memcpy(at_, data, size);
    at_ += size;
  }

 private:
  std::uint8_t* at_;
  std::uint8_t* end_;
};

void pngFudekko(benchmark::State& state, const Scene* scene) {
  std::size_t size = 0;
  for (auto _ : state) {
    MemorySink sink;
    writePng(scene->picture, sink, kSendPngLevel);
    size = sink.bytes().size();
    benchmark::DoNotOptimize(sink.bytes().data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * rgbBytes(*scene)));
  state.counters["out_bytes"] = double(size);
}

void pngLibpng(benchmark::State& state, const Scene* scene) {
  std::size_t size = 0;
  for (auto _ : state) {
    const Bytes png = writeWithLibpng(scene->rgb24);
    size = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * rgbBytes(*scene)));
  state.counters["out_bytes"] = double(size);
}

void bmpFudekko(benchmark::State& state, const Scene* scene) {
  Bytes buffer(scene->bmpFile.size(), 1);
  for (auto _ : state) {
    PreallocatedSink sink(buffer);
    writeBmp(scene->picture, sink);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  if (buffer != scene->bmpFile) state.SkipWithError("BMP bytes differ");
  state.SetBytesProcessed(std::int64_t(state.iterations() * buffer.size()));
  state.counters["out_bytes"] = double(buffer.size());
}

void bmpPlainCopy(benchmark::State& state, const Scene* scene) {
  Bytes buffer(scene->bmpFile.size(), 1);
  for (auto _ : state) {
    std::memcpy(buffer.data(), scene->bmpFile.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * buffer.size()));
  state.counters["out_bytes"] = double(buffer.size());
}

}  // namespace
}  // namespace fudekko

int main(int argc, char** argv) {
  using namespace fudekko;
  const std::pair<const char*, Scene*> scenes[] = {
      {"text_1920x1080", makeScene(textWithHandwriting(1920, 1080))},
      {"white_640x480", makeScene(white(640, 480))},
  };
  for (const auto& [name, scene] : scenes) {
    const std::string n = name;
    benchmark::RegisterBenchmark(("png/" + n + "/fudekko").c_str(), pngFudekko, scene)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("png/" + n + "/libpng").c_str(), pngLibpng, scene)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("bmp/" + n + "/fudekko").c_str(), bmpFudekko, scene)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("bmp/" + n + "/plain_copy").c_str(), bmpPlainCopy, scene)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
