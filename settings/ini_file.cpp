#include "settings/ini_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/byte_stream.h"
#include "common/replace_file.h"
#include "common/shift_jis.h"

namespace fudekko {

namespace {

constexpr std::string_view kNewLine = "\r\n";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Equal but for the case of ASCII letters, compared character by character so that
// a Shift-JIS trail byte is never folded.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t at = 0;
  while (at < a.size()) {
    const std::size_t length = sjisCharLength(a, at);
    if (length == 2) {
      if (a.substr(at, 2) != b.substr(at, 2)) return false;
    } else {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
      if (fold(a[at]) != fold(b[at])) return false;
    }
    at += length;
  }
  return true;
}

struct Line {
  std::string content;
  std::string end;  // the line's own line break, kept as it was; empty for the last
};

std::vector<Line> splitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::size_t next = end;
    if (next < bytes.size() && bytes[next] == '\r') ++next;
    if (next < bytes.size() && bytes[next] == '\n' && (next == end || bytes[end] == '\r')) ++next;
    lines.push_back({std::string(bytes.substr(start, end - start)),
                     std::string(bytes.substr(end, next - end))});
    start = next;
  }
  return lines;
}

// The name of a section line "[name]", or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view content) {
  content = trim(content);
  if (content.empty() || content.front() != '[') return std::nullopt;
  const std::size_t close = content.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(content.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view content) {
  const std::size_t equals = content.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view key = trim(content.substr(0, equals));
  if (key.empty()) return std::nullopt;
  return KeyLine{key, trim(content.substr(equals + 1))};
}

// Where a section and a key lie among the lines.
struct Found {
  std::optional<std::size_t> section;  // the section line
  std::size_t sectionEnd = 0;          // the first line after the section
  std::optional<std::size_t> key;      // the key line
};

Found find(const std::vector<Line>& lines, std::string_view section) {
  Found found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = sectionName(lines[i].content);
    if (!name) continue;
    if (found.section) {
      found.sectionEnd = i;
      return found;
    }
    if (sameName(*name, section)) found.section = i;
  }
  if (!found.section) return found;
  found.sectionEnd = lines.size();
  return found;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const Found& where,
                                   std::string_view key) {
  for (std::size_t i = *where.section + 1; i < where.sectionEnd; ++i) {
    const auto entry = keyLine(lines[i].content);
    if (entry && sameName(entry->key, key)) return i;
  }
  return std::nullopt;
}

// How the file's text is stored. The lines are worked on as UTF-8 for the two Unicode
// forms (values convert from and to Shift-JIS at the edge) and as bytes otherwise.
enum class Encoding { Ansi, Utf8Bom, Utf16Bom };

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

struct FileText {
  Encoding encoding = Encoding::Ansi;
  std::string text;  // without the byte-order mark; UTF-8 for the Unicode forms
};

FileText decode(std::string bytes) {
  if (bytes.starts_with(kUtf8Bom)) return {Encoding::Utf8Bom, bytes.substr(kUtf8Bom.size())};
  if (bytes.starts_with(kUtf16Bom)) {
    // A lone surrogate is kept, so that the way back gives the same units: no line of
    // the file is changed by reading it.
    return {Encoding::Utf16Bom,
            utf16LeToUtf8(std::string_view(bytes).substr(kUtf16Bom.size()), LoneSurrogate::Keep)};
  }
  return {Encoding::Ansi, std::move(bytes)};
}

std::string encode(const FileText& file) {
  switch (file.encoding) {
    case Encoding::Utf8Bom:
      return std::string(kUtf8Bom) + file.text;
    case Encoding::Utf16Bom:
      return std::string(kUtf16Bom) + utf8ToUtf16Le(file.text);
    case Encoding::Ansi:
      break;
  }
  return file.text;
}

// A value or name as the program holds it (Shift-JIS) from the file's text, and back.
std::string valueFromFile(Encoding encoding, std::string_view value) {
  return encoding == Encoding::Ansi ? std::string(value) : utf8ToSjis(value);
}
std::string valueToFile(Encoding encoding, std::string_view value) {
  return encoding == Encoding::Ansi ? std::string(value) : sjisToUtf8(value);
}

// A value in a pair of double or single quotes loses them, as the platform's profile
// functions drop them.
std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::optional<std::string> readFile(const std::string& path) {
  try {
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  } catch (const Error&) {
    return std::nullopt;
  }
}

// Writes the whole file anew beside the old one and puts it in its place.
void replaceFile(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".tmp";
  bool replaced = false;
  try {
    replaced = writeBesideThenRename(fileSystemPath(temporary), fileSystemPath(path), [&] {
      FileSink sink(temporary);
      sink.write(bytes.data(), bytes.size());
      sink.close();
    });
  } catch (const Error&) {
    // Its message names the temporary file; the report names the settings file.
  }
  if (!replaced) throw SettingsWriteError(path);
}

