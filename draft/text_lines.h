#pragma once
// The text area's line list, as the draft intake and the send planning see it.
//
// The Win32 text area (a multi-line edit control with word wrap) implements this
// interface; FixedWidthTextLines below is a portable implementation that wraps at a
// fixed number of bytes, for tests. Text is Shift-JIS, or UTF-8 once a UTF-8 draft set
// it so; line ends inside the text are CR LF once it has been loaded (see loadText in
// draft_intake.h).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/shift_jis.h"

namespace fudekko {

// Reading a display line gives at most this many bytes.
inline constexpr std::size_t kMaxLineBytes = 4096;

// The most bytes the text area holds: the multi-line edit control's own maximum
// (EM_SETLIMITTEXT with 0), so that any draft that fits into memory loads. A Shift-JIS
// text never has more UTF-16 characters than bytes, so whatever passes this check
// fits into the control.
inline constexpr std::size_t kTextAreaLimit = 0x7FFFFFFE;

class TextLines {
 public:
  virtual ~TextLines() = default;

  // The whole text.
  virtual std::string text() const = 0;
  // Replaces the whole text with `text` as it stands (no line-end conversion).
  virtual void setText(const std::string& text) = 0;

  // Display lines: a text line wider than the area counts as several lines, cut
  // where the display wraps it. The count leaves out a last line that is empty, so an
  // empty text has no lines and a text ending with a line break no empty last line.
  virtual int count() const = 0;
  // Display line `index` without its line break, at most kMaxLineBytes bytes; the
  // empty string for an index outside 0 .. count() - 1.
  virtual std::string line(int index) const = 0;

  // Every display line, as line(0) .. line(count() - 1) give them. The default asks
  // line by line; an implementation that can do it in one pass over the text does.
  virtual std::vector<std::string> lines() const;

  // The most bytes the area takes; a longer text is refused before it is set.
  virtual std::size_t capacity() const { return kTextAreaLimit; }

  // The encoding of every byte the area gives and takes: the draft's. Set it before
  // the text.
  TextEncoding encoding() const { return encoding_; }
  void setEncoding(TextEncoding encoding) { encoding_ = encoding; }

 private:
  TextEncoding encoding_ = TextEncoding::ShiftJis;
};

// The longest line, in UTF-16 units, that the text area wraps at its width. The system's
// edit control lays a wrapped line out anew from each display line to the line's end,
// which costs the square of its length (minutes for a line of a megabyte, under Wine
// as in older Windows); a text with a longer line is shown unwrapped instead.
inline constexpr std::size_t kLongestWrappedLine = 10000;
bool wrapsAllLines(std::wstring_view text);

// The text's lines as typed: cut only at its line breaks, whatever their length, and
// without an empty last line, as count() leaves it out.
std::vector<std::string> typedLines(const TextLines& area);

// `line` cut to at most kMaxLineBytes bytes without splitting a character.
std::string limitLineBytes(std::string line, TextEncoding encoding);

// Wraps every text line at `bytesPerLine` bytes, never inside a character.
class FixedWidthTextLines : public TextLines {
 public:
  explicit FixedWidthTextLines(std::size_t bytesPerLine, std::string text = {},
                               std::size_t capacity = kTextAreaLimit);

  std::string text() const override { return text_; }
  void setText(const std::string& text) override;
  int count() const override;
  std::string line(int index) const override;
  std::vector<std::string> lines() const override;
  std::size_t capacity() const override { return capacity_; }

  // How often setText was called: loading an equal text must not set it again.
  int setTextCalls() const { return setTextCalls_; }

 private:
  struct Span {
    std::size_t start;
    std::size_t length;
  };
  // Every display line, the empty last one included.
  std::vector<Span> displayLines() const;

  std::size_t bytesPerLine_;
  std::string text_;
  std::size_t capacity_;
  int setTextCalls_ = 0;
};

}  // namespace fudekko
