#pragma once
// The main window's text area: the multi-line edit control that shows and edits the
// mail's body, its display lines and the history of the user's own edits. Changes the
// program makes itself (loading a draft or a file, undo, redo) are never recorded as
// the user's.

#include <windows.h>

#include <functional>
#include <optional>

#include "draft/text_area_lines_win32.h"
#include "draft/text_history.h"
#include "win32/handles_win32.h"

namespace fudekko::win32 {

class TextArea {
 public:
  // Creates the control as a child of `parent` with the identifier `id`, its font for
  // `dpi`, empty and hidden behind nothing until it is placed.
  TextArea(HINSTANCE instance, HWND parent, int id, int dpi);
  TextArea(const TextArea&) = delete;
  TextArea& operator=(const TextArea&) = delete;

  // The control may change as a text is loaded (see wraps()): ask for it each time.
  HWND control() const { return edit_; }
  const TextLines& lines() const { return lines_; }
  // Whether the display lines are the text lines wrapped at the area's width. A text
  // with a line longer than kLongestWrappedLine is shown unwrapped, scrolled sideways;
  // its display lines are then its text lines, whole.
  bool wraps() const { return wraps_; }

  // The font drawn anew for `dpi`.
  void setDpi(int dpi);
  void place(const RECT& area);
  SIZE clientSize() const;
  bool visible() const;
  // Shows the control with the keyboard, or hides it and gives the keyboard to its
  // parent.
  void show(bool shown);
  void focus();

  // A notification of the control (WM_COMMAND, with `control()` as its sender):
  // typing at the limit is refused with a beep, a change is the user's edit. Returns the
  // edit the history recorded (what the Edit menu offers may have changed).
  std::optional<TextChange> onNotification(WORD code);

  // Replaces the text by `load` as the program's own change; the history starts anew
  // from the text it leaves, which is returned. When `load` throws, the history stays
  // as it was.
  TextChange load(const std::function<void(TextLines&)>& load);
  // The text and history as an earlier run left them (its journal); a program change.
  void restore(TextHistory history);

  // The Edit menu in text mode: takes back the last edit (brings back the last undone
  // one) in the control, the caret behind the new text, in view.
  // Each returns the step taken, nothing when there was none.
  std::optional<TextChange> undo();
  std::optional<TextChange> redo();
  bool canUndo() const { return history_.canUndo(); }
  bool canRedo() const { return history_.canRedo(); }
  const TextHistory& history() const { return history_; }
  // The next edit starts a step of its own (the mode changed).
  void seal() { history_.seal(); }

 private:
  auto programEdit();
  void apply(const TextEdit& edit);
  // Puts a control that wraps, or one that does not, in place of the one there, as
  // `text` needs, before it gets the text.
  void fitWrapping(std::wstring_view text);

  HINSTANCE instance_;
  int id_;
  bool wraps_ = true;
  HWND edit_ = nullptr;
  Font font_;
  TextAreaLines lines_;
  TextHistory history_;
  // Raised while the program itself changes the text, so that the change is not
  // recorded as the user's.
  bool programEditing_ = false;
};

}  // namespace fudekko::win32
