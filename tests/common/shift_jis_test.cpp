#include "common/shift_jis.h"

#include <gtest/gtest.h>

#include "common/errors.h"

namespace fudekko {
namespace {

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C in Shift-JIS: their trail byte is a backslash.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

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

}  // namespace
}  // namespace fudekko
