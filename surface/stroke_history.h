#pragma once
// The history of strokes: each step keeps the rectangle of the ink that one stroke
// changed, as it was before and after, so that undo and redo put back exact pixels.
// The ink is seen as rows of four-byte pixels, which both kinds of ink layer are.
//
// A copy of the ink as of the last step (the base) tells what a stroke changed: when
// the stroke ends, the base's rectangle is the step's "before" and the ink's the
// "after". That costs one layer of memory in all and two rectangles a step.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "imaging/geometry.h"

namespace fudekko {

// Rows of four-byte pixels, the first at `origin`, `stride` bytes apart.
struct PixelRows {
  std::uint8_t* origin = nullptr;
  std::size_t stride = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  static constexpr std::size_t kBytesPerPixel = 4;
  std::uint8_t* at(std::int32_t x, std::int32_t y) const {
    return origin + stride * static_cast<std::size_t>(y) + kBytesPerPixel * std::size_t(x);
  }
};

class StrokeHistory {
 public:
  // The bound: at most this many steps and about this many bytes of them; the oldest
  // steps go first, and a stroke is never refused for want of room.
  static constexpr std::size_t kMaxSteps = 100;
  static constexpr std::size_t kMaxBytes = std::size_t{64} << 20;

  // Forgets every step; `ink` is the base from now on. Also after the ink changed size.
  void reset(const PixelRows& ink);
  // Takes `ink` as the base while keeping the steps: after a size change, whose
  // cut-off pixels no step may bring back outside the new size.
  void rebase(const PixelRows& ink);

  // A stroke changed `part` of the ink (widened is fine: unchanged pixels cost room only).
  void touched(const Rect& part);
  // The stroke has ended: its rectangle becomes a step, and what could be redone is gone.
  void endStroke(const PixelRows& ink);

  bool canUndo() const { return undone_ < steps_.size(); }
  bool canRedo() const { return undone_ > 0; }
  // Puts the last step's "before" (the last undone step's "after") into `ink`, clipped
  // to it; returns the rectangle of the ink that changed (empty when none).
  Rect undo(const PixelRows& ink);
  Rect redo(const PixelRows& ink);

  std::size_t stepCount() const { return steps_.size(); }
  // The bytes that the steps keep (the base not counted).
  std::size_t stepBytes() const { return bytes_; }

 private:
  struct Step {
    Rect area;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
  };
  // The ink as of the last step, packed rows.
  struct Base {
    std::vector<std::uint8_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    PixelRows rows() {
      return {pixels.data(), PixelRows::kBytesPerPixel * static_cast<std::size_t>(width), width,
              height};
    }
  };

  Rect restore(const PixelRows& ink, const Step& step, bool after);
  void trim();

  Base base_;
  std::deque<Step> steps_;
  std::size_t undone_ = 0;
  std::size_t bytes_ = 0;
  Rect stroke_;  // what the open stroke touched so far
};

}  // namespace fudekko
