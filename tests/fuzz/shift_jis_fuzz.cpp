// The code-page conversions, fed with any bytes as Shift-JIS, as UTF-8 and as UTF-16
// units. Checks the properties that hold for every input, unmapped bytes included.

#include <string>
#include <string_view>

#include "common/shift_jis.h"
#include "fuzz/fuzz_check.h"

using namespace fudekko;

namespace {

// Every byte a whole character: a single-byte one, or a lead byte with its trail byte.
bool isWellFormedSjis(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (isSjisLeadByte(byte)) {
      if (at + 1 >= text.size() || !isSjisTrailByte(static_cast<unsigned char>(text[at + 1]))) {
        return false;
      }
      at += 2;
    } else {
      if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD) return false;
      ++at;
    }
  }
  return true;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length;
    char32_t value;
    if (byte < 0x80) {
      ++at;
      continue;
    } else if (byte >= 0xC2 && byte <= 0xDF) {
      length = 2, value = byte & 0x1F;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      length = 3, value = byte & 0x0F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      length = 4, value = byte & 0x07;
    } else {
      return false;
    }
    if (at + length > text.size()) return false;
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      value = value << 6 | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    at += length;
  }
  return true;
}

// findSjis as its description says: the first character boundary where `needle` starts.
std::size_t modelFind(std::string_view haystack, std::string_view needle) {
  std::size_t at = 0;
  for (;;) {
    if (haystack.substr(at).starts_with(needle)) return at;
    if (at >= haystack.size()) return std::string_view::npos;
    at += sjisCharLength(haystack, at);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::asText(data, size);

  // As Shift-JIS. No character becomes more than one UTF-16 unit: the text area's
  // limit in bytes relies on it.
  const std::wstring wide = sjisToWide(bytes);
  FUZZ_CHECK(wide.size() <= bytes.size(), "a Shift-JIS text widens to more units than bytes");
  for (const wchar_t unit : wide) {
    FUZZ_CHECK(static_cast<char32_t>(unit) <= 0xFFFF, "a Shift-JIS character beyond 16 bits");
  }
  const std::string utf8 = sjisToUtf8(bytes);
  FUZZ_CHECK(utf8 == wideToUtf8(wide), "the UTF-8 way differs from the way through UTF-16");
  FUZZ_CHECK(isValidUtf8(utf8), "Shift-JIS gave malformed UTF-8");
  FUZZ_CHECK(utf8ToWide(utf8) == wide, "UTF-8 of a Shift-JIS text does not read back");

  // Back to Shift-JIS gives whole characters, and a second round trip changes nothing:
  // a character that did not map became "?", a duplicate-mapped one its usual bytes.
  const std::string back = wideToSjis(wide);
  FUZZ_CHECK(isWellFormedSjis(back), "the conversion to Shift-JIS gave broken characters");
  FUZZ_CHECK(wideToSjis(sjisToWide(back)) == back, "a second round trip changed the text");
  FUZZ_CHECK(utf8ToSjis(utf8) == back, "the UTF-8 way back differs from the UTF-16 way");

  // ASCII in front passes unchanged both ways.
  std::size_t ascii = 0;
  while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
  FUZZ_CHECK(wide.substr(0, ascii) == std::wstring(bytes.begin(), bytes.begin() + ascii),
             "an ASCII prefix changed");
  FUZZ_CHECK(back.substr(0, ascii) == bytes.substr(0, ascii), "an ASCII prefix came back changed");

  // As UTF-8: valid text survives the way through UTF-16; any text gives whole
  // Shift-JIS characters.
  const std::wstring fromUtf8 = utf8ToWide(bytes);
  if (isValidUtf8(bytes)) {
    FUZZ_CHECK(wideToUtf8(fromUtf8) == bytes, "valid UTF-8 did not survive UTF-16");
  }
  FUZZ_CHECK(isWellFormedSjis(utf8ToSjis(bytes)), "UTF-8 gave broken Shift-JIS");

  // As UTF-16 units, lone surrogates included.
  std::wstring units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  }
  FUZZ_CHECK(isWellFormedSjis(wideToSjis(units)), "UTF-16 gave broken Shift-JIS");
  FUZZ_CHECK(isValidUtf8(wideToUtf8(units)), "UTF-16 gave malformed UTF-8");
  FUZZ_CHECK(sjisToWide(wideToSjis(units)).size() <= units.size(),
             "a UTF-16 unit came back as more than one");

  // Searching at character boundaries: needle from the first bytes, haystack the rest.
  const std::size_t split = size == 0 ? 0 : data[0] % 8;
  if (split < bytes.size()) {
    const std::string_view needle = bytes.substr(1, split);
    const std::string_view haystack = bytes.substr(1 + split);
    FUZZ_CHECK(findSjis(haystack, needle) == modelFind(haystack, needle),
               "findSjis missed a boundary or matched inside a character");
  }
  return 0;
}
