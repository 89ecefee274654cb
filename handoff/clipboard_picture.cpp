#include "handoff/clipboard_picture.h"

#include <cstring>
#include <limits>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "handoff/attachment.h"
#include "imaging/bmp_format.h"
#include "imaging/png_writer.h"

namespace fudekko {

namespace {

// The V5 header's colour space: sRGB, rendered with the perceptual intent.
constexpr std::uint32_t kLcsSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t kLcsGmImages = 4;

// A packed DIB: the header of `headerSize` bytes, then the rows bottom-up.
std::vector<std::uint8_t> packedDib(const Picture& picture, std::uint32_t headerSize,
                                    std::uint32_t compression) {
  const auto width = static_cast<std::uint64_t>(picture.width());
  const auto height = static_cast<std::uint64_t>(picture.height());
  const std::uint64_t rowBytes = bmpRowSize(width, 32);
  const std::uint64_t imageBytes = rowBytes * height;
  if (imageBytes > std::numeric_limits<std::uint32_t>::max() - headerSize) throw OutOfMemory();

  std::vector<std::uint8_t> dib(headerSize + imageBytes, 0);
  std::uint8_t* header = dib.data();
  putDibInfoHeader(header, {.headerSize = headerSize,
                            .width = static_cast<std::uint32_t>(width),
                            .height = static_cast<std::uint32_t>(height),
                            .bitCount = 32,
                            .compression = compression,
                            .imageSize = static_cast<std::uint32_t>(imageBytes)});
  if (headerSize == kBmpV5HeaderSize) {
    putLe32(header + 40, kBmpRedMask);
    putLe32(header + 44, kBmpGreenMask);
    putLe32(header + 48, kBmpBlueMask);
    // No alpha mask: the fourth byte is always 0, which would read as transparent.
    putLe32(header + 56, kLcsSrgb);
    putLe32(header + 108, kLcsGmImages);
  }
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::uint8_t* row = picture.scanLine(static_cast<std::int32_t>(height - 1 - y));
    std::memcpy(dib.data() + headerSize + y * rowBytes, row, rowBytes);
  }
  return dib;
}

std::vector<std::uint8_t> pngBytes(const Picture& picture) {
  MemorySink sink;
  writePng(picture, sink, kSendPngLevel);
  return sink.bytes();
}

}  // namespace

ClipboardPicture clipboardPictureOf(const Picture& picture) {
  if (!picture.isDeviceDependent() && picture.format() != PixelFormat::Bits32) {
    throw Error("クリップボードに置けない画像の形式です");
  }
  return {pngBytes(picture), packedDib(picture, kBmpV5HeaderSize, kBmpCompressionBitFields),
          packedDib(picture, kBmpInfoHeaderSize, kBmpCompressionNone)};
}

}  // namespace fudekko
