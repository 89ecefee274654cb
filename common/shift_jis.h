#pragma once
// Every code-page conversion of the program lives here. Text inside the program is
// Shift-JIS (code page 932, always, whatever the system's ANSI code page); it becomes
// UTF-16 only at the Win32 boundary and in a settings file stored so, and UTF-8 only for
// messages, settings files in UTF-8 and tests.

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

// Shift-JIS conversions. What does not convert becomes "?", one for each byte or unit.
std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);
std::wstring sjisToWide(std::string_view sjis);
std::string wideToSjis(std::wstring_view wide);

// What a conversion from UTF-16 makes of a lone surrogate (one half of a pair without
// the other half).
enum class LoneSurrogate {
  Mark,  // "?", like every unit that does not convert: the result is valid UTF-8
  // The three bytes UTF-8 would give its value, which the way back reads as the same
  // unit again: a text read and written back stays unit for unit what it was.
  Keep,
};

// UTF-8 and UTF-16 (a wide string holds UTF-16 units where wchar_t has 16 bits, code
// points where it has 32). A byte that starts no well-formed UTF-8 character becomes
// "?" and the conversion goes on at the next byte.
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide, LoneSurrogate lone = LoneSurrogate::Mark);
// The same for little-endian UTF-16 held as bytes, as a file stores it (an odd last
// byte is no unit and is dropped). The way back reads the three-byte form of a kept
// lone surrogate as that unit.
std::string utf16LeToUtf8(std::string_view bytes, LoneSurrogate lone = LoneSurrogate::Mark);
std::string utf8ToUtf16Le(std::string_view utf8);

// The two encodings a draft's text comes in: Shift-JIS, or UTF-8 from mail clients that
// write it so.
enum class TextEncoding { ShiftJis, Utf8 };

// Whether every byte belongs to a well-formed UTF-8 character (no overlong form, no
// surrogate, nothing past U+10FFFF).
bool isWellFormedUtf8(std::string_view bytes);
// Length in bytes of the character of `text` starting at `at` (1 where none starts).
std::size_t charLength(std::string_view text, std::size_t at, TextEncoding encoding);
std::wstring toWide(std::string_view text, TextEncoding encoding);
std::string fromWide(std::wstring_view wide, TextEncoding encoding);
// `text` as Shift-JIS, for what only takes Shift-JIS (file names, Simple MAPI).
std::string toSjis(std::string_view text, TextEncoding encoding);

}  // namespace fudekko
