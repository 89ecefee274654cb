#pragma once
// A picture and its drawing surface: the pixel store of the three layers, the glyph
// scratch picture, and the pictures that the writers convert.
//
// Rows are stored top-down, each row laid out exactly as a Windows DIB row of the
// picture's format and padded to 4 bytes, so a row can be handed to a writer or to
// SetDIBitsToDevice as it is. The "device" format is the screen format: 32 bits a
// pixel, blue, green, red, 0, no palette of its own.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/geometry.h"

namespace fudekko {

enum class PixelFormat { Device, Bits1, Bits4, Bits8, Bits15, Bits16, Bits24, Bits32 };

int bitsPerPixel(PixelFormat format);

// Spreads a row of a 1-, 4- or 8-bit picture (`format`) into one palette index a byte:
// `out` receives `width` bytes. The high bits of a byte hold the leftmost pixels.
void unpackIndexRow(PixelFormat format, const std::uint8_t* row, std::uint8_t* out,
                    std::size_t width);

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

class Picture {
 public:
  // An empty picture, 0 x 0, in the device format.
  Picture() = default;
  // A picture of the given format and size, every pixel zero (index 0 or black).
  // Throws OutOfResources when the store cannot be made.
  Picture(PixelFormat format, std::int32_t width, std::int32_t height,
          std::vector<PaletteEntry> palette = {});

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  PixelFormat format() const { return format_; }
  bool isDeviceDependent() const { return format_ == PixelFormat::Device; }
  const std::vector<PaletteEntry>& palette() const { return palette_; }
  void setPalette(std::vector<PaletteEntry> palette) { palette_ = std::move(palette); }

  // Resizing keeps the old pixels at the top-left and fills new area with the brush
  // colour. Setting the current value changes nothing; no store exists while a side is 0.
  void setWidth(std::int32_t width);
  void setHeight(std::int32_t height);
  void setSize(std::int32_t width, std::int32_t height);

  // Converts in place to Bits24 without changing any pixel's colour (an indexed picture
  // through its palette).
  void convertTo24Bits();

  // Row `row` (0 = top) as a DIB row of the format: 1 and 4 bits packed from the most
  // significant bit down, 8 bits one index a byte, 16 bits 5-5-5 little-endian words,
  // 24 bits blue, green, red; 32 bits and device blue, green, red, 0.
  std::uint8_t* scanLine(std::int32_t row);
  const std::uint8_t* scanLine(std::int32_t row) const;
  std::size_t stride() const { return stride_; }

  // Pixel colour, 0x00BBGGRR; outside the picture gives white. Indexed pictures go
  // through their palette.
  Color pixel(std::int32_t x, std::int32_t y) const;
  // Stores a colour (nearest palette entry for an indexed picture); ignored outside.
  void setPixel(std::int32_t x, std::int32_t y, Color color);

  // Drawing surface.
  void setPenColor(Color color) { penColor_ = color; }
  void setPenWidth(std::int32_t width) { penWidth_ = width; }
  std::int32_t penWidth() const { return penWidth_; }
  void setBrushColor(Color color) { brushColor_ = color; }

  void moveTo(Point to) { penPosition_ = to; }
  // Draws with the pen from the pen position to `to` (both end points painted; round
  // ends when the pen is wider than 1) and moves the pen position there.
  void lineTo(Point to);
  void fillRect(const Rect& rect);
  // lineTo and fillRect paint only inside the clip rectangle (and the picture); the
  // pixels they paint there are the same as without it. No clip by default.
  void setClip(const Rect& clip) { clip_ = clip; }
  void clearClip() { clip_.reset(); }
  // Outline one pixel of pen colour (pen width wide), inside in the brush colour.
  void rectangle(const Rect& rect);

 private:
  void allocate(std::int32_t width, std::int32_t height);
  void resize(std::int32_t width, std::int32_t height);
  bool isDirect32() const {
    return format_ == PixelFormat::Device || format_ == PixelFormat::Bits32;
  }
  // The value stored for a colour in this picture's format, and back.
  std::uint32_t storedValue(Color color) const;
  std::uint32_t storedAt(std::int32_t x, std::int32_t y) const;
  void storeAt(std::int32_t x, std::int32_t y, std::uint32_t value);
  void fillSpan(std::int32_t y, std::int32_t x0, std::int32_t x1, std::uint32_t value);
  void paintDisc(Point centre, std::int32_t width, std::uint32_t value);
  // The picture's area within the clip rectangle.
  Rect paintable() const;

  PixelFormat format_ = PixelFormat::Device;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::vector<PaletteEntry> palette_;

  Color penColor_ = kBlack;
  std::int32_t penWidth_ = 1;
  Color brushColor_ = kWhite;
  Point penPosition_;
  std::optional<Rect> clip_;
};

}  // namespace fudekko
