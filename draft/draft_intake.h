#pragma once
// Loading text into the text area and taking the draft's header lines aside.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "draft/command_line.h"
#include "draft/text_lines.h"

namespace fudekko {

// The text does not fit into the text area (more than kTextAreaLimit bytes).
class TextTooLargeError : public Error {
 public:
  TextTooLargeError() : Error("文字列の大きさが メモ の制限を越えました") {}
};

// The bytes as the text area holds them: a zero byte ends the text; CR LF, a lone CR
// and a lone LF each end one line and all become CR LF.
std::string normaliseLineEnds(std::string_view bytes);

// Replaces the text area's text with `bytes` by the rules above. A text equal to the
// one held changes nothing. Throws TextTooLargeError, keeping the former text, when
// the result is longer than kTextAreaLimit.
void loadText(TextLines& area, std::string_view bytes);

// Reads the whole file (Shift-JIS path) and loads it. Throws FileOpenError when it
// cannot be read and TextTooLargeError as loadText; the text area then keeps its text.
void loadTextFile(TextLines& area, const std::string& path);

// The subject that a header line gives: from its 10th byte to its end when it holds
// "Subject:" (case-sensitive, at a character boundary), else nothing.
std::optional<std::string> subjectOfHeaderLine(std::string_view line);

// Moves the header lines (the whole text lines up to the first empty one) from the
// top of the text area to `headerLines`, the last line holding "Subject:" setting
// `subject`, then removes the empty separator line. Cannot fail.
void takeHeaderLines(TextLines& area, std::vector<std::string>& headerLines, std::string& subject);

// The intake of the creation sequence after the command-line step: loads the draft
// when `step` says so, then always takes the header lines. A draft that exists but
// cannot be loaded does not stop the start-up: its error message (UTF-8) is returned
// for the shell to show, and the text area stays as it was.
std::optional<std::string> takeInDraft(const CommandLineStep& step, TextLines& area,
                                       std::vector<std::string>& headerLines, std::string& subject);

}  // namespace fudekko
