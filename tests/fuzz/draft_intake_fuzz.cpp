// The draft intake, fed with any draft (line ends of every kind, zero bytes, headers
// without a blank line, "Subject:" anywhere) and any text-area width. Whatever the
// draft, the header lines, the blank line and the body left in the text area rebuild
// the text as loaded, and the subject is the last "Subject:" header's.
//
// Kept to the intake's purpose (load, take the header lines) so that it follows the
// intake through changes of its inner workings.

#include <string>
#include <string_view>
#include <vector>

#include "draft/draft_intake.h"
#include "fuzz/fuzz_check.h"

using namespace fudekko;

namespace {

// The text as loaded, worked out independently: up to the first zero byte, every CR LF,
// lone CR and lone LF one CR LF.
std::string modelLoaded(std::string_view draft) {
  std::string text;
  for (std::size_t at = 0; at < draft.size() && draft[at] != '\0'; ++at) {
    if (draft[at] == '\n' || draft[at] == '\r') {
      if (draft[at] == '\r' && at + 1 < draft.size() && draft[at + 1] == '\n') ++at;
      text += "\r\n";
    } else {
      text += draft[at];
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t width = 1 + data[0] % 80;
  const std::string_view draft = fuzz::asText(data + 1, size - 1);

  FixedWidthTextLines area(width);
  loadText(area, draft);
  const std::string loaded = modelLoaded(draft);
  FUZZ_CHECK(area.text() == loaded, "the loaded text differs from the draft's lines");

  std::vector<std::string> headerLines;
  std::string subject;
  takeHeaderLines(area, headerLines, subject);

  std::string rebuilt;
  std::string expectedSubject;
  for (const std::string& line : headerLines) {
    FUZZ_CHECK(!line.empty(), "an empty header line");
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos, "a header line holds a break");
    if (const auto found = subjectOfHeaderLine(line)) expectedSubject = *found;
    rebuilt += line + "\r\n";
  }
  FUZZ_CHECK(subject == expectedSubject, "the subject is not the last Subject: header's");

  const std::size_t blank = loaded.starts_with("\r\n") ? 0 : loaded.find("\r\n\r\n");
  if (blank != std::string::npos) {
    // Header lines, the blank line, the body.
    rebuilt += "\r\n" + area.text();
    FUZZ_CHECK(rebuilt == loaded, "header lines, blank line and body do not rebuild the draft");
  } else {
    // No blank line: every line is a header line and nothing is left.
    FUZZ_CHECK(area.text().empty(), "text left behind in a draft without a blank line");
    const std::string whole = loaded.ends_with("\r\n") || loaded.empty() ? loaded : loaded + "\r\n";
    FUZZ_CHECK(rebuilt == whole, "the header lines do not rebuild a draft without a blank line");
  }
  return 0;
}
