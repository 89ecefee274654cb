#include "draft/text_history.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace fudekko {
namespace {

// Types `text` one character at a time at `at`, as the text area reports each key.
void typeAt(TextHistory& history, std::wstring& text, std::size_t at, const std::wstring& typed) {
  for (wchar_t c : typed) {
    text.insert(at++, 1, c);
    history.recordChange(text);
  }
}

void backspace(TextHistory& history, std::wstring& text, std::size_t caret, int count) {
  for (int i = 0; i < count; ++i) {
    text.erase(--caret, 1);
    history.recordChange(text);
  }
}

std::wstring applied(std::wstring text, const TextEdit& edit) {
  return text.replace(edit.position, edit.removed.size(), edit.inserted);
}

TEST(TextHistory, NothingToUndoAfterLoading) {
  TextHistory history;
  history.reset(L"body as loaded\r\n");
  EXPECT_FALSE(history.canUndo());
  EXPECT_FALSE(history.canRedo());
  EXPECT_FALSE(history.undo());
  EXPECT_FALSE(history.redo());
  EXPECT_EQ(history.text(), L"body as loaded\r\n");
}

TEST(TextHistory, AWordTypedIsOneStepAndALineBreakStartsAnother) {
  TextHistory history;
  std::wstring text = L"Dear ";
  history.reset(text);
  typeAt(history, text, 5, L"Ann,\r\nhello");
  // "Ann,", then the line break, then "hello".
  std::wstring shown = text;
  auto edit = history.undo();
  ASSERT_TRUE(edit);
  EXPECT_EQ(*edit, (TextEdit{11, L"hello", L""}));
  shown = applied(shown, *edit);
  edit = history.undo();
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->removed, L"\n");
  shown = applied(shown, *edit);
  shown = applied(shown, *history.undo());
  shown = applied(shown, *history.undo());
  EXPECT_EQ(shown, L"Dear ");
  EXPECT_EQ(history.text(), shown);
  EXPECT_FALSE(history.canUndo());
  // Everything comes back in order.
  while (history.canRedo()) shown = applied(shown, *history.redo());
  EXPECT_EQ(shown, L"Dear Ann,\r\nhello");
}

TEST(TextHistory, BackspaceOverTypedTextAndOnIntoTheLoadedText) {
  TextHistory history;
  std::wstring text = L"abc";
  history.reset(text);
  typeAt(history, text, 3, L"xy");
  backspace(history, text, 5, 4);  // y, x, then c and b of the loaded text
  EXPECT_EQ(text, L"a");
  std::wstring shown = text;
  auto edit = history.undo();  // brings back "bc"
  ASSERT_TRUE(edit);
  EXPECT_EQ(*edit, (TextEdit{1, L"", L"bc"}));
  shown = applied(shown, *edit);
  EXPECT_EQ(shown, L"abc");
  // Typing and then rubbing it out again left nothing worth a step.
  EXPECT_FALSE(history.canUndo());
}

TEST(TextHistory, ANewEditClearsRedoAndSealStartsANewStep) {
  TextHistory history;
  std::wstring text;
  history.reset(text);
  typeAt(history, text, 0, L"one");
  history.seal();
  typeAt(history, text, 3, L"two");
  ASSERT_TRUE(history.undo());
  EXPECT_EQ(history.text(), L"one");
  EXPECT_TRUE(history.canRedo());
  text = history.text();
  typeAt(history, text, 0, L"X");
  EXPECT_FALSE(history.canRedo());
  ASSERT_TRUE(history.undo());
  ASSERT_TRUE(history.undo());
  EXPECT_EQ(history.text(), L"");
}

TEST(TextHistory, PastesAndReplacementsAreStepsOfTheirOwn) {
  TextHistory history;
  history.reset(L"keep this line");
  history.recordChange(L"keep that line");  // a selection replaced
  history.recordChange(L"keep that line, pasted");
  EXPECT_EQ(*history.undo(), (TextEdit{14, L", pasted", L""}));
  EXPECT_EQ(*history.undo(), (TextEdit{7, L"at", L"is"}));
  EXPECT_EQ(history.text(), L"keep this line");
}

TEST(TextHistory, RandomEditsUndoToEveryEarlierTextAndRedoBack) {
  std::mt19937 random(7);
  TextHistory history;
  std::wstring text = L"start";
  history.reset(text);
  std::vector<std::wstring> seen = {text};
  for (int i = 0; i < 300; ++i) {
    const std::size_t at = random() % (text.size() + 1);
    const std::size_t cut = std::min<std::size_t>(random() % 3, text.size() - at);
    std::wstring inserted(random() % 3, static_cast<wchar_t>(L'a' + random() % 3));
    text.replace(at, cut, inserted);
    history.recordChange(text);
    if (random() % 4 == 0) history.seal();
  }
  std::wstring shown = text;
  while (history.canUndo()) shown = applied(shown, *history.undo());
  EXPECT_EQ(shown, L"start");
  while (history.canRedo()) shown = applied(shown, *history.redo());
  EXPECT_EQ(shown, text);
  EXPECT_EQ(history.text(), text);
}

TEST(TextHistory, TheOldestStepsGoFirstPastTheBound) {
  TextHistory history;
  std::wstring text;
  history.reset(text);
  for (std::size_t i = 0; i < TextHistory::kMaxSteps + 10; ++i) {
    history.seal();
    text += L"x";
    history.recordChange(text);
  }
  std::size_t steps = 0;
  while (history.undo()) ++steps;
  EXPECT_EQ(steps, TextHistory::kMaxSteps);
  EXPECT_EQ(history.text(), std::wstring(10, L'x'));
}

}  // namespace
}  // namespace fudekko
