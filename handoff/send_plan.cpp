#include "handoff/send_plan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "common/shift_jis.h"

namespace fudekko {

namespace {

// A single byte that is no character of its own in Shift-JIS.
constexpr bool isUndefinedSingleByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

bool isForbiddenInName(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || std::strchr("\\/:*?\"<>|", byte) != nullptr;
}

bool isBlankOrControl(unsigned char byte) {
  return byte <= 32;
}

// The characters of `text`, each one or two bytes.
std::vector<std::string_view> sjisCharacters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = sjisCharLength(text, at);
    characters.push_back(text.substr(at, length));
    at += length;
  }
  return characters;
}

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Length of the reserved device name that `stem` names, or 0. The device is named by
// the part in front of the first dot, trailing blanks left out.
std::size_t reservedDeviceLength(const std::string& stem) {
  std::string word = stem.substr(0, stem.find('.'));
  while (!word.empty() && word.back() == ' ') word.pop_back();
  std::transform(word.begin(), word.end(), word.begin(), asciiUpper);
  static constexpr std::array<std::string_view, 6> fixed = {"CON", "PRN",    "AUX",
                                                            "NUL", "CONIN$", "CONOUT$"};
  if (std::find(fixed.begin(), fixed.end(), word) != fixed.end()) return word.size();
  if (word.size() == 4 && (word.starts_with("COM") || word.starts_with("LPT")) && word[3] >= '0' &&
      word[3] <= '9') {
    return 4;
  }
  return 0;
}

bool endsWithSeparator(const std::string& path) {
  const auto characters = sjisCharacters(path);
  return !characters.empty() && (characters.back() == "\\" || characters.back() == "/");
}

}  // namespace

TemporaryFolderError::TemporaryFolderError(const char* messageUtf8, const std::string& folder)
    : Error(formatWithPath(messageUtf8, folder)) {}

TemporaryFolderError::TemporaryFolderError(const char* messageUtf8, const Utf8Path& folder)
    : Error(formatWithPath(messageUtf8, folder)) {}

std::string subjectOrFallback(const std::string& subject, const std::string& firstBodyLine) {
  if (!subject.empty()) return subject;
  const auto first = std::find_if_not(firstBodyLine.begin(), firstBodyLine.end(),
                                      [](char c) { return isBlankOrControl(c); });
  const auto last = std::find_if_not(firstBodyLine.rbegin(), firstBodyLine.rend(),
                                     [](char c) { return isBlankOrControl(c); });
  if (first == firstBodyLine.end()) return kUntitledSubject;
  return std::string(first, last.base());
}

std::string replaceColons(std::string subject) {
  // A trail byte is never 0x3A, so a byte-wise replacement is safe here.
  std::replace(subject.begin(), subject.end(), ':', '_');
  return subject;
}

std::size_t sjisCharCount(const std::string& sjis) {
  return sjisCharacters(sjis).size();
}

std::string safeFileStem(const std::string& subject, std::size_t maxChars) {
  std::string stem;
  std::size_t count = 0;
  for (const std::string_view character : sjisCharacters(subject)) {
    if (count == maxChars) break;
    ++count;
    const auto byte = static_cast<unsigned char>(character[0]);
    const bool single = character.size() == 1;
    if (single &&
        (isSjisLeadByte(byte) || isUndefinedSingleByte(byte) || isForbiddenInName(byte))) {
      stem += '_';
    } else {
      stem += character;
    }
  }
  if (stem.empty()) return "_";

  // Dots and blanks are never trail bytes, so from here on bytes are characters.
  for (std::size_t at = 0; at < stem.size();) {
    std::size_t end = at;
    while (end < stem.size() && stem[end] == '.') ++end;
    if (end - at >= 2) std::fill(stem.begin() + at, stem.begin() + end, '_');
    at = end == at ? at + sjisCharLength(stem, at) : end;
  }
  for (std::size_t at = stem.size(); at > 0 && (stem[at - 1] == '.' || stem[at - 1] == ' '); --at) {
    // A trail byte is never a dot or a blank, so this byte is a character of its own.
    stem[at - 1] = '_';
  }
  if (const std::size_t device = reservedDeviceLength(stem)) stem[device - 1] = '_';
  return stem;
}

std::string picturePath(const std::string& folder, const std::string& subject,
                        AttachmentFormat format, PathLimits limits, unsigned variant) {
  std::string path = folder;
  if (!endsWithSeparator(path)) path += '\\';
  const std::string extension =
      (variant > 1 ? " (" + std::to_string(variant) + ")" : std::string()) +
      std::string(attachmentExtension(format));
  const std::size_t folderChars = sjisCharCount(path);
  const std::size_t room = std::min(
      limits.maxName, limits.maxPath > folderChars ? limits.maxPath - folderChars : std::size_t{0});
  if (room <= extension.size()) {
    throw TemporaryFolderError("一時フォルダ %s のパスが長すぎて、添付ファイルを置けません",
                               folder);
  }
  return path + safeFileStem(subject, room - extension.size()) + extension;
}

std::string draftBytes(const std::vector<std::string>& headerLines,
                       const std::vector<std::string>& bodyLines) {
  std::string bytes;
  for (const std::string& line : headerLines) bytes += line + "\r\n";
  bytes += "\r\n";
  for (const std::string& line : bodyLines) bytes += line + "\r\n";
  return bytes;
}

std::string mailClientCommandLine(const std::string& mailClientPath, const std::string& draftPath,
                                  const std::string& picturePath) {
  return mailClientPath + " /file:\"" + draftPath + "\" /attach:\"" + picturePath + "\"";
}

std::optional<WindowId> findPendingSendWindow(const std::vector<TopLevelWindow>& windows) {
  for (const TopLevelWindow& window : windows) {
    if (!window.visible && findSjis(window.title, kSendWindowTitle) != std::string::npos) {
      return window.id;
    }
  }
  return std::nullopt;
}

}  // namespace fudekko
