#include "imaging/picture.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "common/errors.h"
#include "imaging/bmp_format.h"

namespace fudekko {

namespace {

// Above this a pixel store counts as more than the system's graphics resources hold.
constexpr std::uint64_t kMaxStoreBytes = std::uint64_t{1} << 30;

std::size_t strideFor(PixelFormat format, std::int32_t width) {
  return static_cast<std::size_t>(
      bmpRowSize(std::uint64_t(width), static_cast<std::uint32_t>(bitsPerPixel(format))));
}

// 0x00BBGGRR <-> the stored DIB value of a 32-bit pixel (blue in the low byte).
constexpr std::uint32_t swapRedBlue(std::uint32_t v) {
  return (v & 0x00FF00) | ((v & 0xFF) << 16) | ((v >> 16) & 0xFF);
}

}  // namespace

int bitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1:
      return 1;
    case PixelFormat::Bits4:
      return 4;
    case PixelFormat::Bits8:
      return 8;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      return 16;
    case PixelFormat::Bits24:
      return 24;
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      return 32;
  }
  return 32;
}

Picture::Picture(PixelFormat format, std::int32_t width, std::int32_t height,
                 std::vector<PaletteEntry> palette)
    : format_(format), palette_(std::move(palette)) {
  allocate(width, height);
}

void Picture::allocate(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) throw OutOfResources();
  const std::size_t stride = strideFor(format_, width);
  const std::uint64_t bytes = std::uint64_t(stride) * std::uint64_t(height);
  if (bytes > kMaxStoreBytes) throw OutOfResources();
  std::vector<std::uint8_t> store;
  if (width > 0 && height > 0) {
    try {
      store.assign(static_cast<std::size_t>(bytes), 0);
    } catch (const std::bad_alloc&) {
      throw OutOfResources();
    }
  }
  pixels_ = std::move(store);
  width_ = width;
  height_ = height;
  stride_ = stride;
}

void Picture::setWidth(std::int32_t width) {
  setSize(width, height_);
}
void Picture::setHeight(std::int32_t height) {
  setSize(width_, height);
}

void Picture::setSize(std::int32_t width, std::int32_t height) {
  if (width == width_ && height == height_) return;
  resize(width, height);
}

void Picture::resize(std::int32_t width, std::int32_t height) {
  // Build the new store beside the old one, so a failed allocation changes nothing.
  Picture resized(format_, width, height, palette_);
  resized.setBrushColor(brushColor_);
  resized.fillRect({0, 0, width, height});
  const std::int32_t keepWidth = std::min(width, width_);
  const std::int32_t keepHeight = std::min(height, height_);
  const std::size_t keepBytes = static_cast<std::size_t>(
      (std::uint64_t(std::max(keepWidth, 0)) * bitsPerPixel(format_) + 7) / 8);
  for (std::int32_t y = 0; y < keepHeight && keepWidth > 0; ++y) {
    if (bitsPerPixel(format_) >= 8) {
      std::memcpy(resized.scanLine(y), scanLine(y), keepBytes);
    } else {
      for (std::int32_t x = 0; x < keepWidth; ++x) resized.storeAt(x, y, storedAt(x, y));
    }
  }
  pixels_ = std::move(resized.pixels_);
  width_ = resized.width_;
  height_ = resized.height_;
  stride_ = resized.stride_;
}

std::uint8_t* Picture::scanLine(std::int32_t row) {
  return pixels_.data() + stride_ * static_cast<std::size_t>(row);
}

void unpackIndexRow(PixelFormat format, const std::uint8_t* row, std::uint8_t* out,
                    std::size_t width) {
  switch (format) {
    case PixelFormat::Bits1:
      for (std::size_t x = 0; x < width; ++x) out[x] = (row[x / 8] >> (7 - x % 8)) & 1;
      break;
    case PixelFormat::Bits4:
      for (std::size_t x = 0; x < width; ++x) out[x] = (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
      break;
    default:
      std::memcpy(out, row, width);
      break;
  }
}

const std::uint8_t* Picture::scanLine(std::int32_t row) const {
  return pixels_.data() + stride_ * static_cast<std::size_t>(row);
}

std::uint32_t Picture::storedAt(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* row = scanLine(y);
  switch (format_) {
    case PixelFormat::Bits1:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case PixelFormat::Bits4:
      return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case PixelFormat::Bits8:
      return row[x];
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      return std::uint32_t(row[2 * x]) | (std::uint32_t(row[2 * x + 1]) << 8);
    case PixelFormat::Bits24:
      return std::uint32_t(row[3 * x]) | (std::uint32_t(row[3 * x + 1]) << 8) |
             (std::uint32_t(row[3 * x + 2]) << 16);
    case PixelFormat::Device:
    case PixelFormat::Bits32: {
      std::uint32_t value;
      std::memcpy(&value, row + 4 * x, 4);
      return value;
    }
  }
  return 0;
}

void Picture::storeAt(std::int32_t x, std::int32_t y, std::uint32_t value) {
  std::uint8_t* row = scanLine(y);
  switch (format_) {
    case PixelFormat::Bits1: {
      const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~bit) | (value & 1 ? bit : 0));
      break;
    }
    case PixelFormat::Bits4: {
      const int shift = x % 2 ? 0 : 4;
      row[x / 2] =
          static_cast<std::uint8_t>((row[x / 2] & ~(0xF << shift)) | ((value & 0xF) << shift));
      break;
    }
    case PixelFormat::Bits8:
      row[x] = static_cast<std::uint8_t>(value);
      break;
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      row[2 * x] = static_cast<std::uint8_t>(value);
      row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
      break;
    case PixelFormat::Bits24:
      row[3 * x] = static_cast<std::uint8_t>(value);
      row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
      break;
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      std::memcpy(row + 4 * x, &value, 4);
      break;
  }
}

