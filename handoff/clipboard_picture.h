#pragma once
// The picture as the clipboard carries it, in the order it is put there: the
// registered format "PNG" first (what most programs that paste read best), then a
// CF_DIBV5 and a CF_DIB for those that read only bitmaps.

#include <cstdint>
#include <vector>

#include "imaging/picture.h"

namespace fudekko {

// The name of the registered clipboard format of PNG files.
inline constexpr wchar_t kPngClipboardFormat[] = L"PNG";

struct ClipboardPicture {
  std::vector<std::uint8_t> png;    // a whole PNG file, as Send writes one
  std::vector<std::uint8_t> dibV5;  // BITMAPV5HEADER (sRGB, bit fields, no alpha) + pixels
  std::vector<std::uint8_t> dib;    // BITMAPINFOHEADER (32 bits, BI_RGB) + pixels
};

// Every form of `picture` (the composite, in the device format), each with exactly its
// pixels: 32-bit rows bottom-up, blue, green, red and a zero byte. Throws the PNG
// writer's errors, and OutOfMemory for a picture too large for one block of memory.
ClipboardPicture clipboardPictureOf(const Picture& picture);

}  // namespace fudekko
