#include "journal/unsent_work.h"

#include <gtest/gtest.h>

#include "surface/stroke_list.h"

namespace fudekko {
namespace {

TEST(UnsentWork, TextCountsWhenItDiffersFromTheLoadedText) {
  TextHistory text;
  text.reset(L"本文");
  const std::span<const Stroke> none;
  EXPECT_FALSE(hasUnsentWork(text, none));
  text.recordChange(L"本文です");
  EXPECT_TRUE(hasUnsentWork(text, none));
  text.undo();
  EXPECT_FALSE(hasUnsentWork(text, none));  // undone back to the loaded text
  text.redo();
  EXPECT_TRUE(hasUnsentWork(text, none));
  // Typed away by hand, without undo: the text is the loaded one again.
  text.seal();
  text.recordChange(L"本文");
  EXPECT_FALSE(hasUnsentWork(text, none));
  // A file opened starts from its own text.
  text.recordChange(L"x");
  text.reset(L"x");
  EXPECT_FALSE(hasUnsentWork(text, none));
}

TEST(UnsentWork, StrokesCountWhileOnThePaper) {
  TextHistory text;
  text.reset(L"");
  StrokeList strokes;
  Stroke stroke;
  stroke.points = {{1, 1}, {5, 5}};
  strokes.add(stroke);
  EXPECT_TRUE(hasUnsentWork(text, strokes.strokes()));
  strokes.undo();
  EXPECT_FALSE(hasUnsentWork(text, strokes.strokes()));
  strokes.redo();
  EXPECT_TRUE(hasUnsentWork(text, strokes.strokes()));
  // Taken by the stroke eraser: nothing left on the paper.
  strokes.remove(0);
  strokes.endRemoval();
  EXPECT_FALSE(hasUnsentWork(text, strokes.strokes()));
}

}  // namespace
}  // namespace fudekko
