#pragma once
// In handwriting mode the main window cannot grow beyond the outer size it had when the
// mode was entered: the pictures were taken at that size.

#include <algorithm>
#include <cstdint>

namespace fudekko {

class WindowSizeCap {
 public:
  // The outer size at a press of the handwriting button.
  void record(std::int32_t width, std::int32_t height) {
    width_ = width;
    height_ = height;
  }
  // Lowers a proposed outer size to the recorded one while `handwriting`.
  void limit(bool handwriting, std::int32_t& width, std::int32_t& height) const {
    if (!handwriting) return;
    width = std::min(width, width_);
    height = std::min(height, height_);
  }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace fudekko
