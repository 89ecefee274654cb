#include "handoff/send_plan.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"

namespace fudekko {
namespace {

std::string sjis(const char* utf8) {
  return utf8ToSjis(utf8);
}

TEST(SubjectFallback, HeaderSubjectWinsAndBodyLineIsTrimmedOfBytes0To32) {
  EXPECT_EQ(subjectOrFallback(" Re: Hi ", "Body"), " Re: Hi ");
  EXPECT_EQ(subjectOrFallback("", "  \tHello \x01\x1F "), "Hello");
  EXPECT_EQ(subjectOrFallback("", sjis("　件名　")), sjis("　件名　"));  // full-width blanks stay
  EXPECT_EQ(subjectOrFallback("", ""), kUntitledSubject);
  EXPECT_EQ(subjectOrFallback("", " \t\r "), kUntitledSubject);
  EXPECT_EQ(kUntitledSubject, sjis("無題"));
}

TEST(SubjectFallback, OnlyTheAsciiColonIsReplaced) {
  EXPECT_EQ(replaceColons("Re: Hello"), "Re_ Hello");
  EXPECT_EQ(replaceColons(sjis("件名：a:b")), sjis("件名：a_b"));
}

TEST(SafeFileStem, PlainSubjectsStayAsTheyAre) {
  for (const std::string& subject :
       {std::string("Re_ Hello"), sjis("お元気ですか 表とソ"), std::string("a.b c"),
        std::string(" lead"), sjis("ｶﾀｶﾅ"), std::string("CONSOLE"), std::string("COM10")}) {
    EXPECT_EQ(safeFileStem(subject, 255), subject);
  }
}

TEST(SafeFileStem, TrailBytes5CAnd7CAreNotSeparators) {
  const std::string table = sjis("表");  // 0x95 0x5C
  const std::string so = sjis("ソ");     // 0x83 0x5C
  const std::string po = sjis("ポ");     // 0x83 0x7C
  ASSERT_EQ(table[1], '\\');
  ASSERT_EQ(po[1], '|');
  const std::string subject = table + so + po + "\\|";
  EXPECT_EQ(safeFileStem(subject, 255), table + so + po + "__");
}

TEST(SafeFileStem, CharactersNoNameMayHoldBecomeUnderscores) {
  EXPECT_EQ(safeFileStem("a\\b/c:d*e?f\"g<h>i|j", 255), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(safeFileStem(std::string("x\x01y\x1F\x7Fz\tq"), 255), "x_y__z_q");
  EXPECT_EQ(safeFileStem(std::string("a\0b", 3), 255), "a_b");
}

TEST(SafeFileStem, BytesThatAreNoShiftJisCharacterBecomeUnderscores) {
  EXPECT_EQ(safeFileStem("ab\x95", 255), "ab_");  // lead byte at the end
  EXPECT_EQ(safeFileStem("\x95\x0A"
                         "c",
                         255),
            "__c");                                    // lead byte, then a control byte
  EXPECT_EQ(safeFileStem("\x95\\x", 255), "\x95\\x");  // 0x5C is a valid trail byte
  EXPECT_EQ(safeFileStem("\x81/x", 255), "__x");       // 0x2F is not: a lone lead, a slash
  EXPECT_EQ(safeFileStem("\x80\xA0\xFD\xFE\xFF", 255), "_____");
}

TEST(SafeFileStem, DotRunsAndTrailingDotsAndBlanksBecomeUnderscores) {
  EXPECT_EQ(safeFileStem("..\\..\\Windows\\x", 255), "______Windows_x");
  EXPECT_EQ(safeFileStem("a...b", 255), "a___b");
  EXPECT_EQ(safeFileStem("..", 255), "__");
  EXPECT_EQ(safeFileStem(".", 255), "_");
  EXPECT_EQ(safeFileStem("Hello. .", 255), "Hello___");
  EXPECT_EQ(safeFileStem(".hidden", 255), ".hidden");
  EXPECT_EQ(safeFileStem(sjis("表 "), 255), sjis("表") + "_");
}

TEST(SafeFileStem, ReservedDeviceNamesLoseTheirLastLetter) {
  EXPECT_EQ(safeFileStem("CON", 255), "CO_");
  EXPECT_EQ(safeFileStem("con", 255), "co_");
  EXPECT_EQ(safeFileStem("Nul.txt", 255), "Nu_.txt");
  EXPECT_EQ(safeFileStem("AUX .a", 255), "AU_ .a");
  EXPECT_EQ(safeFileStem("prn", 255), "pr_");
  EXPECT_EQ(safeFileStem("COM1", 255), "COM_");
  EXPECT_EQ(safeFileStem("lpt9.x.y", 255), "lpt_.x.y");
  EXPECT_EQ(safeFileStem("CONOUT$", 255), "CONOUT_");
  EXPECT_EQ(safeFileStem("CON.", 255), "CON_");  // the trailing dot goes first
  EXPECT_EQ(safeFileStem("COM", 255), "COM");
  EXPECT_EQ(safeFileStem("xCON", 255), "xCON");
}

TEST(SafeFileStem, CutToTheRoomWithoutSplittingACharacter) {
  const std::string table = sjis("表");
  std::string subject;
  for (int i = 0; i < 300; ++i) subject += table;
  const std::string stem = safeFileStem(subject, 7);
  EXPECT_EQ(stem.size(), 14u);
  EXPECT_EQ(sjisCharCount(stem), 7u);
  EXPECT_EQ(safeFileStem("abc  def", 4), "abc_");  // a blank left at the end by the cut
  EXPECT_EQ(safeFileStem("", 10), "_");
}

TEST(PictureFile, ExtensionFollowsTheExactFormatName) {
  const auto pictureExtension = [](const char* switchText) {
    return attachmentExtension(attachmentFormatFromSwitch(switchText));
  };
  EXPECT_EQ(pictureExtension("BMP"), ".bmp");
  EXPECT_EQ(pictureExtension("PNG"), ".png");
  EXPECT_EQ(pictureExtension("GIF"), ".gif");
  for (const char* other : {"", "GI", "gif", "JPG", "PNGX"}) {
    EXPECT_EQ(pictureExtension(other), ".bmp") << other;
  }
}

TEST(PictureFile, PathIsFolderSafeStemAndExtension) {
  EXPECT_EQ(picturePath("C:\\Temp\\", "Re_ Hello", AttachmentFormat::Png),
            "C:\\Temp\\Re_ Hello.png");
  EXPECT_EQ(picturePath("C:\\Temp", "a/b", AttachmentFormat::Gif), "C:\\Temp\\a_b.gif");
  // A folder whose last byte is the trail byte 0x5C of "表" still needs a separator.
  EXPECT_EQ(picturePath("C:\\" + sjis("表"), "x", AttachmentFormat::Bmp),
            "C:\\" + sjis("表") + "\\x.bmp");
}

TEST(PictureFile, LongSubjectIsCutSoThatThePathFits) {
  const std::string longSubject(400, 'a');
  const std::string name = picturePath("C:\\", longSubject, AttachmentFormat::Bmp);
  EXPECT_EQ(name.size(), 3u + 255u);  // one name holds at most 255 characters

  const std::string deepFolder = "C:\\" + std::string(240, 'd') + "\\";  // 244 characters
  const std::string deep = picturePath(deepFolder, longSubject, AttachmentFormat::Bmp);
  EXPECT_EQ(sjisCharCount(deep), 259u);
  EXPECT_TRUE(deep.ends_with("aaaa.bmp"));
  // A variant keeps its number however long the subject.
  const std::string variant = picturePath(deepFolder, longSubject, AttachmentFormat::Bmp, {}, 12);
  EXPECT_EQ(sjisCharCount(variant), 259u);
  EXPECT_TRUE(variant.ends_with("aa (12).bmp"));

  std::string wide;
  for (int i = 0; i < 300; ++i) wide += sjis("表");
  const std::string japanese = picturePath(deepFolder, wide, AttachmentFormat::Gif);
  EXPECT_EQ(sjisCharCount(japanese), 259u);
  EXPECT_EQ(japanese.size(), 244u + 2 * 11u + 4u);
}

TEST(PictureFile, FolderWithoutRoomForANameIsAClearError) {
  const std::string folder = "C:\\" + std::string(250, 'd') + "\\";  // 254 characters
  EXPECT_EQ(picturePath(folder, "subject", AttachmentFormat::Bmp), folder + "s.bmp");
  const std::string tooLong = "C:\\" + std::string(251, 'd') + "\\";
  try {
    picturePath(tooLong, "subject", AttachmentFormat::Bmp);
    FAIL() << "no error";
  } catch (const TemporaryFolderError& error) {
    EXPECT_NE(std::string(error.what()).find(std::string(251, 'd')), std::string::npos);
  }
}

TEST(DraftFile, HeaderLinesEmptyLineAndBodyEachWithCrLf) {
  EXPECT_EQ(draftBytes({"To: a", "Subject: Hi"}, {"Body 1", "", "Body 2"}),
            "To: a\r\nSubject: Hi\r\n\r\nBody 1\r\n\r\nBody 2\r\n");
  EXPECT_EQ(draftBytes({"To: a"}, {}), "To: a\r\n\r\n");
  EXPECT_EQ(draftBytes({}, {"x"}), "\r\nx\r\n");
  const std::string body = sjis("表示");
  EXPECT_EQ(draftBytes({}, {body}), "\r\n" + body + "\r\n");
}

TEST(MailClientCommandLine, PathUnquotedThenBothOptionsQuoted) {
  EXPECT_EQ(mailClientCommandLine("C:\\Program Files\\ALMAIL32\\almail.exe", "C:\\Temp\\Fud1A.tmp",
                                  "C:\\Temp\\Re_ Hi.gif"),
            "C:\\Program Files\\ALMAIL32\\almail.exe /file:\"C:\\Temp\\Fud1A.tmp\" "
            "/attach:\"C:\\Temp\\Re_ Hi.gif\"");
}

TEST(PendingSendWindow, FirstHiddenWindowWhoseTitleHoldsTheWords) {
  const std::string title = kSendWindowTitle;
  EXPECT_EQ(findPendingSendWindow({}), std::nullopt);
  EXPECT_EQ(findPendingSendWindow({{1, true, title}, {2, false, "other"}}), std::nullopt);
  EXPECT_EQ(
      findPendingSendWindow(
          {{1, true, title}, {2, false, sjis("下書き - ") + title + " (1)"}, {3, false, title}}),
      std::optional<WindowId>(2));
  EXPECT_EQ(sjis("メール送信"), title);
}

TEST(PendingSendWindow, WordsAcrossACharacterBoundaryDoNotCount) {
  // Behind the lead byte 0x83 the title's first byte is a trail byte: the bytes are
  // there, the words are not.
  EXPECT_EQ(findPendingSendWindow({{8, false, "\x83" + kSendWindowTitle}}), std::nullopt);
  EXPECT_EQ(findPendingSendWindow({{9, false, "a" + kSendWindowTitle}}),
            std::optional<WindowId>(9));
}

}  // namespace
}  // namespace fudekko
