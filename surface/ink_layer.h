#pragma once
// The ink of smooth handwriting: per pixel the ink's colour and how much of the pixel
// it covers. An anti-aliased edge is partly covered ink, not a lighter colour, so the
// composite can blend it with whatever lies under it (white paper or black text).

#include <cstdint>
#include <vector>

#include "imaging/geometry.h"

namespace fudekko {

// One pixel of ink: the colour as a 32-bit picture stores it (blue in the low byte,
// then green, then red) and the coverage, 0 (no ink) to 255, in the high byte.
using InkCell = std::uint32_t;

// The colour bits of a cell, and of a 32-bit picture's pixel, which has the same order.
constexpr std::uint32_t kStoredColorBits = 0x00FFFFFF;
// White as a 32-bit picture stores it.
constexpr std::uint32_t kStoredWhite = 0x00FFFFFF;
constexpr InkCell inkCell(std::uint32_t storedColor, std::uint32_t coverage) {
  return (storedColor & kStoredColorBits) | (coverage << 24);
}
// What a pixel without ink holds: white, uncovered.
constexpr InkCell kNoInk = kStoredWhite;
constexpr std::uint32_t coverageOf(InkCell cell) {
  return cell >> 24;
}
// 0x00BBGGRR to the stored order and back.
constexpr std::uint32_t storedColorOf(Color color) {
  return std::uint32_t{blueOf(color)} | (std::uint32_t{greenOf(color)} << 8) |
         (std::uint32_t{redOf(color)} << 16);
}
constexpr Color colorOfStored(std::uint32_t stored) {
  return rgb(static_cast<std::uint8_t>(stored >> 16), static_cast<std::uint8_t>(stored >> 8),
             static_cast<std::uint8_t>(stored));
}

// A rectangle of ink cells, rows top-down. Plain value semantics: a copy of a part
// (copy) and putting it back (paste) restore exact pixels, which is all a history of
// strokes needs.
class InkLayer {
 public:
  InkLayer() = default;
  // Throws OutOfResources when the store cannot be made.
  InkLayer(std::int32_t width, std::int32_t height);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  // Keeps the cells at the top-left; new area holds no ink.
  void setSize(std::int32_t width, std::int32_t height);
  void setWidth(std::int32_t width) { setSize(width, height_); }
  void setHeight(std::int32_t height) { setSize(width_, height); }

  InkCell* row(std::int32_t y) { return cells_.data() + std::size_t(y) * std::size_t(width_); }
  const InkCell* row(std::int32_t y) const {
    return cells_.data() + std::size_t(y) * std::size_t(width_);
  }
  // Outside the layer: no ink.
  InkCell cell(std::int32_t x, std::int32_t y) const;
  std::uint32_t coverage(std::int32_t x, std::int32_t y) const { return coverageOf(cell(x, y)); }
  Color color(std::int32_t x, std::int32_t y) const { return colorOfStored(cell(x, y)); }
  void setCell(std::int32_t x, std::int32_t y, InkCell value);

  // The cells of `part` (clipped to the layer) as a layer of their own.
  InkLayer copy(const Rect& part) const;
  // Puts `from` back with its top-left at `at`; what falls outside is dropped.
  void paste(Point at, const InkLayer& from);

  friend bool operator==(const InkLayer&, const InkLayer&) = default;

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<InkCell> cells_;
};

}  // namespace fudekko
