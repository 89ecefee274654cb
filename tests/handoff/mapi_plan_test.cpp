#include "handoff/mapi_plan.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"

namespace fudekko {
namespace {

std::string sjis(const char* utf8) {
  return utf8ToSjis(utf8);
}

TEST(MapiPlan, SubjectBodyRecipientsAndAttachmentOfAJapaneseDraft) {
  MapiMailSource source;
  source.subject = sjis("Re: お元気ですか");
  // The text area's logical lines: a wrapped display line is one line here.
  source.bodyText = sjis("一行目がとても長い行\r\n二行目\n\r三行目");
  source.headerLines = {sjis("To: \"山田, 太郎\" <taro@example.jp>, hanako@example.jp"),
                        "Cc: <SMTP:c@example.jp>", sjis("Subject: Re: お元気ですか")};
  source.picturePath = sjis("C:\\Temp\\表示\\Re_ お元気ですか.png");

  const MapiMessageAnsi mail = planMapiMessage(source);
  EXPECT_EQ(mail.subject, source.subject);  // the mail keeps its colon
  EXPECT_EQ(mail.body, sjis("一行目がとても長い行\r\n二行目\r\n\r\n三行目"));
  using R = MapiRecipientText<std::string>;
  EXPECT_EQ(mail.recipients,
            (std::vector<R>{{RecipientClass::To, sjis("山田, 太郎"), "SMTP:taro@example.jp"},
                            {RecipientClass::To, "hanako@example.jp", "SMTP:hanako@example.jp"},
                            {RecipientClass::Cc, "c@example.jp", "SMTP:c@example.jp"}}));
  EXPECT_EQ(mail.attachmentPath, source.picturePath);
  // 表 ends in 0x5C: the name starts after the real separator.
  EXPECT_EQ(mail.attachmentName, sjis("Re_ お元気ですか.png"));

  const MapiMessageWide wide = widenMapiMessage(mail);
  EXPECT_EQ(wideToUtf8(wide.subject), "Re: お元気ですか");
  EXPECT_EQ(wideToUtf8(wide.body), "一行目がとても長い行\r\n二行目\r\n\r\n三行目");
  ASSERT_EQ(wide.recipients.size(), 3u);
  EXPECT_EQ(wideToUtf8(wide.recipients[0].name), "山田, 太郎");
  EXPECT_EQ(wide.recipients[2].recipientClass, RecipientClass::Cc);
  EXPECT_EQ(wideToUtf8(wide.attachmentName), "Re_ お元気ですか.png");
}

TEST(MapiPlan, EmptyDraftAndLongSubjectPassWhole) {
  MapiMailSource source;
  source.subject = std::string(1000, 'S');
  source.picturePath = "pic.bmp";
  const MapiMessageAnsi mail = planMapiMessage(source);
  EXPECT_EQ(mail.subject.size(), 1000u);
  EXPECT_TRUE(mail.body.empty());
  EXPECT_TRUE(mail.recipients.empty());
  EXPECT_EQ(mail.attachmentName, "pic.bmp");
}

TEST(MapiPlan, ErrorMessagesNameTheError) {
  EXPECT_EQ(mapiErrorMessage(11),
            "既定のメールソフトで送れませんでした: 添付ファイルが見つかりません "
            "(MAPI_E_ATTACHMENT_NOT_FOUND)");
  EXPECT_NE(mapiErrorMessage(kMapiFailure).find("(MAPI_E_FAILURE)"), std::string::npos);
  EXPECT_NE(mapiErrorMessage(kMapiNotSupported).find("(MAPI_E_NOT_SUPPORTED)"), std::string::npos);
  EXPECT_NE(mapiErrorMessage(999).find("MAPI 999"), std::string::npos);
}

}  // namespace
}  // namespace fudekko
