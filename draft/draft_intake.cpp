#include "draft/draft_intake.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "common/byte_stream.h"
#include "common/shift_jis.h"

namespace fudekko {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

// A folder gets a message of its own: "cannot open" would leave the user guessing.
[[noreturn]] void throwUnreadable(const Utf8Path& path) {
  if (pathKind(path) == PathKind::Folder) {
    throw Error(formatWithPath("%s はフォルダなので、下書きとして読み込めません", path));
  }
  throw FileOpenError(path);
}

// Sets `text` into the area. Memory that runs out on the way is the same as a text
// that does not fit: the area keeps its former text either way.
void setAreaText(TextLines& area, const std::string& text) {
  if (text.size() > area.capacity()) throw TextTooLargeError();
  try {
    area.setText(text);
  } catch (const std::bad_alloc&) {
    throw TextTooLargeError();
  }
}

}  // namespace

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
  try {
    std::string text = normaliseLineEnds(bytes);
    if (text.size() > area.capacity()) throw TextTooLargeError();
    if (text == area.text()) return;
    setAreaText(area, text);
  } catch (const std::bad_alloc&) {
    throw TextTooLargeError();
  }
}

TextFileBytes readTextFile(const Utf8Path& path, std::size_t limit) {
  std::FILE* file = openFileForReading(path);
  if (!file) throwUnreadable(path);
  const FileCloser closer{file};
  TextFileBytes read;
  char buffer[65536];
  std::size_t got;
  try {
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      const std::string_view chunk(buffer, got);
      const std::size_t zero = chunk.find('\0');
      const std::size_t keep = zero == std::string_view::npos ? got : zero;
      if (keep > limit - read.bytes.size()) throw TextTooLargeError();
      read.bytes.append(buffer, keep);
      if (zero != std::string_view::npos) {
        read.cutAtZeroByte = true;
        return read;
      }
    }
  } catch (const std::bad_alloc&) {
    throw TextTooLargeError();
  }
  // Where a folder opens as a file, reading it fails.
  if (std::ferror(file)) throwUnreadable(path);
  return read;
}

DraftEncoding detectDraftEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) return {TextEncoding::Utf8, true};
  const bool pastAscii = std::any_of(bytes.begin(), bytes.end(), [](char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
  });
  return {pastAscii && isWellFormedUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::ShiftJis,
          false};
}

std::optional<std::string> loadTextFile(TextLines& area, const Utf8Path& path) {
  TextFileBytes read = readTextFile(path, area.capacity());
  const DraftEncoding file = detectDraftEncoding(read.bytes);
  if (file.byteOrderMark) read.bytes.erase(0, kUtf8ByteOrderMark.size());
  if (file.encoding != area.encoding()) {
    read.bytes = fromWide(toWide(read.bytes, file.encoding), area.encoding());
  }
  loadText(area, read.bytes);
  if (!read.cutAtZeroByte) return std::nullopt;
  return formatWithPath(kZeroByteMessage, path);
}

std::optional<std::string> subjectOfHeaderLine(std::string_view line, TextEncoding encoding) {
  // Searched at character boundaries: a Shift-JIS trail byte 0x53 ("S") must not start
  // a match. No UTF-8 character holds an ASCII byte, so there a plain search is right.
  const std::size_t at =
      encoding == TextEncoding::ShiftJis ? findSjis(line, "Subject:") : line.find("Subject:");
  if (at == std::string_view::npos) return std::nullopt;
  return std::string(line.size() > 9 ? line.substr(9) : std::string_view());
}

DraftParts splitDraft(std::string_view text, TextEncoding encoding) {
  DraftParts parts;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find(kLineBreak, at);
    const std::string_view line =
        text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + kLineBreak.size();
    if (line.empty()) {
      // The empty line between header and body.
      parts.body = text.substr(next);
      return parts;
    }
    if (auto found = subjectOfHeaderLine(line, encoding)) parts.subject = std::move(found);
    parts.headerLines.emplace_back(line);
    at = next;
  }
  return parts;
}

void takeHeaderLines(TextLines& area, std::vector<std::string>& headerLines, std::string& subject) {
  const std::string text = area.text();
  DraftParts parts = splitDraft(text, area.encoding());
  if (parts.subject) subject = toSjis(*parts.subject, area.encoding());
  for (std::string& line : parts.headerLines) headerLines.push_back(std::move(line));
  if (parts.body.size() != text.size()) area.setText(std::string(parts.body));
}

TakenDraft takeInDraft(const CommandLineStep& step, TextLines& area) {
  TakenDraft taken;
  if (step.action != CommandLineStep::Action::LoadDraft) {
    takeHeaderLines(area, taken.headerLines, taken.subject);
    return taken;
  }
  try {
    std::string text;
    DraftEncoding encoding;
    bool cut = false;
    try {
      TextFileBytes read = readTextFile(step.draftPath, area.capacity());
      cut = read.cutAtZeroByte;
      encoding = detectDraftEncoding(read.bytes);
      if (encoding.byteOrderMark) read.bytes.erase(0, kUtf8ByteOrderMark.size());
      text = normaliseLineEnds(read.bytes);
    } catch (const std::bad_alloc&) {
      throw TextTooLargeError();
    }
    DraftParts parts = splitDraft(text, encoding.encoding);
    const TextEncoding before = area.encoding();
    area.setEncoding(encoding.encoding);
    try {
      setAreaText(area, std::string(parts.body));
    } catch (...) {
      area.setEncoding(before);
      throw;
    }
    if (parts.subject) taken.subject = toSjis(*parts.subject, encoding.encoding);
    taken.headerLines = std::move(parts.headerLines);
    taken.encoding = encoding;
    if (cut) {
      taken.messageAtLoad = formatWithPath(kZeroByteMessage, step.draftPath);
      taken.sendRefusal = formatWithPath(kDraftCutMessage, step.draftPath);
    }
    return taken;
  } catch (const Error& error) {
    taken.messageAtLoad = error.what();
    taken.sendRefusal = formatWithPath(kDraftNotLoadedMessage, step.draftPath);
  }
  // The area keeps its text; its own header lines are taken as without a draft.
  takeHeaderLines(area, taken.headerLines, taken.subject);
  return taken;
}

}  // namespace fudekko
