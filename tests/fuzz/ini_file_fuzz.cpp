// The settings file, which the user (or any program) may have edited: any bytes as the
// file, then one write of a key. The written value reads back, and every other line of
// the file stays byte for byte: the write changes one line, or adds the key's line
// (and the section's), nothing else.
//
// Input: section, key and value separated by zero bytes, then the file's bytes.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/shift_jis.h"
#include "fuzz/fuzz_check.h"
#include "settings/ini_file.h"

using namespace fudekko;

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A name that a line of the file can spell: not empty, no line break, no bracket or
// equals sign, no blank at either end.
bool isPlainName(std::string_view name) {
  return !name.empty() && name.find_first_of("\r\n[]=") == std::string_view::npos &&
         trim(name) == name;
}

struct Line {
  std::string content;
  std::string end;
  friend bool operator==(const Line&, const Line&) = default;
};

// Lines end with CR LF, a lone CR or a lone LF.
std::vector<Line> lines(std::string_view bytes) {
  std::vector<Line> result;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    std::size_t next = end;
    if (next < bytes.size()) next += bytes.substr(end, 2) == "\r\n" ? 2 : 1;
    result.push_back(
        {std::string(bytes.substr(0, end)), std::string(bytes.substr(end, next - end))});
    bytes.remove_prefix(next);
  }
  return result;
}

std::string fold(std::string_view name) {
  std::string folded;
  for (std::size_t at = 0; at < name.size(); at += sjisCharLength(name, at)) {
    if (sjisCharLength(name, at) == 2) {
      folded += name.substr(at, 2);
    } else {
      folded += name[at] >= 'a' && name[at] <= 'z' ? static_cast<char>(name[at] - 32) : name[at];
    }
  }
  return folded;
}

std::optional<std::string> sectionOf(const Line& line) {
  const std::string_view content = trim(line.content);
  if (!content.starts_with('[') || content.rfind(']') == std::string_view::npos) return {};
  return fold(trim(content.substr(1, content.rfind(']') - 1)));
}

std::optional<std::string> keyOf(const Line& line) {
  const std::size_t equals = line.content.find('=');
  if (equals == std::string::npos || trim(line.content.substr(0, equals)).empty()) return {};
  return fold(trim(std::string_view(line.content).substr(0, equals)));
}

// What reading gives for a written value: up to a line break, without the blanks at
// its ends, at most kIniValueBuffer - 1 bytes of whole characters; a value in a pair
// of double or single quotes may lose them, as the platform's reader drops them. A file in UTF-8
// or UTF-16 holds the value in Unicode: what Shift-JIS cannot spell comes back marked.
bool readsBackAs(std::string_view written, const std::string& read, bool unicodeFile) {
  std::string converted;
  if (unicodeFile) {
    converted = utf8ToSjis(sjisToUtf8(written));
    written = converted;
  }
  std::string_view value = trim(written.substr(0, written.find_first_of("\r\n")));
  std::size_t cut = 0;
  while (cut < value.size() && cut + sjisCharLength(value, cut) <= kIniValueBuffer - 1) {
    cut += sjisCharLength(value, cut);
  }
  value = value.substr(0, cut);
  if (read == value) return true;
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
         value.back() == value.front() && read == value.substr(1, value.size() - 2);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = fuzz::asText(data, size);
  const std::string section(fuzz::takeField(rest));
  const std::string key(fuzz::takeField(rest));
  const std::string value(fuzz::takeField(rest));
  const std::string before(rest);
  if (!isPlainName(section) || !isPlainName(key)) return 0;

  static const std::string path = "settings-" + std::to_string(getpid()) + ".ini";
  std::filesystem::remove(path);
  if (!before.empty() || data[0] % 2 == 0) std::ofstream(path, std::ios::binary) << before;

  IniFile ini(path);
  ini.writeString(section, key, value);
  const std::string read = ini.readString(section, key, "\x01missing");
  // The platform's profile functions know UTF-8 and little-endian UTF-16 by their
  // byte-order marks; any other file is bytes in the ANSI code page.
  const bool utf16File = before.starts_with("\xFF\xFE");
  const bool unicodeFile = utf16File || before.starts_with("\xEF\xBB\xBF");
  FUZZ_CHECK(readsBackAs(value, read, unicodeFile), "the written value does not read back");

  // A file in UTF-16 is written back in UTF-16: its lines are not these bytes.
  if (utf16File) return 0;

  // A file in UTF-8 spells the names in UTF-8.
  const std::string fileSection = unicodeFile ? sjisToUtf8(section) : section;
  const std::string fileKey = unicodeFile ? sjisToUtf8(key) : key;

  // The lines in front and behind that both files share; between them the old file
  // may hold the key's former line, the new one the key's line and maybe its section.
  // The byte-order mark stays in front of the first line; the lines are what follows.
  const std::string after = readFile(path);
  const std::size_t mark = unicodeFile ? 3 : 0;
  FUZZ_CHECK(after.substr(0, mark) == before.substr(0, mark), "the byte-order mark was lost");
  const std::vector<Line> old = lines(std::string_view(before).substr(mark));
  const std::vector<Line> now = lines(std::string_view(after).substr(mark));
  std::size_t front = 0;
  while (front < old.size() && front < now.size() && old[front] == now[front]) ++front;
  // The old last line gains a line break when something is added behind it.
  if (front + 1 == old.size() && front < now.size() && old[front].end.empty() &&
      old[front].content == now[front].content && now[front].end == "\r\n") {
    ++front;
  }
  std::size_t back = 0;
  while (back < old.size() - front && back < now.size() - front &&
         old[old.size() - 1 - back] == now[now.size() - 1 - back]) {
    ++back;
  }
  const std::size_t removed = old.size() - front - back;
  const std::size_t added = now.size() - front - back;
  // A file that already held the value may come back as it was.
  FUZZ_CHECK(removed <= 1 && added <= 2 && (added >= 1 || removed == 0),
             "lines other than the key's changed");
  if (removed == 1) {
    FUZZ_CHECK(keyOf(old[front]) == fold(fileKey), "a line other than the key's was replaced");
  }
  for (std::size_t i = front; i < front + added; ++i) {
    const bool isKey = keyOf(now[i]) == fold(fileKey) && !sectionOf(now[i]);
    const bool isSection = sectionOf(now[i]) == fold(fileSection) && added == 2 && i == front;
    FUZZ_CHECK(isKey || isSection, "a line was added that is neither the key nor its section");
  }
  return 0;
}
