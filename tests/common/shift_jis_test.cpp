#include "common/shift_jis.h"

#include <gtest/gtest.h>

#include "common/errors.h"

namespace fudekko {
namespace {

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C in Shift-JIS: their trail byte is a backslash.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

// One character as a wide string: a pair of units where wchar_t has 16 bits.
std::wstring wideOf(char32_t code) {
  if (sizeof(wchar_t) == 4 || code < 0x10000) return std::wstring(1, static_cast<wchar_t>(code));
  return {static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)),
          static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
}

TEST(ShiftJis, ConvertsBothWaysWithCodePage932) {
  const std::string sjis = "\x83\x81\x81\x5B\x83\x8B\x91\x97\x90\x4D";  // メール送信
  EXPECT_EQ(sjisToUtf8(sjis), "メール送信");
  EXPECT_EQ(utf8ToSjis("メール送信"), sjis);
  EXPECT_EQ(sjisToUtf8(kHyou + kSo), "表ソ");
  EXPECT_EQ(wideToSjis(sjisToWide(kHyou)), kHyou);
  EXPECT_EQ(sjisToWide("abc"), L"abc");
}

// Found by the Shift-JIS fuzz target: a character without a Shift-JIS form threw the
// rest of the text out of step, giving bytes of characters that were never there.
TEST(ShiftJis, MarksACharacterThatDoesNotConvertAndKeepsTheRest) {
  EXPECT_EQ(wideToSjis(std::wstring(L"a") + wchar_t(0x0A61) + L"b"), "a?b");
  EXPECT_EQ(wideToSjis(std::wstring(L"\u00E9") + L"\u8868"), "?" + kHyou);
  EXPECT_EQ(wideToUtf8(std::wstring(L"x") + wchar_t(0xD800) + L"y"), "x?y");
  EXPECT_EQ(sjisToUtf8("a\x81"), "a?");
}

// A settings file in UTF-16 is read as UTF-8 and written back; a lone surrogate in it
// must come back as the same unit, while everywhere else it is marked like any unit
// that does not convert.
TEST(Utf16, LoneSurrogatesAreMarkedOrKeptUnitForUnit) {
  auto bytesOf = [](std::u16string_view units) {
    std::string bytes;
    for (const char16_t unit : units) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
  };
  const std::string file = bytesOf(
      u"a\U0001F600\xD800"
      u"b\xDC00\xDC00\xD800");
  EXPECT_EQ(utf16LeToUtf8(file), "a\U0001F600?b???");
  const std::string kept = utf16LeToUtf8(file, LoneSurrogate::Keep);
  EXPECT_EQ(kept,
            "a\U0001F600\xED\xA0\x80"
            "b\xED\xB0\x80\xED\xB0\x80\xED\xA0\x80");
  EXPECT_EQ(utf8ToUtf16Le(kept), file);
  EXPECT_EQ(utf16LeToUtf8(file + "x"), utf16LeToUtf8(file)) << "an odd last byte is no unit";
  EXPECT_EQ(wideToUtf8(std::wstring(L"x") + wchar_t(0xDC00), LoneSurrogate::Keep), "x\xED\xB0\x80");

  // Outside the settings file the three-byte form of a surrogate is no character, and
  // neither is any other byte that starts none: each byte becomes "?".
  EXPECT_EQ(utf8ToWide("\xED\xA0\x80z"), L"???z");
  EXPECT_EQ(utf8ToWide("\xC0\x80\xE3\x81"), L"????");
  EXPECT_EQ(utf8ToWide("\xF0\x9F\x98\x80"), wideOf(U'\U0001F600'));
  EXPECT_EQ(utf8ToUtf16Le("\xFF"), bytesOf(u"?"));
}

TEST(ShiftJis, SearchesOnCharacterBoundaries) {
  EXPECT_EQ(findSjis(kHyou, "\\"), std::string::npos);
  EXPECT_EQ(findSjis(kSo + "\\", "\\"), 2u);
  EXPECT_EQ(findSjis("a|b", "|"), 1u);
  EXPECT_EQ(findSjis("\x83\x7C", "|"), std::string::npos);
  EXPECT_EQ(findSjis("Re: x", ""), 0u);
}

TEST(Errors, MessagesShowTheShiftJisPathAsUtf8) {
  EXPECT_STREQ(FileCreateError("C:\\" + kHyou + ".bmp").what(),
               "ファイル C:\\表.bmp を作成できません");
  EXPECT_STREQ(FileOpenError("a.txt").what(), "ファイル a.txt は開けません");
  EXPECT_STREQ(StreamWriteError().what(), "ストリームへの書き込みエラー");
}

// What body text that passes through the text control (Shift-JIS to UTF-16 and back)
// loses. Header lines never take that way; these are the bytes of a body that change.
TEST(ShiftJis, RoundTripChangesOnlyUnmappedBytesAndDuplicateCharacters) {
  const auto roundTrip = [](const std::string& sjis) { return wideToSjis(sjisToWide(sjis)); };
  // Every ASCII byte, half-width katakana and JIS X 0208 character stays.
  for (int byte = 1; byte < 0x80; ++byte) {
    EXPECT_EQ(roundTrip(std::string(1, char(byte))), std::string(1, char(byte))) << byte;
  }
  EXPECT_EQ(roundTrip("\xA1\xDF"), "\xA1\xDF");
  EXPECT_EQ(roundTrip(kHyou + kSo + "\x88\x9F\x81\x40"), kHyou + kSo + "\x88\x9F\x81\x40");
  // Single bytes that are no character, a lead byte without a trail byte and pairs in
  // unassigned rows become "?" (the trail byte, when ASCII, stays a character).
  for (const char* lone : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF", "\x81"}) {
    EXPECT_EQ(roundTrip(lone), "?") << lone;
  }
  EXPECT_EQ(roundTrip("\x85\x40"), "?@");
  // Duplicates come back as the one form the code page prefers: NEC-selected IBM
  // extensions (rows 0xED, 0xEE) as IBM extensions, IBM and NEC duplicates of JIS
  // X 0208 and NEC row 13 symbols as the JIS X 0208 character.
  EXPECT_EQ(roundTrip("\xED\x40"), "\xFA\x5C");
  EXPECT_EQ(roundTrip("\xEE\xEF"), "\xFA\x40");
  EXPECT_EQ(roundTrip("\xEE\xF9"), "\x81\xCA");
  EXPECT_EQ(roundTrip("\xFA\x54"), "\x81\xCA");
  EXPECT_EQ(roundTrip("\xFA\x4A"), "\x87\x54");
  EXPECT_EQ(roundTrip("\x87\x90"), "\x81\xE0");

  // Counted over every one- and two-byte sequence: nothing else changes.
  int singles = 0, unmappedPairs = 0, duplicates = 0;
  for (int byte = 0x80; byte < 0x100; ++byte) {
    if (isSjisLeadByte(static_cast<unsigned char>(byte))) continue;
    if (roundTrip(std::string(1, char(byte))) != std::string(1, char(byte))) ++singles;
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!isSjisLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{char(lead), char(trail)};
      const std::string back = roundTrip(pair);
      if (back == pair) continue;
      if (back.find('?') != std::string::npos) {
        ++unmappedPairs;
      } else {
        ++duplicates;
      }
    }
  }
  EXPECT_EQ(singles, 5);  // 0x80, 0xA0, 0xFD, 0xFE, 0xFF
  EXPECT_EQ(unmappedPairs, 1676);
  EXPECT_EQ(duplicates, 398);
}

}  // namespace
}  // namespace fudekko
