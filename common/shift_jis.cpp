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

#ifdef _WIN32

namespace {
constexpr UINT kShiftJis = 932;

std::wstring toWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
  return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}
}  // namespace

std::wstring sjisToWide(std::string_view sjis) {
  return toWide(kShiftJis, sjis);
}
std::string wideToSjis(std::wstring_view wide) {
  return fromWide(kShiftJis, wide);
}
std::wstring utf8ToWide(std::string_view utf8) {
  return toWide(CP_UTF8, utf8);
}
std::string wideToUtf8(std::wstring_view wide) {
  return fromWide(CP_UTF8, wide);
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
std::wstring utf8ToWide(std::string_view utf8) {
  return toWideString(convert("WCHAR_T", "UTF-8", utf8));
}
std::string wideToUtf8(std::wstring_view wide) {
  return convert("UTF-8", "WCHAR_T", fromWideString(wide), sizeof(wchar_t));
}

#endif

}  // namespace fudekko