// Rewrites the file where it stands: for a file that may be written in a folder that
// may not (no temporary file can be made beside it, or none renamed over it).
void overwriteFile(const std::string& path, std::string_view bytes) {
  try {
    FileSink sink(path);
    sink.write(bytes.data(), bytes.size());
    sink.close();
  } catch (const Error&) {
    throw SettingsWriteError(path);
  }
}

}  // namespace

SettingsReadOnlyError::SettingsReadOnlyError(const std::string& path)
    : SettingsWriteError("%s は読み取り専用なので、設定を書き込みません",
                         Utf8Path{sjisToUtf8(path)}) {}

std::optional<std::int32_t> parseIniInteger(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  if (rest.empty()) return std::nullopt;

  std::size_t markerLength = 0;
  if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
    markerLength = 1;
  } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    markerLength = 2;
  }
  if (markerLength > 0) {
    const std::string_view digits = rest.substr(markerLength);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
      int digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return std::nullopt;
      }
      value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
  }

  bool negative = false;
  if (rest[0] == '-' || rest[0] == '+') {
    negative = rest[0] == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto bytes = readFile(path_);
  if (!bytes) return std::string(fallback);
  const FileText file = decode(std::move(*bytes));
  const std::vector<Line> lines = splitLines(file.text);
  const Found where = find(lines, valueToFile(file.encoding, section));
  if (!where.section) return std::string(fallback);
  const auto at = findKey(lines, where, valueToFile(file.encoding, key));
  if (!at) return std::string(fallback);
  std::string value = valueFromFile(file.encoding, unquote(keyLine(lines[*at].content)->value));
  if (value.size() >= kIniValueBuffer) {
    // Cut to the buffer, never inside a two-byte character.
    std::size_t cut = 0;
    while (cut + sjisCharLength(value, cut) <= kIniValueBuffer - 1)
      cut += sjisCharLength(value, cut);
    value.resize(cut);
  }
  return value;
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
  return parseIniInteger(readString(section, key, "")).value_or(fallback);
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  // A line break inside the value would start a line of its own in the file.
  value = value.substr(0, value.find_first_of("\r\n"));

  FileText file;
  std::error_code ignored;
  const std::filesystem::file_status status =
      std::filesystem::status(fileSystemPath(path_), ignored);
  const bool exists = std::filesystem::exists(status);
  // A read-only file would be replaced by a writable one through the temporary file,
  // losing the mark its owner set, as Save As never does with a picture.
  if (std::filesystem::is_regular_file(status) &&
      (status.permissions() & std::filesystem::perms::owner_write) ==
          std::filesystem::perms::none) {
    throw SettingsReadOnlyError(path_);
  }
  if (exists || !std::filesystem::status_known(status)) {
    // A file that exists (or may) but cannot be read must not be replaced by one that
    // lacks its other lines.
    auto bytes = readFile(path_);
    if (!bytes) throw SettingsWriteError(path_);
    file = decode(std::move(*bytes));
  }
  std::vector<Line> lines = splitLines(file.text);
  // Names and value as the file spells them.
  const std::string storedSection = valueToFile(file.encoding, section);
  const std::string storedKey = valueToFile(file.encoding, key);
  const std::string storedValue = valueToFile(file.encoding, value);
  section = storedSection;
  key = storedKey;
  value = storedValue;

  const Found where = find(lines, section);
  if (!where.section) {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = kNewLine;
    lines.push_back({"[" + std::string(section) + "]", std::string(kNewLine)});
    lines.push_back({std::string(key) + "=" + std::string(value), std::string(kNewLine)});
  } else if (const auto at = findKey(lines, where, key)) {
    const std::string spelled(keyLine(lines[*at].content)->key);
    lines[*at].content = spelled + "=" + std::string(value);
  } else {
    // After the section's last line that is not blank, so that blank lines before the
    // next section stay where they are.
    std::size_t insertAt = *where.section + 1;
    for (std::size_t i = *where.section + 1; i < where.sectionEnd; ++i) {
      if (!trim(lines[i].content).empty()) insertAt = i + 1;
    }
    if (lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = kNewLine;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 Line{std::string(key) + "=" + std::string(value), std::string(kNewLine)});
  }

  file.text.clear();
  for (const Line& line : lines) file.text += line.content + line.end;
  const std::string bytes = encode(file);
  try {
    replaceFile(path_, bytes);
  } catch (const SettingsWriteError&) {
    if (!exists) throw;
    overwriteFile(path_, bytes);
  }
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
  writeString(section, key, std::to_string(value));
}

}  // namespace fudekko
