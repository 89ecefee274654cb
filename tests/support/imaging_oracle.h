#pragma once
// Independent readers for the writers' output: a chunk walker with its own CRC, zlib's
// inflate, libpng's decoder, and plain offset arithmetic for BMP pixels.

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/picture.h"

namespace fudekko::test {

using Bytes = std::vector<std::uint8_t>;

// A file name in this test folder of the build tree; the folder is made when missing.
inline std::string workPath(const std::string& name) {
  const std::filesystem::path folder = FUDEKKO_TEST_WORK_DIR;
  std::filesystem::create_directories(folder);
  return (folder / name).string();
}

inline std::uint32_t be32(const std::uint8_t* at) {
  return (std::uint32_t(at[0]) << 24) | (std::uint32_t(at[1]) << 16) | (std::uint32_t(at[2]) << 8) |
         std::uint32_t(at[3]);
}

inline std::uint32_t le32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t(bytes[at]) | (std::uint32_t(bytes[at + 1]) << 8) |
         (std::uint32_t(bytes[at + 2]) << 16) | (std::uint32_t(bytes[at + 3]) << 24);
}

inline std::uint16_t le16(const Bytes& bytes, std::size_t at) {
  return std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

// The PNG CRC, bit by bit, so that a fault in how the writer feeds zlib's crc32 shows.
inline std::uint32_t referenceCrc(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc ^ 0xFFFFFFFFu;
}

struct Chunk {
  std::string type;
  Bytes data;
};

inline const std::uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Splits a PNG into its chunks; throws when the signature, a length or a CRC is wrong or
// bytes follow IEND.
inline std::vector<Chunk> pngChunks(const Bytes& png) {
  if (png.size() < 8 || std::memcmp(png.data(), kPngSignature, 8) != 0) {
    throw std::runtime_error("bad signature");
  }
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at < png.size()) {
    if (png.size() - at < 12) throw std::runtime_error("truncated chunk");
    const std::uint32_t length = be32(&png[at]);
    if (length > png.size() - at - 12) throw std::runtime_error("chunk overruns the file");
    Chunk chunk;
    chunk.type.assign(reinterpret_cast<const char*>(&png[at + 4]), 4);
    chunk.data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    if (referenceCrc(&png[at + 4], length + 4) != be32(&png[at + 8 + length])) {
      throw std::runtime_error("bad CRC in " + chunk.type);
    }
    at += 12 + length;
    chunks.push_back(std::move(chunk));
    if (chunks.back().type == "IEND" && at != png.size()) {
      throw std::runtime_error("bytes after IEND");
    }
  }
  return chunks;
}

inline Bytes idatStream(const std::vector<Chunk>& chunks) {
  Bytes stream;
  for (const Chunk& chunk : chunks) {
    if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
  }
  return stream;
}

inline std::vector<std::size_t> idatLengths(const std::vector<Chunk>& chunks) {
  std::vector<std::size_t> lengths;
  for (const Chunk& chunk : chunks) {
    if (chunk.type == "IDAT") lengths.push_back(chunk.data.size());
  }
  return lengths;
}

// Inflates one complete zlib stream; throws unless it ends exactly at the end of `stream`.
inline Bytes inflateAll(const Bytes& stream) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflateInit");
  Bytes out;
  std::uint8_t buffer[65536];
  z.next_in = const_cast<std::uint8_t*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  int result;
  do {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    result = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
  } while (result == Z_OK);
  const bool complete = result == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!complete) throw std::runtime_error("zlib stream incomplete or followed by bytes");
  return out;
}

struct RgbImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes rgb;  // red, green, blue per pixel, rows top-down, no padding
};

// Decodes a PNG with libpng into 8-bit RGB; throws with libpng's message on failure.
inline RgbImage decodeWithLibpng(const Bytes& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    throw std::runtime_error(std::string("libpng: ") + image.message);
  }
  image.format = PNG_FORMAT_RGB;
  RgbImage result;
  result.width = image.width;
  result.height = image.height;
  result.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    throw std::runtime_error(std::string("libpng: ") + image.message);
  }
  return result;
}

// The picture's colours as RGB bytes, through its own colour lookup.
inline Bytes rgbOf(const Picture& picture) {
  Bytes rgb;
  rgb.reserve(std::size_t(picture.width()) * picture.height() * 3);
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    for (std::int32_t x = 0; x < picture.width(); ++x) {
      const Color c = picture.pixel(x, y);
      rgb.push_back(redOf(c));
      rgb.push_back(greenOf(c));
      rgb.push_back(blueOf(c));
    }
  }
  return rgb;
}

// Random bytes in every stored pixel byte, the padding left alone. For the device and
// 32-bit formats that includes the unused fourth byte, as raster operations can set it.
inline void fillRandom(Picture& picture, std::uint32_t seed) {
  std::mt19937 random(seed);
  const std::size_t used =
      (std::size_t(picture.width()) * std::size_t(bitsPerPixel(picture.format())) + 7) / 8;
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    std::uint8_t* row = picture.scanLine(y);
    for (std::size_t i = 0; i < used; ++i) row[i] = static_cast<std::uint8_t>(random());
  }
}

inline std::vector<PaletteEntry> randomPalette(std::size_t entries, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<PaletteEntry> palette(entries);
  for (auto& e : palette) {
    e.red = static_cast<std::uint8_t>(random());
    e.green = static_cast<std::uint8_t>(random());
    e.blue = static_cast<std::uint8_t>(random());
  }
  return palette;
}

// Red on blue with no symmetry: a red L at the top-left and one green pixel at the
// bottom-right, so swapped channels, mirrored columns and flipped rows all differ.
inline Picture redOnBlue(PixelFormat format = PixelFormat::Device) {
  Picture picture(format, 5, 4);
  picture.setBrushColor(rgb(0, 0, 255));
  picture.fillRect({0, 0, 5, 4});
  picture.setPixel(0, 0, rgb(255, 0, 0));
  picture.setPixel(1, 0, rgb(255, 0, 0));
  picture.setPixel(0, 1, rgb(255, 0, 0));
  picture.setPixel(4, 3, rgb(0, 255, 0));
  return picture;
}

}  // namespace fudekko::test
