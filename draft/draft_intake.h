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

// The text does not fit into the text area (more than its capacity, or more than the
// memory there is).
class TextTooLargeError : public Error {
 public:
  TextTooLargeError() : Error("文字列の大きさが メモ の制限を越えました") {}
};

// The bytes as the text area holds them: a zero byte ends the text; CR LF, a lone CR
// and a lone LF each end one line and all become CR LF.
std::string normaliseLineEnds(std::string_view bytes);

// Replaces the text area's text with `bytes` by the rules above. A text equal to the
// one held changes nothing. Throws TextTooLargeError, keeping the former text, when
// the result is longer than the area's capacity.
void loadText(TextLines& area, std::string_view bytes);

// The file's bytes up to its first zero byte (which the text area would end the text
// at anyway), read no further than that. Throws FileOpenError when it cannot be read
// and TextTooLargeError when more than `limit` bytes come before a zero byte.
std::string readTextFile(const std::string& path, std::size_t limit);

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// How a draft's bytes are encoded: UTF-8 when they start with its byte-order mark or
// are well-formed UTF-8 holding a byte past ASCII, Shift-JIS otherwise. The test is for
// UTF-8, not against Shift-JIS: real Shift-JIS text is almost never well-formed UTF-8,
// while short UTF-8 Japanese often passes for Shift-JIS.
struct DraftEncoding {
  TextEncoding encoding = TextEncoding::ShiftJis;
  bool byteOrderMark = false;
  friend bool operator==(const DraftEncoding&, const DraftEncoding&) = default;
};
DraftEncoding detectDraftEncoding(std::string_view bytes);

// Reads the file (Shift-JIS path) and loads it, in the area's encoding whichever of
// the two the file is in. Throws FileOpenError when it cannot be read and
// TextTooLargeError as loadText; the text area then keeps its text.
void loadTextFile(TextLines& area, const std::string& path);

// The subject that a header line gives: from its 10th byte to its end when it holds
// "Subject:" (case-sensitive, at a character boundary), else nothing.
std::optional<std::string> subjectOfHeaderLine(std::string_view line,
                                               TextEncoding encoding = TextEncoding::ShiftJis);

// A text (line ends already CR LF) cut into its header lines, the whole text lines
// up to the first empty one, and the body after that empty line. `subject` is that of
// the last header line that has one.
struct DraftParts {
  std::vector<std::string> headerLines;
  std::optional<std::string> subject;
  std::string_view body;
};
// One pass over the text: time and memory in proportion to its size.
DraftParts splitDraft(std::string_view text, TextEncoding encoding = TextEncoding::ShiftJis);

// Moves the header lines from the top of the text area to `headerLines`, the last line
// holding "Subject:" setting `subject`, and removes the empty separator line: the text
// is read once and, when it had header lines, set once. Cannot fail but for memory.
void takeHeaderLines(TextLines& area, std::vector<std::string>& headerLines, std::string& subject);

// What the intake took aside of the text, and whether the named draft was taken in.
struct TakenDraft {
  // As the draft holds them, in its encoding.
  std::vector<std::string> headerLines;
  // That of the last header line with "Subject:", in Shift-JIS; empty when none has it.
  std::string subject;
  // The draft's; the text area takes its encoding, and Send writes the draft back so.
  DraftEncoding encoding;
  // Why the draft that the command line named was not taken in (UTF-8, for the user).
  // Send must refuse then, or the user's pending mail would be replaced.
  std::optional<std::string> notTakenIn;
};

// The intake of the creation sequence after the command-line step. A named draft is
// read and split from its own bytes, so the header lines leave as they came, and only
// its body is set into the text area, once, in the draft's encoding. Without a draft the header
// lines are taken from the text area as it stands. A draft that exists but cannot be loaded does
// not stop the start-up: the text area stays as it was, its own header lines are taken, and the
// reason is returned for the shell to show.
TakenDraft takeInDraft(const CommandLineStep& step, TextLines& area);

}  // namespace fudekko