std::uint32_t Picture::storedValue(Color color) const {
  color &= 0xFFFFFF;
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
      std::uint32_t best = 0;
      int bestDistance = std::numeric_limits<int>::max();
      for (std::size_t i = 0; i < palette_.size(); ++i) {
        const auto& e = palette_[i];
        const int distance = std::abs(e.red - redOf(color)) + std::abs(e.green - greenOf(color)) +
                             std::abs(e.blue - blueOf(color));
        if (distance < bestDistance) {
          bestDistance = distance;
          best = static_cast<std::uint32_t>(i);
        }
      }
      return best;
    }
    case PixelFormat::Bits15:
    case PixelFormat::Bits16:
      return (std::uint32_t(redOf(color) >> 3) << 10) | (std::uint32_t(greenOf(color) >> 3) << 5) |
             (blueOf(color) >> 3);
    case PixelFormat::Bits24:
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      return swapRedBlue(color);
  }
  return 0;
}

Color Picture::pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kWhite;
  const std::uint32_t value = storedAt(x, y);
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
      if (value >= palette_.size()) return kBlack;
      const auto& e = palette_[value];
      return rgb(e.red, e.green, e.blue);
    }
    case PixelFormat::Bits15:
    case PixelFormat::Bits16: {
      // Each 5-bit component widened to 8 bits with its top bits repeated below.
      auto widen = [](std::uint32_t five) {
        return static_cast<std::uint8_t>((five << 3) | (five >> 2));
      };
      return rgb(widen((value >> 10) & 31), widen((value >> 5) & 31), widen(value & 31));
    }
    case PixelFormat::Bits24:
    case PixelFormat::Device:
    case PixelFormat::Bits32:
      return swapRedBlue(value & 0xFFFFFF);
  }
  return kWhite;
}

void Picture::setPixel(std::int32_t x, std::int32_t y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  storeAt(x, y, storedValue(color));
}

