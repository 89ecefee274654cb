#pragma once
// Decodes GIF bytes with libgif, an independent decoder, for the round-trip tests.

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace fudekko::test {

struct DecodedGif {
  int screenWidth = 0;
  int screenHeight = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  std::vector<std::uint8_t> palette;  // red, green, blue per entry
  std::vector<std::uint8_t> indices;
};

inline DecodedGif decodeGif(const std::vector<std::uint8_t>& bytes) {
  struct Reader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
  } reader{&bytes};
  auto read = [](GifFileType* gif, GifByteType* out, int size) -> int {
    auto* r = static_cast<Reader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(size, r->bytes->size() - r->at);
    std::memcpy(out, r->bytes->data() + r->at, n);
    r->at += n;
    return static_cast<int>(n);
  };
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, read, &error);
  if (!gif) throw std::runtime_error("DGifOpen failed: " + std::to_string(error));
  if (DGifSlurp(gif) != GIF_OK || gif->ImageCount != 1) {
    const int code = gif->Error;
    DGifCloseFile(gif, &error);
    throw std::runtime_error("DGifSlurp failed: " + std::to_string(code));
  }
  DecodedGif result;
  result.screenWidth = gif->SWidth;
  result.screenHeight = gif->SHeight;
  const SavedImage& image = gif->SavedImages[0];
  result.frameWidth = image.ImageDesc.Width;
  result.frameHeight = image.ImageDesc.Height;
  if (const ColorMapObject* map = image.ImageDesc.ColorMap) {
    for (int i = 0; i < map->ColorCount; ++i) {
      result.palette.push_back(map->Colors[i].Red);
      result.palette.push_back(map->Colors[i].Green);
      result.palette.push_back(map->Colors[i].Blue);
    }
  }
  const std::size_t count = std::size_t(result.frameWidth) * std::size_t(result.frameHeight);
  result.indices.assign(image.RasterBits, image.RasterBits + count);
  DGifCloseFile(gif, &error);
  return result;
}

// A minimal GIF around image data of a `width` x `height` frame whose local table has
// 2^tableBits grey entries, so that the coder can be checked on its own.
inline std::vector<std::uint8_t> wrapImageData(const std::vector<std::uint8_t>& imageData,
                                               int tableBits, int width, int height) {
  std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto le16 = [&](int v) {
    gif.push_back(static_cast<std::uint8_t>(v));
    gif.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  le16(width);
  le16(height);
  gif.insert(gif.end(), {0x70, 0, 0});
  gif.push_back(0x2C);
  le16(0);
  le16(0);
  le16(width);
  le16(height);
  gif.push_back(static_cast<std::uint8_t>(0x80 | (tableBits - 1)));
  for (int i = 0; i < (1 << tableBits); ++i) gif.insert(gif.end(), 3, static_cast<std::uint8_t>(i));
  gif.insert(gif.end(), imageData.begin(), imageData.end());
  gif.push_back(0x3B);
  return gif;
}

}  // namespace fudekko::test
