#include "surface/compositing.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "surface/ink_rasterizer.h"

namespace fudekko {

namespace {

// One pixel of the rule: the background where the ink is white, the ink elsewhere.
// Branch-free so that the row loop vectorises.
inline std::uint32_t over(std::uint32_t ink, std::uint32_t back) {
  const std::uint32_t transparent = 0u - std::uint32_t((ink & kStoredColorBits) == kStoredWhite);
  return (back & transparent) | (ink & ~transparent);
}

bool is32(const Picture& picture) {
  return bitsPerPixel(picture.format()) == 32;
}

const std::uint32_t* rowOf(const Picture& picture, std::int32_t y) {
  if (y < 0 || y >= picture.height() || picture.empty()) return nullptr;
  return reinterpret_cast<const std::uint32_t*>(picture.scanLine(y));
}

// Rebuilds the 32-bit `composite` in `done` (inside it) from the ink's rows and the
// background's: out = combine(ink, background) per pixel, with `noInk` and white beyond
// the ends of either layer. `inkRowAt(y)` is the ink's row y, or null past its last.
template <typename InkRowAt, typename Cell, typename Combine>
void combineRows(Rect done, std::int32_t inkWidth, InkRowAt inkRowAt, Cell noInk,
                 const Picture& background, Picture& composite, Combine combine) {
  // Columns where the ink, the background or both exist; beyond them a layer is absent.
  const std::int32_t inkEnd = std::clamp(inkWidth, done.left, done.right);
  const std::int32_t backEnd = std::clamp(background.width(), done.left, done.right);
  const std::int32_t bothEnd = std::min(inkEnd, backEnd);
  for (std::int32_t y = done.top; y < done.bottom; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(composite.scanLine(y));
    const Cell* inkRow = inkRowAt(y);
    const std::uint32_t* backRow = rowOf(background, y);
    std::int32_t x = done.left;
    if (inkRow && backRow) {
      for (; x < bothEnd; ++x) out[x] = combine(inkRow[x], backRow[x]);
    }
    for (; x < done.right; ++x) {
      const Cell cell = inkRow && x < inkEnd ? inkRow[x] : noInk;
      const std::uint32_t back = backRow && x < backEnd ? backRow[x] : kStoredWhite;
      out[x] = combine(cell, back);
    }
  }
}

}  // namespace

Rect spannedRect(Point a, Point b, std::int32_t margin) {
  // 64-bit arithmetic: the points may lie anywhere in the 32-bit range.
  return {clampToInt32(std::int64_t(std::min(a.x, b.x)) - margin),
          clampToInt32(std::int64_t(std::min(a.y, b.y)) - margin),
          clampToInt32(std::int64_t(std::max(a.x, b.x)) + margin),
          clampToInt32(std::int64_t(std::max(a.y, b.y)) + margin)};
}

Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Point a,
                 Point b, std::int32_t margin) {
  return recomposite(ink, background, composite, spannedRect(a, b, margin));
}

Rect recomposite(const Picture& ink, const Picture& background, Picture& composite, Rect part) {
  const Rect done = part.intersect({0, 0, composite.width(), composite.height()});
  if (done.empty() || composite.empty()) return {};

  if (!is32(ink) || !is32(background) || !is32(composite)) {
    // Not the layers' own format: the same rule through colours, slowly.
    for (std::int32_t y = done.top; y < done.bottom; ++y) {
      for (std::int32_t x = done.left; x < done.right; ++x) {
        const Color i = ink.pixel(x, y);
        composite.setPixel(x, y, i == kWhite ? background.pixel(x, y) : i);
      }
    }
    return done;
  }

  combineRows(
      done, ink.width(), [&](std::int32_t y) { return rowOf(ink, y); }, kStoredWhite, background,
      composite, over);
  return done;
}

namespace {

// A 32-bit stored background pixel under an ink cell; the result's top byte is 0.
// Per channel (ink * c + back * (255 - c)) / 255, rounded: exact at both ends. Red and
// blue go through together in the two halves of one word (no half exceeds 16 bits).
inline std::uint32_t blendCell(InkCell cell, std::uint32_t back) {
  const std::uint32_t coverage = coverageOf(cell), rest = 255 - coverage;
  std::uint32_t redBlue = (cell & 0xFF00FF) * coverage + (back & 0xFF00FF) * rest + 0x800080;
  redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
  std::uint32_t green = ((cell >> 8) & 0xFF) * coverage + ((back >> 8) & 0xFF) * rest + 0x80;
  green = ((green + (green >> 8)) >> 8) & 0xFF;
  return redBlue | (green << 8);
}

}  // namespace

Rect recomposite(const InkLayer& ink, const Picture& background, Picture& composite, Rect part) {
  const Rect done = part.intersect({0, 0, composite.width(), composite.height()});
  if (done.empty() || composite.empty()) return {};

  if (!is32(background) || !is32(composite)) {
    for (std::int32_t y = done.top; y < done.bottom; ++y) {
      for (std::int32_t x = done.left; x < done.right; ++x) {
        const std::uint32_t back = storedColorOf(background.pixel(x, y));
        composite.setPixel(x, y, colorOfStored(blendCell(ink.cell(x, y), back)));
      }
    }
    return done;
  }

  combineRows(
      done, ink.width(), [&](std::int32_t y) { return y < ink.height() ? ink.row(y) : nullptr; },
      kNoInk, background, composite, blendCell);
  return done;
}

namespace {

// The background multiplied by the marks, into `composite` in `done`.
void markBackground(const InkLayer& marks, const Picture& background, Picture& composite,
                    const Rect& done) {
  if (!is32(background) || !is32(composite)) {
    for (std::int32_t y = done.top; y < done.bottom; ++y) {
      for (std::int32_t x = done.left; x < done.right; ++x) {
        const std::uint32_t back = storedColorOf(background.pixel(x, y));
        composite.setPixel(x, y, colorOfStored(markedPixel(marks.cell(x, y), back)));
      }
    }
    return;
  }
  combineRows(
      done, marks.width(),
      [&](std::int32_t y) { return y < marks.height() ? marks.row(y) : nullptr; }, kNoInk,
      background, composite, markedPixel);
}

InkCell markOf(Color pixel) {
  return pixel == kWhite ? kNoInk : inkCell(storedColorOf(pixel), 255);
}

}  // namespace

Rect recomposite(const InkLayer& ink, const InkLayer& marks, const Picture& background,
                 Picture& composite, Rect part) {
  const Rect done = part.intersect({0, 0, composite.width(), composite.height()});
  if (done.empty() || composite.empty()) return {};
  markBackground(marks, background, composite, done);
  // The marked background is the ink's background now: the composite itself, pixel by pixel.
  return recomposite(ink, composite, composite, done);
}

Rect recomposite(const Picture& ink, const Picture& marks, const Picture& background,
                 Picture& composite, Rect part) {
  const Rect done = part.intersect({0, 0, composite.width(), composite.height()});
  if (done.empty() || composite.empty()) return {};
  for (std::int32_t y = done.top; y < done.bottom; ++y) {
    for (std::int32_t x = done.left; x < done.right; ++x) {
      const std::uint32_t back = storedColorOf(background.pixel(x, y));
      composite.setPixel(x, y, colorOfStored(markedPixel(markOf(marks.pixel(x, y)), back)));
    }
  }
  return recomposite(ink, composite, composite, done);
}

}  // namespace fudekko
