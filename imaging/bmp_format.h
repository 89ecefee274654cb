#pragma once
// The BMP format's own numbers and its information header, shared by the BMP file
// (writer and reader) and the clipboard's bitmaps, which carry the same header without
// the file header in front.

#include <cstdint>

namespace fudekko {

inline constexpr std::uint32_t kBmpFileHeaderSize = 14;       // "BM", sizes, pixel offset
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;       // BITMAPINFOHEADER
inline constexpr std::uint32_t kBmpV5HeaderSize = 124;        // BITMAPV5HEADER
inline constexpr std::uint32_t kBmpCompressionNone = 0;       // BI_RGB
inline constexpr std::uint32_t kBmpCompressionBitFields = 3;  // BI_BITFIELDS

// The colour masks of the plain 32-bit layout (blue, green, red, an unused byte). With
// BI_BITFIELDS they follow the 40 bytes of the information header.
inline constexpr std::uint32_t kBmpRedMask = 0x00FF0000;
inline constexpr std::uint32_t kBmpGreenMask = 0x0000FF00;
inline constexpr std::uint32_t kBmpBlueMask = 0x000000FF;

// The bytes of a row of `width` pixels at `bitCount` bits: rows are padded to 4 bytes.
constexpr std::uint64_t bmpRowSize(std::uint64_t width, std::uint32_t bitCount) {
  return (width * bitCount + 31) / 32 * 4;
}

// What the information header says. The height is positive: the bottom row comes first.
struct DibInfo {
  std::uint32_t headerSize = kBmpInfoHeaderSize;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bitCount = 32;
  std::uint32_t compression = kBmpCompressionNone;
  std::uint32_t imageSize = 0;
  std::uint32_t colorsUsed = 0;
};

// Stores the first 40 bytes of an information header at `at`: `info`, one plane, and
// zero for the resolutions and the important colours. The bytes of a longer header
// past the first 40 are the caller's.
void putDibInfoHeader(std::uint8_t* at, const DibInfo& info);

}  // namespace fudekko
