#pragma once
// Every code-page conversion of the program lives here. Text inside the program is
// Shift-JIS (code page 932, always, whatever the system's ANSI code page); it becomes
// UTF-16 only at the Win32 boundary and UTF-8 only for messages and tests.

#include <cstddef>
#include <string>
#include <string_view>

namespace fudekko {

// True for a byte that starts a two-byte Shift-JIS character.
constexpr bool isSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that can end a two-byte Shift-JIS character.
constexpr bool isSjisTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Length in bytes of the character starting at `at`: 2 for a lead byte followed by a
// trail byte, else 1 (a lead byte without a trail byte stands alone).
inline std::size_t sjisCharLength(std::string_view text, std::size_t at) {
  return isSjisLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                 isSjisTrailByte(static_cast<unsigned char>(text[at + 1]))
             ? 2
             : 1;
}

// Finds `needle` at a character boundary of `haystack`, so that a trail byte 0x5C or
// 0x7C is never taken for a backslash or a bar.
std::size_t findSjis(std::string_view haystack, std::string_view needle);

std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);
std::wstring sjisToWide(std::string_view sjis);
std::string wideToSjis(std::wstring_view wide);
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);

}  // namespace fudekko
