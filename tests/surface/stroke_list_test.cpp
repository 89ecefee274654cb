#include "surface/stroke_list.h"

#include <gtest/gtest.h>

namespace fudekko {
namespace {

Stroke strokeAt(float x, Rect bounds) {
  Stroke stroke;
  stroke.points = {{x, 1}, {x + 1, 2}};
  stroke.bounds = bounds;
  return stroke;
}

std::vector<float> firstXs(const StrokeList& list) {
  std::vector<float> xs;
  for (const Stroke& stroke : list.strokes()) xs.push_back(stroke.points.front().x);
  return xs;
}

// Adding, a sweep's removals as one step, undo and redo: the list comes back in its
// order, each change reports the bounds of what came or went, and a new step ends the
// redos.
TEST(StrokeList, StepsAreListOperationsThatRestoreTheOrder) {
  StrokeList list;
  for (int i = 0; i < 4; ++i) list.add(strokeAt(float(i), {i * 10, 0, i * 10 + 5, 5}));
  EXPECT_EQ(list.remove(1), (Rect{10, 0, 15, 5}));
  EXPECT_EQ(list.remove(2), (Rect{30, 0, 35, 5}));  // the stroke at 3, now third
  list.endRemoval();
  EXPECT_EQ(firstXs(list), (std::vector<float>{0, 2}));
  EXPECT_GT(list.historyBytes(), 0u);

  EXPECT_EQ(list.undo(), (Rect{10, 0, 35, 5}));
  EXPECT_EQ(firstXs(list), (std::vector<float>{0, 1, 2, 3}));
  EXPECT_EQ(list.historyBytes(), 0u);
  EXPECT_EQ(list.undo(), (Rect{30, 0, 35, 5}));  // the last added
  EXPECT_EQ(firstXs(list), (std::vector<float>{0, 1, 2}));
  EXPECT_EQ(list.redo(), (Rect{30, 0, 35, 5}));
  EXPECT_EQ(list.redo(), (Rect{10, 0, 35, 5}));
  EXPECT_EQ(firstXs(list), (std::vector<float>{0, 2}));
  EXPECT_FALSE(list.canRedo());

  list.undo();
  list.add(strokeAt(9, {}));
  EXPECT_FALSE(list.canRedo());
  EXPECT_EQ(firstXs(list), (std::vector<float>{0, 1, 2, 3, 9}));

  // A sweep that touched nothing is no step; a removal out of range does nothing.
  const std::size_t steps = list.stepCount();
  EXPECT_TRUE(list.remove(99).empty());
  list.endRemoval();
  EXPECT_EQ(list.stepCount(), steps);
}

// The history's bound counts what it holds off the paper; past it the oldest steps go,
// never a stroke on the paper.
TEST(StrokeList, HistoryStaysWithinItsBound) {
  StrokeList list;
  Stroke big;
  big.points.resize(StrokeList::kMaxBytes / sizeof(StrokePoint) / 3);
  for (int i = 0; i < 5; ++i) list.add(big);
  for (int i = 0; i < 5; ++i) {
    list.remove(0);
    list.endRemoval();
  }
  EXPECT_LE(list.historyBytes(), StrokeList::kMaxBytes);
  EXPECT_TRUE(list.strokes().empty());
  int undone = 0;
  while (list.canUndo()) {
    list.undo();
    ++undone;
  }
  EXPECT_GE(undone, 2);
  EXPECT_LT(undone, 10);
}

}  // namespace
}  // namespace fudekko
