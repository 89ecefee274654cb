#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace fudekko {

// 0x00BBGGRR: red in the low byte.
using Color = std::uint32_t;
constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;

constexpr std::uint8_t redOf(Color c) {
  return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t greenOf(Color c) {
  return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t blueOf(Color c) {
  return static_cast<std::uint8_t>(c >> 16);
}
constexpr Color rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Color{red} | (Color{green} << 8) | (Color{blue} << 16);
}

// The 32-bit coordinate nearest to `value`, for a coordinate worked out in a wider type
// that may lie beyond the range.
constexpr std::int32_t clampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
// The same for a double, which is floored or ceiled first: a fraction is cut toward zero.
constexpr std::int32_t clampToInt32(double value) {
  return static_cast<std::int32_t>(std::clamp<double>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom lie outside the rectangle.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  Rect intersect(const Rect& other) const {
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
  }
  Rect widened(std::int32_t by) const { return {left - by, top - by, right + by, bottom + by}; }
  // The smallest rectangle holding both; an empty one adds nothing.
  Rect unite(const Rect& other) const {
    if (empty()) return other;
    if (other.empty()) return *this;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace fudekko
