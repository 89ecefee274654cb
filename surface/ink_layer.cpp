#include "surface/ink_layer.h"

#include <algorithm>
#include <new>

#include "common/errors.h"

namespace fudekko {

namespace {

// As much as a picture may hold: a layer never outgrows the pictures beside it.
constexpr std::uint64_t kMaxCells = (std::uint64_t{1} << 30) / sizeof(InkCell);

std::vector<InkCell> makeCells(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0) throw OutOfResources();
  const std::uint64_t count = std::uint64_t(width) * std::uint64_t(height);
  if (count > kMaxCells) throw OutOfResources();
  try {
    return std::vector<InkCell>(static_cast<std::size_t>(count), kNoInk);
  } catch (const std::bad_alloc&) {
    throw OutOfResources();
  }
}

}  // namespace

InkLayer::InkLayer(std::int32_t width, std::int32_t height) : cells_(makeCells(width, height)) {
  width_ = width;
  height_ = height;
}

void InkLayer::setSize(std::int32_t width, std::int32_t height) {
  if (width == width_ && height == height_) return;
  // Built beside the old store, so a failed allocation changes nothing.
  InkLayer resized(width, height);
  resized.paste({0, 0}, *this);
  *this = std::move(resized);
}

InkCell InkLayer::cell(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kNoInk;
  return row(y)[x];
}

void InkLayer::setCell(std::int32_t x, std::int32_t y, InkCell value) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  row(y)[x] = value;
}

InkLayer InkLayer::copy(const Rect& part) const {
  const Rect clipped = part.intersect({0, 0, width_, height_});
  if (clipped.empty()) return {};
  InkLayer out(clipped.width(), clipped.height());
  for (std::int32_t y = 0; y < out.height_; ++y) {
    const InkCell* from = row(clipped.top + y) + clipped.left;
    std::copy(from, from + out.width_, out.row(y));
  }
  return out;
}

void InkLayer::paste(Point at, const InkLayer& from) {
  // 64-bit: `at` may lie anywhere.
  const std::int64_t left = std::max<std::int64_t>(at.x, 0);
  const std::int64_t top = std::max<std::int64_t>(at.y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t(at.x) + from.width_, width_);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t(at.y) + from.height_, height_);
  if (left >= right || top >= bottom) return;
  for (std::int64_t y = top; y < bottom; ++y) {
    const InkCell* source = from.row(static_cast<std::int32_t>(y - at.y)) + (left - at.x);
    std::copy(source, source + (right - left), row(static_cast<std::int32_t>(y)) + left);
  }
}

}  // namespace fudekko
