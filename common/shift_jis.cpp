#include "common/shift_jis.h"

#include <algorithm>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace fudekko {

std::size_t findSjis(std::string_view haystack, std::string_view needle) {
  if (needle.empty()) return 0;
  for (std::size_t at = 0; at + needle.size() <= haystack.size();
       at += sjisCharLength(haystack, at)) {
    if (haystack.compare(at, needle.size(), needle) == 0) return at;
  }
  return std::string_view::npos;
}

namespace {

constexpr bool isHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}
constexpr bool isLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}
constexpr bool isSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit < 0xE000;
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 units, `unitAt(i)` for each i below `count`, as UTF-8.
template <class UnitAt>
std::string utf16ToUtf8(std::size_t count, UnitAt unitAt, LoneSurrogate lone) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = unitAt(i);
    if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(unitAt(i + 1))) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
      ++i;
    } else if (isSurrogate(unit) && lone == LoneSurrogate::Mark) {
      out += '?';
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

// The length of the well-formed UTF-8 character at the start of `text` (0 when none
// starts there) and its code point. With `surrogates`, the three-byte form of a
// surrogate counts as well-formed: it is how a kept lone surrogate comes back.
std::size_t decodeUtf8(std::string_view text, bool surrogates, char32_t& code) {
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byteAt(0);
  std::size_t length;
  if (lead < 0x80) {
    code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byteAt(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byteAt(i) & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF) return 0;
  if (isSurrogate(code) && !surrogates) return 0;
  return length;
}

// Calls `put` with each character of `utf8`, "?" for each byte that starts none.
template <class Put>
void forEachCharacter(std::string_view utf8, bool surrogates, Put put) {
  while (!utf8.empty()) {
    char32_t code = 0;
    const std::size_t length = decodeUtf8(utf8, surrogates, code);
    put(length == 0 ? U'?' : code);
    utf8.remove_prefix(length == 0 ? 1 : length);
  }
}

// Calls `put` with the UTF-16 units of `code`: a pair beyond 16 bits.
template <class Put>
void putUtf16(char32_t code, Put put) {
  if (code >= 0x10000) {
    put(0xD800 + ((code - 0x10000) >> 10));
    put(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    put(code);
  }
}

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

}  // namespace

std::wstring utf8ToWide(std::string_view utf8) {
  std::wstring wide;
  wide.reserve(utf8.size());
  forEachCharacter(utf8, false, [&](char32_t code) {
    if constexpr (kWideIsUtf16) {
      putUtf16(code, [&](char32_t unit) { wide += static_cast<wchar_t>(unit); });
    } else {
      wide += static_cast<wchar_t>(code);
    }
  });
  return wide;
}

std::string wideToUtf8(std::wstring_view wide, LoneSurrogate lone) {
  if constexpr (kWideIsUtf16) {
    return utf16ToUtf8(
        wide.size(), [&](std::size_t i) { return char32_t{static_cast<char16_t>(wide[i])}; }, lone);
  } else {
    std::string out;
    out.reserve(wide.size());
    for (const wchar_t character : wide) {
      const auto code = static_cast<char32_t>(character);
      if (code > 0x10FFFF || (isSurrogate(code) && lone == LoneSurrogate::Mark)) {
        out += '?';
      } else {
        appendUtf8(out, code);
      }
    }
    return out;
  }
}

std::string utf16LeToUtf8(std::string_view bytes, LoneSurrogate lone) {
  return utf16ToUtf8(
      bytes.size() / 2,
      [&](std::size_t i) {
        return char32_t{static_cast<unsigned char>(bytes[2 * i])} |
               char32_t{static_cast<unsigned char>(bytes[2 * i + 1])} << 8;
      },
      lone);
}

std::string utf8ToUtf16Le(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size() * 2);
  forEachCharacter(utf8, true, [&](char32_t code) {
    putUtf16(code, [&](char32_t unit) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    });
  });
  return bytes;
}

bool isWellFormedUtf8(std::string_view bytes) {
  char32_t code = 0;
  for (std::size_t length; !bytes.empty(); bytes.remove_prefix(length)) {
    length = decodeUtf8(bytes, false, code);
    if (length == 0) return false;
  }
  return true;
}

std::size_t charLength(std::string_view text, std::size_t at, TextEncoding encoding) {
  if (encoding == TextEncoding::ShiftJis) return sjisCharLength(text, at);
  char32_t code = 0;
  const std::size_t length = decodeUtf8(text.substr(at), false, code);
  return length == 0 ? 1 : length;
}

#ifdef _WIN32

namespace {
constexpr UINT kShiftJis = 932;
}  // namespace

std::wstring sjisToWide(std::string_view sjis) {
  if (sjis.empty()) return {};
  const int size = static_cast<int>(sjis.size());
  const int length = MultiByteToWideChar(kShiftJis, 0, sjis.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kShiftJis, 0, sjis.data(), size, wide.data(), length);
  return wide;
}

std::string wideToSjis(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(kShiftJis, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string sjis(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kShiftJis, 0, wide.data(), size, sjis.data(), length, nullptr, nullptr);
  return sjis;
}

std::string sjisToUtf8(std::string_view sjis) {
  return wideToUtf8(sjisToWide(sjis));
}
std::string utf8ToSjis(std::string_view utf8) {
  return wideToSjis(utf8ToWide(utf8));
}

#else

namespace {
// Converts with iconv; an input unit (`unitSize` bytes: one byte, or one wchar_t) that
// does not convert becomes "?" rather than failing, as the Win32 conversion functions
// do. Skipping less than a whole unit would read the rest out of step.
std::string convert(const char* to, const char* from, std::string_view input,
                    std::size_t unitSize = 1) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string output;
  char buffer[4096];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Skip the unit that does not convert and mark it.
      const std::size_t skipped = std::min(unitSize, inLeft);
      in += skipped;
      inLeft -= skipped;
      std::string_view mark = "?";
      char* markIn = const_cast<char*>(mark.data());
      std::size_t markLeft = 1;
      out = buffer;
      outLeft = sizeof buffer;
      iconv_t ascii = iconv_open(to, "ASCII");
      iconv(ascii, &markIn, &markLeft, &out, &outLeft);
      iconv_close(ascii);
      output.append(buffer, static_cast<std::size_t>(out - buffer));
    }
  }
  iconv_close(cd);
  return output;
}

std::wstring toWideString(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                      bytes.size() / sizeof(wchar_t));
}

std::string fromWideString(std::wstring_view wide) {
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}
}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
  return convert("UTF-8", "CP932", sjis);
}
std::string utf8ToSjis(std::string_view utf8) {
  return convert("CP932", "UTF-8", utf8);
}
std::wstring sjisToWide(std::string_view sjis) {
  return toWideString(convert("WCHAR_T", "CP932", sjis));
}
std::string wideToSjis(std::wstring_view wide) {
  return convert("CP932", "WCHAR_T", fromWideString(wide), sizeof(wchar_t));
}

#endif

std::wstring toWide(std::string_view text, TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? utf8ToWide(text) : sjisToWide(text);
}

std::string fromWide(std::wstring_view wide, TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? wideToUtf8(wide) : wideToSjis(wide);
}

std::string toSjis(std::string_view text, TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? utf8ToSjis(text) : std::string(text);
}

}  // namespace fudekko
