#include "imaging/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace fudekko {

namespace {

constexpr std::size_t kOutputBufferSize = 32768;
constexpr std::size_t kMaxPaletteEntries = 256;

constexpr std::uint32_t chunkType(const char (&name)[5]) {
  return (std::uint32_t(std::uint8_t(name[0])) << 24) |
         (std::uint32_t(std::uint8_t(name[1])) << 16) |
         (std::uint32_t(std::uint8_t(name[2])) << 8) | std::uint32_t(std::uint8_t(name[3]));
}

constexpr std::uint32_t kIhdr = chunkType("IHDR");
constexpr std::uint32_t kPlte = chunkType("PLTE");
constexpr std::uint32_t kIdat = chunkType("IDAT");
constexpr std::uint32_t kIend = chunkType("IEND");

constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The bit count written for a picture: its own for 1, 4 and 8 bits, else 24.
int bitCountOf(const Picture& picture) {
  const int bits = bitsPerPixel(picture.format());
  return bits <= 8 ? bits : 24;
}

// The zlib level that a level choice stands for: 1 chooses zlib level 1, 2 level 9,
// anything else zlib's default.
int zlibLevelFor(std::int32_t level) {
  switch (level) {
    case 1:
      return 1;
    case 2:
      return 9;
    default:
      return -1;
  }
}

// Every failure zlib reports while compressing.
[[noreturn]] void throwZlibError() {
  throw PngError("ZLIB error");
}

// The compressor of one save; ended on every way out of the save.
class Deflater {
 public:
  explicit Deflater(int level) {
    // deflateInit passes the zlib version and the record size, which zlib checks; its
    // defaults are method deflate, a 32 KB window with zlib header and trailer,
    // memory level 8 and the default strategy.
    const int result = deflateInit(&stream_, level);
    if (result == Z_MEM_ERROR) throw OutOfMemory();
    if (result != Z_OK) throwZlibError();
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

// Everything one save needs beyond the picture: one filtered row, the palette and the
// compressor's output buffer. Made for one save and dropped when it ends.
class PngStreamWriter {
 public:
  PngStreamWriter(const Picture& picture, ByteSink& stream, int zlibLevel)
      : picture_(picture),
        stream_(stream),
        width_(picture.width()),
        height_(picture.height()),
        bitCount_(bitCountOf(picture)),
        direct32_(picture.format() == PixelFormat::Device ||
                  picture.format() == PixelFormat::Bits32),
        bitDepth_(bitCount_ == 24 ? 8 : bitCount_) {
    const auto& palette = picture.palette();
    paletteCount_ = std::min(palette.size(), kMaxPaletteEntries);
    for (std::size_t i = 0; i < paletteCount_; ++i) {
      palette_[3 * i] = palette[i].red;
      palette_[3 * i + 1] = palette[i].green;
      palette_[3 * i + 2] = palette[i].blue;
    }
    const std::uint64_t rowLength = (std::uint64_t(width_) * std::uint64_t(bitCount_) + 7) / 8 + 1;
    // A row goes to zlib in one piece, and zlib counts its input in 32 bits.
    if (rowLength > 0xFFFFFFFFu) throw OutOfMemory();
    rowLength_ = static_cast<std::size_t>(rowLength);
    rowBuffer_.assign(rowLength_, 0);
    deflater_.emplace(zlibLevel);
  }

  void write() {
    stream_.write(kSignature, sizeof kSignature);
    writeHeader();
    writePalette();
    writeImageData();
    writeChunk(kIend, nullptr, 0);
  }

 private:
  void writeChunk(std::uint32_t type, const std::uint8_t* data, std::uint32_t length) {
    std::uint8_t head[8];
    putBe32(head, length);
    putBe32(head + 4, type);
    stream_.write(head, sizeof head);
    uLong crc = crc32(0, Z_NULL, 0);
    crc = crc32(crc, head + 4, 4);
    if (data && length > 0) {
      crc = crc32(crc, data, length);
      stream_.write(data, length);
    }
    std::uint8_t tail[4];
    putBe32(tail, static_cast<std::uint32_t>(crc));
    stream_.write(tail, sizeof tail);
  }

  void writeHeader() {
    std::uint8_t data[13];
    putBe32(data, static_cast<std::uint32_t>(width_));
    putBe32(data + 4, static_cast<std::uint32_t>(height_));
    data[8] = static_cast<std::uint8_t>(bitDepth_);
    data[9] = bitCount_ <= 8 ? 3 : 2;  // indexed or RGB
    data[10] = 0;                      // deflate
    data[11] = 0;                      // adaptive filtering, of which we use None only
    data[12] = 0;                      // not interlaced
    writeChunk(kIhdr, data, sizeof data);
  }

  void writePalette() {
    if (paletteCount_ == 0) {
      if (bitCount_ <= 8) throw PngError("no colortable");
      return;  // a 24-bit picture without a suggested palette
    }
    writeChunk(kPlte, palette_, static_cast<std::uint32_t>(3 * paletteCount_));
  }

  void resetOutput() {
    z_stream& z = deflater_->stream();
    z.next_out = output_;
    z.avail_out = kOutputBufferSize;
  }

  void writeFullOutput() {
    writeChunk(kIdat, output_, kOutputBufferSize);
    resetOutput();
  }

  void fillRow(std::int32_t y) {
    const std::uint8_t* in = picture_.scanLine(y);
    std::uint8_t* out = rowBuffer_.data() + 1;  // byte 0 is the filter type, always 0
    if (bitCount_ == 24 && direct32_) {
      // Blue, green, red and a fourth byte to red, green, blue: converted row by row.
      const std::size_t width = static_cast<std::size_t>(width_);
      for (std::size_t x = 0; x < width; ++x) {
        out[3 * x] = in[4 * x + 2];
        out[3 * x + 1] = in[4 * x + 1];
        out[3 * x + 2] = in[4 * x];
      }
    } else if (bitCount_ == 24) {
      // The picture stores blue, green, red; PNG wants red, green, blue.
      const std::size_t width = static_cast<std::size_t>(width_);
      for (std::size_t x = 0; x < width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
      }
    } else {
      std::memcpy(out, in, rowLength_ - 1);
    }
  }

  void writeImageData() {
    z_stream& z = deflater_->stream();
    resetOutput();
    for (std::int32_t y = 0; y < height_; ++y) {
      fillRow(y);
      z.next_in = rowBuffer_.data();
      z.avail_in = static_cast<uInt>(rowLength_);
      while (z.avail_in > 0) {
        if (deflate(&z, Z_NO_FLUSH) < 0) throwZlibError();
        if (z.avail_out == 0) writeFullOutput();
      }
    }
    for (;;) {
      const int result = deflate(&z, Z_FINISH);
      if (result < 0) throwZlibError();
      if (result == Z_STREAM_END) break;
      if (z.avail_out == 0) writeFullOutput();
    }
    if (z.avail_out < kOutputBufferSize) {
      writeChunk(kIdat, output_, static_cast<std::uint32_t>(kOutputBufferSize - z.avail_out));
    }
    deflateReset(&z);
  }

  const Picture& picture_;
  ByteSink& stream_;
  std::int32_t width_;
  std::int32_t height_;
  int bitCount_;
  bool direct32_;
  int bitDepth_;
  std::size_t paletteCount_ = 0;
  std::size_t rowLength_ = 0;
  std::vector<std::uint8_t> rowBuffer_;
  std::uint8_t palette_[3 * kMaxPaletteEntries] = {};
  std::uint8_t output_[kOutputBufferSize];
  std::optional<Deflater> deflater_;
};

}  // namespace

void writePng(const Picture& picture, ByteSink& sink, std::int32_t level) {
  if (picture.empty()) return;
  const PixelFormat format = picture.format();
  if (format == PixelFormat::Bits15 || format == PixelFormat::Bits16) {
    // The one case that needs a converted copy; the others are read row by row.
    Picture trueColor;
    try {
      trueColor = picture;
    } catch (const std::bad_alloc&) {
      throw OutOfMemory();
    }
    trueColor.convertTo24Bits();
    writePng(trueColor, sink, level);
    return;
  }
  std::unique_ptr<PngStreamWriter> state;
  try {
    state = std::make_unique<PngStreamWriter>(picture, sink, zlibLevelFor(level));
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  state->write();
}

void savePngToFile(const Picture& picture, const std::string& path, std::int32_t level) {
  FileSink file(path);
  writePng(picture, file, level);
  file.close();
}

}  // namespace fudekko
