#include "surface/stroke_history.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace fudekko {
namespace {

// A layer of four-byte pixels, as the ink layers are.
struct Layer {
  Layer(std::int32_t w, std::int32_t h) : width(w), height(h), pixels(std::size_t(w) * h) {}
  PixelRows rows() {
    return {reinterpret_cast<std::uint8_t*>(pixels.data()), 4 * std::size_t(width), width, height};
  }
  std::uint32_t& at(std::int32_t x, std::int32_t y) { return pixels[std::size_t(y) * width + x]; }
  std::int32_t width, height;
  std::vector<std::uint32_t> pixels;
};

// A stroke: fills `area` with `value` and tells the history, widened as the surface
// widens what it reports. True when what it reported reaches into the layer.
bool stroke(StrokeHistory& history, Layer& layer, const Rect& area, std::uint32_t value) {
  const Rect inside = area.intersect({0, 0, layer.width, layer.height});
  for (std::int32_t y = inside.top; y < inside.bottom; ++y) {
    for (std::int32_t x = inside.left; x < inside.right; ++x) layer.at(x, y) = value;
  }
  const Rect reported{area.left - 2, area.top - 2, area.right + 2, area.bottom + 2};
  history.touched(reported);
  history.endStroke(layer.rows());
  return !reported.intersect({0, 0, layer.width, layer.height}).empty();
}

TEST(StrokeHistory, RandomStrokesUndosAndRedosMatchTheLayerAsItWas) {
  std::mt19937 random(11);
  Layer layer(64, 48);
  StrokeHistory history;
  history.reset(layer.rows());
  // The layer after each stroke still reachable; `current` indexes the one shown.
  std::vector<std::vector<std::uint32_t>> states = {layer.pixels};
  std::size_t current = 0;
  for (int i = 0; i < 400; ++i) {
    const int what = random() % 6;
    if (what < 3) {
      const std::int32_t x = random() % 70 - 3, y = random() % 52 - 3;
      const Rect area{x, y, x + 1 + std::int32_t(random() % 12),
                      y + 1 + std::int32_t(random() % 9)};
      const bool reached = stroke(history, layer, area, random());
      states.resize(current + 1);
      // A stroke wholly outside the layer ends what could be redone but is no step.
      if (reached) {
        states.push_back(layer.pixels);
        ++current;
      }
    } else if (what < 5) {
      history.undo(layer.rows());
      if (current > 0) --current;
    } else {
      history.redo(layer.rows());
      if (current + 1 < states.size()) ++current;
    }
    ASSERT_EQ(layer.pixels, states[current]) << "after operation " << i;
    ASSERT_EQ(history.canUndo(), current > 0);
    ASSERT_EQ(history.canRedo(), current + 1 < states.size());
  }
}

TEST(StrokeHistory, ANewStrokeClearsWhatCouldBeRedone) {
  Layer layer(8, 8);
  StrokeHistory history;
  history.reset(layer.rows());
  stroke(history, layer, {0, 0, 2, 2}, 1);
  stroke(history, layer, {4, 4, 6, 6}, 2);
  EXPECT_EQ(history.undo(layer.rows()), (Rect{2, 2, 8, 8}));
  EXPECT_TRUE(history.canRedo());
  stroke(history, layer, {0, 6, 2, 8}, 3);
  EXPECT_FALSE(history.canRedo());
  EXPECT_TRUE(history.redo(layer.rows()).empty());
  EXPECT_EQ(layer.at(4, 4), 0u);
  EXPECT_EQ(history.stepCount(), 2u);
}

TEST(StrokeHistory, AStepCostsItsRectangleTwiceAndTheOldestGoFirst) {
  Layer layer(100, 100);
  StrokeHistory history;
  history.reset(layer.rows());
  stroke(history, layer, {10, 10, 20, 15}, 7);  // reported 14 x 9 once widened
  EXPECT_EQ(history.stepBytes(), 2u * 4 * 14 * 9);
  for (std::uint32_t i = 0; i < StrokeHistory::kMaxSteps + 5; ++i) {
    stroke(history, layer, {0, 0, 3, 3}, i);
  }
  EXPECT_EQ(history.stepCount(), StrokeHistory::kMaxSteps);
  std::size_t undos = 0;
  while (history.canUndo()) {
    history.undo(layer.rows());
    ++undos;
  }
  EXPECT_EQ(undos, StrokeHistory::kMaxSteps);
  // The oldest steps, the first stroke among them, are gone: its ink stays.
  EXPECT_EQ(layer.at(15, 12), 7u);
}

TEST(StrokeHistory, TheByteBoundDropsOldStepsButNeverAStroke) {
  Layer layer(1500, 1500);
  StrokeHistory history;
  history.reset(layer.rows());
  for (std::uint32_t i = 1; i <= 8; ++i) stroke(history, layer, {0, 0, 1500, 1500}, i);
  EXPECT_LE(history.stepBytes(), StrokeHistory::kMaxBytes);
  EXPECT_GE(history.stepCount(), 1u);
  history.undo(layer.rows());
  EXPECT_EQ(layer.at(700, 700), 7u);
}

TEST(StrokeHistory, AfterAResizeNoStepRestoresPixelsOutsideTheLayer) {
  Layer big(20, 20);
  StrokeHistory history;
  history.reset(big.rows());
  stroke(history, big, {10, 10, 18, 18}, 5);
  // The layer shrinks to 12 x 12, keeping its top-left pixels.
  Layer small(12, 12);
  for (std::int32_t y = 0; y < 12; ++y) {
    for (std::int32_t x = 0; x < 12; ++x) small.at(x, y) = big.at(x, y);
  }
  history.rebase(small.rows());
  EXPECT_EQ(history.undo(small.rows()), (Rect{8, 8, 12, 12}));
  EXPECT_EQ(small.at(11, 11), 0u);
  EXPECT_EQ(history.redo(small.rows()), (Rect{8, 8, 12, 12}));
  EXPECT_EQ(small.at(11, 11), 5u);
  EXPECT_EQ(small.at(9, 9), 0u);  // outside the stroke, inside its widened rectangle
}

}  // namespace
}  // namespace fudekko
