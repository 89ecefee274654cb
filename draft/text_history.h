#pragma once
// The user's own edits of the text area, as steps that Ctrl+Z takes back and Ctrl+Y
// brings again. The history starts from the text as loaded, so neither the loading of
// the draft nor the header lines that intake took out can ever be brought back by it.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <variant>

namespace fudekko {

// One change of the text: at `position` (UTF-16 units), `removed` gave way to `inserted`.
struct TextEdit {
  std::size_t position = 0;
  std::wstring removed;
  std::wstring inserted;
  friend bool operator==(const TextEdit&, const TextEdit&) = default;
};

// The text history's changes, as the window passes them on to the recovery journal: the
// user's edit (as differenceBetween gives it, before it joins a step), the last step
// taken back or the last undone one brought again, and a text that starts the history
// anew (a file opened).
struct TextUndone {
  friend bool operator==(const TextUndone&, const TextUndone&) = default;
};
struct TextRedone {
  friend bool operator==(const TextRedone&, const TextRedone&) = default;
};
struct TextReplaced {
  std::wstring text;
  friend bool operator==(const TextReplaced&, const TextReplaced&) = default;
};
using TextChange = std::variant<TextEdit, TextUndone, TextRedone, TextReplaced>;

// The one edit that turns `before` into `after`: the stretch between their longest
// common start and end. Nothing when they are equal.
std::optional<TextEdit> differenceBetween(const std::wstring& before, const std::wstring& after);
// `edit` applied to `text`; nothing when it does not fit (its position or removed text
// is not there).
std::optional<std::wstring> applyEdit(std::wstring text, const TextEdit& edit);

class TextHistory {
 public:
  // The history keeps at most this many steps and about this many UTF-16 units of
  // removed and inserted text; the oldest steps go first.
  static constexpr std::size_t kMaxSteps = 1000;
  static constexpr std::size_t kMaxUnits = 8u << 20;

  // Starts again from `text`, with nothing to undo or redo.
  void reset(std::wstring text);

  // The text as the user's edit left it. The difference from the text as it stood
  // becomes a step; typing or deleting that continues the last step joins it, so that
  // a word typed is taken back at once. Clears what could be redone. Returns the edit
  // (nothing when the text is as it was).
  std::optional<TextEdit> recordChange(const std::wstring& text);
  // The next change starts a step of its own (the caret moved, the mode changed).
  void seal() { sealed_ = true; }

  bool canUndo() const { return undone_ < steps_.size(); }
  bool canRedo() const { return undone_ > 0; }

  // The change that takes back the last step (or brings back the last undone one), to
  // be applied to the text area: replace `removed` at `position` by `inserted`. The
  // history counts it as applied. Nothing when there is nothing to undo (redo).
  std::optional<TextEdit> undo();
  std::optional<TextEdit> redo();

  const std::wstring& text() const { return text_; }
  // Whether the text differs from the one the history started from; edits undone back
  // to it leave none.
  bool changedSinceReset() const { return text_ != start_; }

 private:
  void apply(const TextEdit& edit);
  // Joins `next` to the last step when it goes on with it; false when it starts a step.
  bool join(TextEdit& last, const TextEdit& next);
  void trim();

  std::wstring text_;
  std::wstring start_;
  // Oldest first; the last `undone_` steps are the ones that can be redone.
  std::deque<TextEdit> steps_;
  std::size_t undone_ = 0;
  std::size_t units_ = 0;
  bool sealed_ = true;
};

}  // namespace fudekko
