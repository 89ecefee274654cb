#include "gif/gif_writer.h"

#include <algorithm>

#include "gif/color_reduction.h"
#include "gif/run_length_coder.h"

namespace fudekko {

namespace {

// Sides of the logical screen and of frames are 16-bit in the stream.
constexpr std::int32_t kMaxSide = 0xFFFF;
constexpr std::size_t kMaxTableEntries = 256;

// Smallest b >= 1 with 2^b >= count; 0 for an empty table.
int tableBitsFor(std::size_t count) {
  if (count == 0) return 0;
  int bits = 1;
  while ((std::size_t{1} << bits) < count) ++bits;
  return bits;
}

// The one frame: one index a pixel, rows from the top, and its colour table.
struct Frame {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::vector<std::uint8_t> indices;
  std::vector<PaletteEntry> table;
};

Frame frameOf(const Picture& picture) {
  Frame frame;
  if (picture.empty()) return frame;
  // A side the stream cannot hold would be cut to 16 bits and give a corrupt file.
  if (picture.width() > kMaxSide || picture.height() > kMaxSide) {
    throw GifError("Invalid image dimensions");
  }
  frame.width = static_cast<std::uint16_t>(picture.width());
  frame.height = static_cast<std::uint16_t>(picture.height());
  const std::size_t width = frame.width;
  frame.indices.assign(width * frame.height, 0);
  const PixelFormat format = picture.format();
  if (format == PixelFormat::Bits1 || format == PixelFormat::Bits4 ||
      format == PixelFormat::Bits8) {
    const auto& palette = picture.palette();
    frame.table.assign(palette.begin(),
                       palette.begin() + std::min(palette.size(), kMaxTableEntries));
    for (std::int32_t y = 0; y < frame.height; ++y) {
      unpackIndexRow(format, picture.scanLine(y), frame.indices.data() + y * width, width);
    }
  } else {
    frame.table = cubePalette();
    reduceToCube(picture, frame.indices.data(), width);
  }
  return frame;
}

void writeStream(const Frame& frame, ByteSink& out) {
  // The screen's size and resolution bits describe the frame's table even though there
  // is no global table; without a table they are all ones.
  const int bits = tableBitsFor(frame.table.size());
  const std::uint8_t sizeBits = static_cast<std::uint8_t>((bits - 1) & 7);
  std::uint8_t screen[13] = {'G', 'I', 'F', '8', '7', 'a'};
  putLe16(screen + 6, frame.width);
  putLe16(screen + 8, frame.height);
  screen[10] = static_cast<std::uint8_t>((((bits - 1) * 16) & 0x70) | sizeBits);
  out.write(screen, sizeof screen);

  if (!frame.indices.empty()) {
    std::uint8_t descriptor[10] = {0x2C};
    putLe16(descriptor + 5, frame.width);
    putLe16(descriptor + 7, frame.height);
    descriptor[9] = frame.table.empty() ? 0 : static_cast<std::uint8_t>(0x80 | sizeBits);
    out.write(descriptor, sizeof descriptor);
    if (!frame.table.empty()) {
      // The entries, then zero entries up to 2^bits.
      std::vector<std::uint8_t> table((std::size_t{1} << bits) * 3, 0);
      for (std::size_t i = 0; i < frame.table.size(); ++i) {
        table[3 * i] = frame.table[i].red;
        table[3 * i + 1] = frame.table[i].green;
        table[3 * i + 2] = frame.table[i].blue;
      }
      out.write(table.data(), table.size());
    }
    // A frame without a table is coded as if for a table of one colour.
    const std::int32_t colorCount =
        frame.table.empty() ? 1 : static_cast<std::int32_t>(frame.table.size());
    writeRunLengthImageData(out, bits, frame.width, frame.height, frame.indices.data(), colorCount);
  }
  out.writeByte(0x3B);
}

}  // namespace

void writeGif(const Picture& picture, ByteSink& sink) {
  writeStream(frameOf(picture), sink);
}

void saveGifToFile(const Picture& picture, const std::string& path) {
  const Frame frame = frameOf(picture);
  FileSink file(path);
  writeStream(frame, file);
  file.close();
}

}  // namespace fudekko
