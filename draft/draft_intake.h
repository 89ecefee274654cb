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

// Told at load when a file holds a zero byte ("%s" is its path): the text area ends
// its text there, so what follows cannot be shown.
inline constexpr char kZeroByteMessage[] =
    "%s には本文に表示できないバイト (0x00) が含まれているため、その手前までを表示します";
// Send's refusals for a draft not taken in, or not whole; "%s" is the draft's path.
inline constexpr char kDraftNotLoadedMessage[] = "下書き %s を読み込めなかったので、送信できません";
inline constexpr char kDraftCutMessage[] =
    "下書き %s には本文に表示できないバイトが含まれているため、送信できません。"
    "メールソフトの下書きはそのまま残ります";

// A file's bytes up to its first zero byte (where the text area would end the text
// anyway), read no further than that, and whether there was one.
struct TextFileBytes {
  std::string bytes;
  bool cutAtZeroByte = false;
};

// Throws FileOpenError when the file cannot be read (an Error that says so when it is
// a folder) and TextTooLargeError when more than `limit` bytes come before a zero byte.
TextFileBytes readTextFile(const Utf8Path& path, std::size_t limit);

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

// Reads the file and loads it, in the area's encoding whichever of the two the file is
// in. Throws as readTextFile and loadText; the text area then keeps its text. Returns
// the message for the user when the file was cut at a zero byte.
std::optional<std::string> loadTextFile(TextLines& area, const Utf8Path& path);

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

// What the intake took aside of the text, and whether the named draft was taken in
// whole.
struct TakenDraft {
  // As the draft holds them, in its encoding.
  std::vector<std::string> headerLines;
  // That of the last header line with "Subject:", in Shift-JIS; empty when none has it.
  std::string subject;
  // The draft's; the text area takes its encoding, and Send writes the draft back so.
  DraftEncoding encoding;
  // What the user is told at load (UTF-8): why the draft that the command line named
  // was not taken in, or that it was cut at a zero byte.
  std::optional<std::string> messageAtLoad;
  // Send's refusal (UTF-8) in either case: the text area does not hold the whole mail,
  // and handing it back would replace the pending mail with less than it is.
  std::optional<std::string> sendRefusal;
};

// The intake of the creation sequence after the command-line step. A named draft is
// read and split from its own bytes, so the header lines leave as they came, and only
// its body is set into the text area, once, in the draft's encoding. Without a draft
// the header lines are taken from the text area as it stands. A draft that exists but
// cannot be loaded does not stop the start-up: the text area stays as it was, its own
// header lines are taken, and the reason is returned for the shell to show. A draft
// with a zero byte is taken in up to it, and Send is refused.
TakenDraft takeInDraft(const CommandLineStep& step, TextLines& area);

}  // namespace fudekko
