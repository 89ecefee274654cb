#include "draft/text_area_lines_win32.h"

#include "common/shift_jis.h"
#include "draft/draft_intake.h"
#include "win32/window_text_win32.h"

namespace fudekko::win32 {

std::string TextAreaLines::text() const {
  return fromWide(windowText(edit_), encoding());
}

void TextAreaLines::setText(const std::string& text) {
  const std::wstring wide = toWide(text, encoding());
  beforeText_(wide);
  // One call for the whole text: the control lays it out once.
  if (!::SetWindowTextW(edit_, wide.c_str())) throw TextTooLargeError();
}

// The control always counts a last line, empty or not.
int TextAreaLines::displayLineCount() const {
  return static_cast<int>(::SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
}

std::wstring TextAreaLines::displayLine(int index) const {
  const auto start = ::SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) return {};
  const auto length = ::SendMessageW(edit_, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  if (length <= 0) return {};
  // EM_GETLINE takes the buffer's size in its first character and copies no end mark.
  std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
  line[0] = static_cast<wchar_t>(line.size() > 0xFFFF ? 0xFFFF : line.size());
  const auto copied = ::SendMessageW(edit_, EM_GETLINE, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(line.data()));
  line.resize(static_cast<std::size_t>(copied));
  return line;
}

int TextAreaLines::count() const {
  const int lines = displayLineCount();
  if (lines > 0 && displayLine(lines - 1).empty()) return lines - 1;
  return lines;
}

std::string TextAreaLines::line(int index) const {
  if (index < 0 || index >= count()) return {};
  return limitLineBytes(fromWide(displayLine(index), encoding()), encoding());
}

std::vector<std::string> TextAreaLines::lines() const {
  // When no text line wraps, the display lines are the text lines: one read of the
  // text gives them all. Asking line by line costs a walk from the first line for
  // each one in some edit controls, which is quadratic in a long draft.
  const std::string whole = text();
  std::size_t textLines = 1;
  for (std::size_t at = whole.find("\r\n"); at != std::string::npos;
       at = whole.find("\r\n", at + 2)) {
    ++textLines;
  }
  if (static_cast<std::size_t>(displayLineCount()) == textLines) {
    std::vector<std::string> split;
    split.reserve(textLines);
    std::size_t start = 0;
    for (std::size_t end; (end = whole.find("\r\n", start)) != std::string::npos; start = end + 2) {
      split.push_back(limitLineBytes(whole.substr(start, end - start), encoding()));
    }
    // The count leaves out an empty last line.
    if (start < whole.size()) split.push_back(limitLineBytes(whole.substr(start), encoding()));
    return split;
  }
  const int lineCount = count();
  std::vector<std::string> all;
  all.reserve(static_cast<std::size_t>(lineCount));
  for (int i = 0; i < lineCount; ++i)
    all.push_back(limitLineBytes(fromWide(displayLine(i), encoding()), encoding()));
  return all;
}

}  // namespace fudekko::win32
