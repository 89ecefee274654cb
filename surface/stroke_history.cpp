#include "surface/stroke_history.h"

#include <cstring>

namespace fudekko {

namespace {

std::vector<std::uint8_t> copyOut(const PixelRows& rows, const Rect& area) {
  const std::size_t rowBytes = PixelRows::kBytesPerPixel * static_cast<std::size_t>(area.width());
  std::vector<std::uint8_t> bytes(rowBytes * static_cast<std::size_t>(area.height()));
  for (std::int32_t y = area.top; y < area.bottom; ++y) {
    std::memcpy(bytes.data() + rowBytes * static_cast<std::size_t>(y - area.top),
                rows.at(area.left, y), rowBytes);
  }
  return bytes;
}

// Puts the part of `bytes` (the pixels of `area`) that lies inside `rows` back there;
// returns that part.
Rect copyIn(const PixelRows& rows, const Rect& area, const std::vector<std::uint8_t>& bytes) {
  const Rect inside = area.intersect({0, 0, rows.width, rows.height});
  if (inside.empty()) return {};
  const std::size_t rowBytes = PixelRows::kBytesPerPixel * static_cast<std::size_t>(area.width());
  const std::size_t insideBytes =
      PixelRows::kBytesPerPixel * static_cast<std::size_t>(inside.width());
  for (std::int32_t y = inside.top; y < inside.bottom; ++y) {
    const std::uint8_t* from = bytes.data() + rowBytes * static_cast<std::size_t>(y - area.top) +
                               PixelRows::kBytesPerPixel * std::size_t(inside.left - area.left);
    std::memcpy(rows.at(inside.left, y), from, insideBytes);
  }
  return inside;
}

}  // namespace

void StrokeHistory::reset(const PixelRows& ink) {
  steps_.clear();
  undone_ = 0;
  bytes_ = 0;
  rebase(ink);
}

void StrokeHistory::rebase(const PixelRows& ink) {
  base_.width = ink.width;
  base_.height = ink.height;
  base_.pixels = copyOut(ink, {0, 0, ink.width, ink.height});
  stroke_ = {};
}

void StrokeHistory::touched(const Rect& part) {
  stroke_ = stroke_.unite(part);
}

void StrokeHistory::endStroke(const PixelRows& ink) {
  const Rect area =
      stroke_.intersect({0, 0, ink.width, ink.height}).intersect({0, 0, base_.width, base_.height});
  stroke_ = {};
  // Any new stroke, even one that changed nothing, ends what could be redone.
  while (undone_ > 0) {
    bytes_ -= steps_.back().before.size() + steps_.back().after.size();
    steps_.pop_back();
    --undone_;
  }
  if (area.empty()) return;
  Step step{area, copyOut(base_.rows(), area), copyOut(ink, area)};
  copyIn(base_.rows(), area, step.after);
  bytes_ += step.before.size() + step.after.size();
  steps_.push_back(std::move(step));
  trim();
}

void StrokeHistory::trim() {
  while (!steps_.empty() && (steps_.size() > kMaxSteps || bytes_ > kMaxBytes)) {
    bytes_ -= steps_.front().before.size() + steps_.front().after.size();
    steps_.pop_front();
  }
}

Rect StrokeHistory::restore(const PixelRows& ink, const Step& step, bool after) {
  const std::vector<std::uint8_t>& bytes = after ? step.after : step.before;
  copyIn(base_.rows(), step.area, bytes);
  return copyIn(ink, step.area, bytes);
}

Rect StrokeHistory::undo(const PixelRows& ink) {
  if (!canUndo()) return {};
  ++undone_;
  return restore(ink, steps_[steps_.size() - undone_], false);
}

Rect StrokeHistory::redo(const PixelRows& ink) {
  if (!canRedo()) return {};
  const Step& step = steps_[steps_.size() - undone_];
  --undone_;
  return restore(ink, step, true);
}

}  // namespace fudekko
