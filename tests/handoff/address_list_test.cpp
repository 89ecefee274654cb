#include "handoff/address_list.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"

namespace fudekko {
namespace {

std::string sjis(const char* utf8) {
  return utf8ToSjis(utf8);
}

using Boxes = std::vector<Mailbox>;

TEST(AddressList, NamesQuotesAnglesAndCommentsAsMailClientsWriteThem) {
  EXPECT_EQ(parseAddressList("a@example.jp"), (Boxes{{"", "a@example.jp"}}));
  EXPECT_EQ(parseAddressList(" Taro  Yamada <taro@example.jp> , b@example.jp"),
            (Boxes{{"Taro Yamada", "taro@example.jp"}, {"", "b@example.jp"}}));
  // A comma and an escaped quote inside a quoted name split nothing.
  EXPECT_EQ(parseAddressList(R"("Yamada, Taro \"T\"" <taro@example.jp>,c@example.jp)"),
            (Boxes{{R"(Yamada, Taro "T")", "taro@example.jp"}, {"", "c@example.jp"}}));
  // Old style: the comment names the address; comments elsewhere drop out.
  EXPECT_EQ(parseAddressList("a@example.jp (Hanako (HQ))"),
            (Boxes{{"Hanako (HQ)", "a@example.jp"}}));
  EXPECT_EQ(parseAddressList("Name (x, y) <a@example.jp (z)>"), (Boxes{{"Name", "a@example.jp"}}));
  // A quoted local part keeps its quotes; a source route goes.
  EXPECT_EQ(parseAddressList(R"(<"a b"@example.jp>, <@relay,@hop:c@example.jp>)"),
            (Boxes{{"", R"("a b"@example.jp)"}, {"", "c@example.jp"}}));
}

TEST(AddressList, GroupsGiveTheirMembersAndEmptyElementsNothing) {
  EXPECT_EQ(parseAddressList("Team: a@example.jp, B <b@example.jp>; c@example.jp"),
            (Boxes{{"", "a@example.jp"}, {"B", "b@example.jp"}, {"", "c@example.jp"}}));
  EXPECT_TRUE(parseAddressList("undisclosed-recipients:;").empty());
  EXPECT_TRUE(parseAddressList(" , ,, ").empty());
  EXPECT_TRUE(parseAddressList("Name only <>").empty());
}

TEST(AddressList, ShiftJisNamesWithTrailBytesOfSyntaxMarksStayWhole) {
  // 表 and ソ end in 0x5C, ー in 0x5B, @ is 0x40 as a trail byte of 腹 (0x95 0x40).
  const std::string name = sjis("表ソ 腹ー");
  ASSERT_EQ(name[1], '\\');
  const std::string list = name + " <" + sjis("表") + "@example.jp>, \"" + name + "\" <x@y>";
  EXPECT_EQ(parseAddressList(list), (Boxes{{name, sjis("表") + "@example.jp"}, {name, "x@y"}}));
}

TEST(AddressList, UnclosedPartsEndAtTheEndAndEncodedWordsStay) {
  // The mail client's compose window shows such an address to the user as it was written.
  EXPECT_EQ(parseAddressList("x@y, \"Open, quote <a@b>"),
            (Boxes{{"", "x@y"}, {"", "\"Open, quote <a@b>"}}));
  EXPECT_EQ(parseAddressList("Name <a@example.jp"), (Boxes{{"Name", "a@example.jp"}}));
  EXPECT_EQ(parseAddressList("a@example.jp (open"), (Boxes{{"open", "a@example.jp"}}));
  EXPECT_EQ(parseAddressList("=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <a@example.jp>"),
            (Boxes{{"=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=", "a@example.jp"}}));
}

TEST(AddressList, ToAndCcLinesWithTheirFoldedContinuations) {
  const std::vector<std::string> lines = {
      "From: me@example.jp",       "To: A <a@example.jp>,", "\t\"B, b\" <b@example.jp>",
      "Subject: To: not@this.one", "cc : c@example.jp",     " (C)",
      "Reply-To: r@example.jp",    "TO:d@example.jp",       "Bcc: e@example.jp"};
  EXPECT_EQ(recipientsOfHeaderLines(lines),
            (std::vector<Recipient>{{RecipientClass::To, {"A", "a@example.jp"}},
                                    {RecipientClass::To, {"B, b", "b@example.jp"}},
                                    {RecipientClass::Cc, {"C", "c@example.jp"}},
                                    {RecipientClass::To, {"", "d@example.jp"}}}));
}

TEST(AddressList, AVeryLongListIsParsedWhole) {
  std::string list;
  for (int i = 0; i < 20000; ++i) list += "\"N, " + std::to_string(i) + "\" <a@b>,";
  const auto mailboxes = parseAddressList(list);
  ASSERT_EQ(mailboxes.size(), 20000u);
  EXPECT_EQ(mailboxes.back().name, "N, 19999");
}

}  // namespace
}  // namespace fudekko
