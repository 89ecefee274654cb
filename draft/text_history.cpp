#include "draft/text_history.h"

#include <algorithm>

namespace fudekko {

namespace {

std::size_t unitsOf(const TextEdit& edit) {
  return edit.removed.size() + edit.inserted.size();
}

bool isBreak(wchar_t c) {
  return c == L'\r' || c == L'\n';
}

}  // namespace

std::optional<TextEdit> differenceBetween(const std::wstring& before, const std::wstring& after) {
  const std::size_t shorter = std::min(before.size(), after.size());
  std::size_t start = 0;
  while (start < shorter && before[start] == after[start]) ++start;
  std::size_t end = 0;
  while (end < shorter - start &&
         before[before.size() - 1 - end] == after[after.size() - 1 - end]) {
    ++end;
  }
  if (start == before.size() && start == after.size()) return std::nullopt;
  return TextEdit{start, before.substr(start, before.size() - start - end),
                  after.substr(start, after.size() - start - end)};
}

std::optional<std::wstring> applyEdit(std::wstring text, const TextEdit& edit) {
  if (edit.position > text.size() ||
      text.compare(edit.position, edit.removed.size(), edit.removed) != 0) {
    return std::nullopt;
  }
  text.replace(edit.position, edit.removed.size(), edit.inserted);
  return text;
}

void TextHistory::reset(std::wstring text) {
  text_ = std::move(text);
  start_ = text_;
  steps_.clear();
  undone_ = 0;
  units_ = 0;
  sealed_ = true;
}

std::optional<TextEdit> TextHistory::recordChange(const std::wstring& text) {
  std::optional<TextEdit> edit = differenceBetween(text_, text);
  if (!edit) return edit;  // nothing changed
  text_ = text;
  const TextEdit recorded = *edit;

  // A new edit makes the undone steps unreachable.
  while (undone_ > 0) {
    units_ -= unitsOf(steps_.back());
    steps_.pop_back();
    --undone_;
    sealed_ = true;
  }
  if (steps_.empty() || sealed_ || !join(steps_.back(), *edit)) {
    units_ += unitsOf(*edit);
    steps_.push_back(std::move(*edit));
  }
  sealed_ = false;
  trim();
  return recorded;
}

bool TextHistory::join(TextEdit& last, const TextEdit& next) {
  const bool lastIsTyping = last.removed.empty() && !last.inserted.empty();
  const bool lastIsDeleting = last.inserted.empty() && !last.removed.empty();
  const bool nextIsOneTyped = next.removed.empty() && next.inserted.size() == 1;
  const bool nextIsOneDeleted =
      next.inserted.empty() && next.removed.size() == 1 && !isBreak(next.removed[0]);
  const std::size_t typedEnd = last.position + last.inserted.size();

  if (lastIsTyping && nextIsOneTyped && next.position == typedEnd && !isBreak(next.inserted[0]) &&
      !isBreak(last.inserted.back())) {
    last.inserted += next.inserted;  // typing on, a line at a time
  } else if (lastIsTyping && nextIsOneDeleted && next.position + 1 == typedEnd) {
    last.inserted.pop_back();  // backspace over what was just typed
    --units_;
    if (last.inserted.empty()) steps_.pop_back();
    return true;
  } else if (lastIsDeleting && nextIsOneDeleted && next.position + 1 == last.position) {
    last.removed = next.removed + last.removed;  // backspace going on
    last.position = next.position;
  } else if (lastIsDeleting && nextIsOneDeleted && next.position == last.position) {
    last.removed += next.removed;  // the delete key going on
  } else {
    return false;
  }
  units_ += unitsOf(next);
  return true;
}

void TextHistory::trim() {
  while (steps_.size() > 1 && (steps_.size() > kMaxSteps || units_ > kMaxUnits)) {
    units_ -= unitsOf(steps_.front());
    steps_.pop_front();
  }
}

void TextHistory::apply(const TextEdit& edit) {
  text_.replace(edit.position, edit.removed.size(), edit.inserted);
}

std::optional<TextEdit> TextHistory::undo() {
  if (!canUndo()) return std::nullopt;
  ++undone_;
  const TextEdit& step = steps_[steps_.size() - undone_];
  TextEdit reverse{step.position, step.inserted, step.removed};
  apply(reverse);
  sealed_ = true;
  return reverse;
}

std::optional<TextEdit> TextHistory::redo() {
  if (!canRedo()) return std::nullopt;
  const TextEdit& step = steps_[steps_.size() - undone_];
  --undone_;
  apply(step);
  sealed_ = true;
  return step;
}

}  // namespace fudekko