void Picture::convertTo24Bits() {
  if (format_ == PixelFormat::Bits24) return;
  Picture converted(PixelFormat::Bits24, width_, height_);
  for (std::int32_t y = 0; y < height_; ++y) {
    std::uint8_t* out = converted.scanLine(y);
    if (isDirect32()) {
      // Blue, green, red, 0 to blue, green, red: drop every fourth byte.
      const std::uint8_t* in = scanLine(y);
      for (std::int32_t x = 0; x < width_; ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
      continue;
    }
    for (std::int32_t x = 0; x < width_; ++x) {
      const Color c = pixel(x, y);
      out[3 * x] = blueOf(c);
      out[3 * x + 1] = greenOf(c);
      out[3 * x + 2] = redOf(c);
    }
  }
  format_ = PixelFormat::Bits24;
  palette_.clear();
  pixels_ = std::move(converted.pixels_);
  stride_ = converted.stride_;
}

void Picture::fillSpan(std::int32_t y, std::int32_t x0, std::int32_t x1, std::uint32_t value) {
  // x0..x1 inclusive, already clipped.
  if (isDirect32()) {
    auto* row = reinterpret_cast<std::uint32_t*>(scanLine(y));
    std::fill(row + x0, row + x1 + 1, value);
  } else {
    for (std::int32_t x = x0; x <= x1; ++x) storeAt(x, y, value);
  }
}

Rect Picture::paintable() const {
  const Rect whole{0, 0, width_, height_};
  return clip_ ? whole.intersect(*clip_) : whole;
}

void Picture::fillRect(const Rect& rect) {
  const Rect clipped = rect.intersect(paintable());
  if (clipped.empty()) return;
  const std::uint32_t value = storedValue(brushColor_);
  for (std::int32_t y = clipped.top; y < clipped.bottom; ++y) {
    fillSpan(y, clipped.left, clipped.right - 1, value);
  }
}

void Picture::rectangle(const Rect& rect) {
  if (rect.empty()) return;
  fillRect(rect);
  // The outline lies on the rectangle's outermost pixels.
  const std::uint32_t value = storedValue(penColor_);
  const std::int32_t thickness = std::max(1, penWidth_);
  const Rect bounds{0, 0, width_, height_};
  const Rect edges[4] = {
      {rect.left, rect.top, rect.right, rect.top + thickness},
      {rect.left, rect.bottom - thickness, rect.right, rect.bottom},
      {rect.left, rect.top, rect.left + thickness, rect.bottom},
      {rect.right - thickness, rect.top, rect.right, rect.bottom},
  };
  for (const Rect& edge : edges) {
    const Rect clipped = edge.intersect(rect).intersect(bounds);
    for (std::int32_t y = clipped.top; y < clipped.bottom; ++y) {
      if (!clipped.empty()) fillSpan(y, clipped.left, clipped.right - 1, value);
    }
  }
}

void Picture::paintDisc(Point centre, std::int32_t width, std::uint32_t value) {
  // Every pixel whose centre lies within width / 2 of `centre`.
  const std::int64_t limit = std::int64_t(width) * width;  // (2r)^2
  const std::int32_t reach = width / 2;
  const Rect area = paintable();
  for (std::int32_t dy = -reach; dy <= reach; ++dy) {
    const std::int64_t y = std::int64_t(centre.y) + dy;
    if (y < area.top || y >= area.bottom) continue;
    std::int32_t span = 0;
    while (span + 1 <= reach &&
           4 * (std::int64_t(span + 1) * (span + 1) + std::int64_t(dy) * dy) <= limit) {
      ++span;
    }
    const std::int64_t x0 = std::max<std::int64_t>(area.left, std::int64_t(centre.x) - span);
    const std::int64_t x1 = std::min<std::int64_t>(area.right - 1, std::int64_t(centre.x) + span);
    if (x0 <= x1)
      fillSpan(static_cast<std::int32_t>(y), static_cast<std::int32_t>(x0),
               static_cast<std::int32_t>(x1), value);
  }
}

void Picture::lineTo(Point to) {
  const Point from = penPosition_;
  penPosition_ = to;
  const Rect area = paintable();
  if (area.empty()) return;
  const std::uint32_t value = storedValue(penColor_);

  if (penWidth_ <= 1) {
    // A line wholly beside the area paints nothing: no need to walk it.
    if (std::max(from.x, to.x) < area.left || std::min(from.x, to.x) >= area.right ||
        std::max(from.y, to.y) < area.top || std::min(from.y, to.y) >= area.bottom) {
      return;
    }
    // Bresenham, both end points painted, clipped pixel by pixel.
    std::int64_t x = from.x, y = from.y;
    const std::int64_t dx = std::abs(std::int64_t(to.x) - from.x);
    const std::int64_t dy = -std::abs(std::int64_t(to.y) - from.y);
    const int sx = from.x < to.x ? 1 : -1;
    const int sy = from.y < to.y ? 1 : -1;
    std::int64_t error = dx + dy;
    for (;;) {
      if (x >= area.left && y >= area.top && x < area.right && y < area.bottom) {
        storeAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), value);
      }
      if (x == to.x && y == to.y) break;
      const std::int64_t twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        x += sx;
      }
      if (twice <= dx) {
        error += dx;
        y += sy;
      }
    }
    return;
  }

  // A wide pen paints every pixel whose centre lies within width / 2 of the segment:
  // a band with round ends. Scan only the segment's box widened by the radius.
  const std::int64_t reach = penWidth_ / 2 + 1;
  const std::int64_t left = std::max<std::int64_t>(area.left, std::min(from.x, to.x) - reach);
  const std::int64_t right = std::min<std::int64_t>(area.right - 1, std::max(from.x, to.x) + reach);
  const std::int64_t top = std::max<std::int64_t>(area.top, std::min(from.y, to.y) - reach);
  const std::int64_t bottom =
      std::min<std::int64_t>(area.bottom - 1, std::max(from.y, to.y) + reach);
  if (left > right || top > bottom) return;
  if (from == to) {
    paintDisc(from, penWidth_, value);
    return;
  }
  const double ax = from.x, ay = from.y;
  const double vx = double(to.x) - ax, vy = double(to.y) - ay;
  const double lengthSquared = vx * vx + vy * vy;
  const double limit = double(penWidth_) * penWidth_ / 4.0;
  for (std::int64_t y = top; y <= bottom; ++y) {
    std::int64_t spanStart = -1;
    for (std::int64_t x = left; x <= right + 1; ++x) {
      bool inside = false;
      if (x <= right) {
        const double px = double(x) - ax, py = double(y) - ay;
        const double t = std::clamp((px * vx + py * vy) / lengthSquared, 0.0, 1.0);
        const double ex = px - t * vx, ey = py - t * vy;
        inside = ex * ex + ey * ey <= limit;
      }
      if (inside && spanStart < 0) spanStart = x;
      if (!inside && spanStart >= 0) {
        fillSpan(static_cast<std::int32_t>(y), static_cast<std::int32_t>(spanStart),
                 static_cast<std::int32_t>(x - 1), value);
        spanStart = -1;
      }
    }
  }
}

}  // namespace fudekko
