#include "draft/draft_intake.h"

#include "common/byte_stream.h"
#include "common/shift_jis.h"

namespace fudekko {

std::string normaliseLineEnds(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 32);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      text += "\r\n";
    } else if (c == '\n') {
      text += "\r\n";
    } else {
      text += c;
    }
  }
  return text;
}

void loadText(TextLines& area, std::string_view bytes) {
  std::string text = normaliseLineEnds(bytes);
  if (text.size() > kTextAreaLimit) throw TextTooLargeError();
  if (text == area.text()) return;
  area.setText(text);
}

void loadTextFile(TextLines& area, const std::string& path) {
  const std::vector<std::uint8_t> bytes = readWholeFile(path);
  loadText(area, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<std::string> subjectOfHeaderLine(std::string_view line) {
  // Searched at character boundaries: a trail byte 0x53 ("S") must not start a match.
  if (findSjis(line, "Subject:") == std::string_view::npos) return std::nullopt;
  return std::string(line.size() > 9 ? line.substr(9) : std::string_view());
}

void takeHeaderLines(TextLines& area, std::vector<std::string>& headerLines, std::string& subject) {
  for (;;) {
    std::string line = area.firstTextLine();
    if (line.empty()) break;
    if (auto found = subjectOfHeaderLine(line)) subject = std::move(*found);
    headerLines.push_back(std::move(line));
    area.deleteFirstTextLine();
  }
  // The empty line between header and body.
  area.deleteFirstTextLine();
}

std::optional<std::string> takeInDraft(const CommandLineStep& step, TextLines& area,
                                       std::vector<std::string>& headerLines,
                                       std::string& subject) {
  std::optional<std::string> failure;
  if (step.action == CommandLineStep::Action::LoadDraft) {
    try {
      loadTextFile(area, step.draftPath);
    } catch (const Error& error) {
      failure = error.what();
    }
  }
  takeHeaderLines(area, headerLines, subject);
  return failure;
}

}  // namespace fudekko
