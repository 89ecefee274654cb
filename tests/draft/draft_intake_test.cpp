#include "draft/draft_intake.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "draft/command_line.h"
#include "draft/text_lines.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndControlCharactersAndJoinsQuotedStretches) {
  EXPECT_EQ(splitCommandLine("prog.exe /gif draft.txt"), (Args{"prog.exe", "/gif", "draft.txt"}));
  EXPECT_EQ(splitCommandLine("  prog \t\r\n a\x01"
                             "b  "),
            (Args{"prog", "a", "b"}));
  EXPECT_EQ(splitCommandLine("\"C:\\Program Files\\f.exe\" \"C:\\my drafts\\d.txt\""),
            (Args{"C:\\Program Files\\f.exe", "C:\\my drafts\\d.txt"}));
  // Quotes may stand inside an argument; they are dropped and only group blanks.
  EXPECT_EQ(splitCommandLine("a\"b c\"d e"), (Args{"ab cd", "e"}));
  EXPECT_EQ(splitCommandLine("x \"\" y"), (Args{"x", "", "y"}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(splitCommandLine("x \"open  end"), (Args{"x", "open  end"}));
  EXPECT_TRUE(splitCommandLine("   ").empty());
  // Shift-JIS: "表" is 0x95 0x5C; the trail byte is no separator.
  EXPECT_EQ(splitCommandLine("p \x95\x5C.txt"), (Args{"p", "\x95\x5C.txt"}));
}

TEST(CommandLine, SwitchTakesCharactersTwoToFourUpperCased) {
  EXPECT_EQ(formatSwitch("/gif"), "GIF");
  EXPECT_EQ(formatSwitch("/Png"), "PNG");
  EXPECT_EQ(formatSwitch("/gifs"), "GIF");
  EXPECT_EQ(formatSwitch("/gi"), "GI");
  EXPECT_EQ(formatSwitch("/"), "");
  EXPECT_EQ(formatSwitch("/\x82\xa0z"), "\x82\xa0Z");  // only ASCII letters change
  EXPECT_EQ(formatSwitch("/1b_"), "1B_");
}

TEST(CommandLine, PlansWhatTheStartUpDoes) {
  const auto exists = [](const std::string& path) { return path == "draft.txt"; };
  using Action = CommandLineStep::Action;

  CommandLineStep step = planCommandLine({"prog"}, exists);
  EXPECT_EQ(step.action, Action::None);
  EXPECT_EQ(step.imageFormat, "");

  step = planCommandLine({"prog", "/gif", "draft.txt", "ignored"}, exists);
  EXPECT_EQ(step.action, Action::LoadDraft);
  EXPECT_EQ(step.imageFormat, "GIF");
  EXPECT_EQ(step.draftPath, "draft.txt");

  step = planCommandLine({"prog", "draft.txt"}, exists);
  EXPECT_EQ(step.action, Action::LoadDraft);
  EXPECT_EQ(step.imageFormat, "");

  step = planCommandLine({"prog", "/png"}, exists);
  EXPECT_EQ(step.action, Action::None);
  EXPECT_EQ(step.imageFormat, "PNG");

  // Only "/" makes a switch: -gif is the draft's name, and no such file exists.
  step = planCommandLine({"prog", "-gif", "draft.txt"}, exists);
  EXPECT_EQ(step.action, Action::EndProgram);
  EXPECT_EQ(step.draftPath, "-gif");

  step = planCommandLine({"prog", "/bmp", "missing.txt"}, exists);
  EXPECT_EQ(step.action, Action::EndProgram);
}

TEST(CommandLine, DirectoryIsNoDraft) {
  EXPECT_EQ(planCommandLine({"prog", "."}).action, CommandLineStep::Action::EndProgram);
}

TEST(TextLines, DisplayLinesWrapCountAndDelete) {
  FixedWidthTextLines area(4);
  EXPECT_EQ(area.count(), 0);
  EXPECT_EQ(area.line(0), "");
  area.deleteLine0();
  EXPECT_EQ(area.text(), "");

  area.setText("abcdefghij\r\nxy\r\n");
  // "abcd", "efgh", "ij", "xy"; the empty last line is not counted.
  ASSERT_EQ(area.count(), 4);
  EXPECT_EQ(area.line(1), "efgh");
  EXPECT_EQ(area.line(3), "xy");
  EXPECT_EQ(area.line(4), "");
  EXPECT_EQ(area.line(-1), "");
  area.deleteLine0();  // a wrapped piece goes without a line break
  EXPECT_EQ(area.text(), "efghij\r\nxy\r\n");
  area.deleteLine0();
  area.deleteLine0();  // "ij" goes with its line break
  EXPECT_EQ(area.text(), "xy\r\n");
  area.deleteLine0();
  EXPECT_EQ(area.text(), "");

  area.setText("last");
  area.deleteLine0();
  EXPECT_EQ(area.text(), "");

  area.setText("\r\n\r\n");
  EXPECT_EQ(area.count(), 2);
}

TEST(TextLines, WrapsBetweenShiftJisCharactersAndCutsLongLines) {
  // Three two-byte characters in a 3-byte area: one character per display line.
  FixedWidthTextLines area(3, "\x82\xa0\x82\xa2\x82\xa4");
  ASSERT_EQ(area.count(), 3);
  EXPECT_EQ(area.line(1), "\x82\xa2");

  FixedWidthTextLines wide(10000, std::string(5000, 'a'));
  EXPECT_EQ(wide.line(0).size(), kMaxLineBytes);
  // A cut never leaves half a character.
  std::string japanese = "a";
  for (int i = 0; i < 3000; ++i) japanese += "\x82\xa0";
  wide.setText(japanese);
  EXPECT_EQ(wide.line(0).size(), kMaxLineBytes - 1);
}

TEST(DraftLoading, EveryLineEndFormBecomesCrLf) {
  EXPECT_EQ(normaliseLineEnds("a\r\nb\rc\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(normaliseLineEnds("\n\r"), "\r\n\r\n");  // LF then a lone CR: two ends
  EXPECT_EQ(normaliseLineEnds("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(normaliseLineEnds(std::string_view("ab\0cd\n", 6)), "ab");
  EXPECT_EQ(normaliseLineEnds("\x95\x5C\r"), "\x95\x5C\r\n");
}

TEST(DraftLoading, TooLargeTextKeepsTheFormerTextAndEqualTextIsNotSetAgain) {
  FixedWidthTextLines area(80, "former");
  EXPECT_THROW(loadText(area, std::string(kTextAreaLimit + 1, 'x')), TextTooLargeError);
  EXPECT_STREQ(TextTooLargeError().what(), "文字列の大きさが メモ の制限を越えました");
  EXPECT_EQ(area.text(), "former");
  // CR LF counts two bytes after normalising: a lone LF at the limit is too large.
  EXPECT_THROW(loadText(area, std::string(kTextAreaLimit - 1, 'x') + "\n"), TextTooLargeError);
  loadText(area, std::string(kTextAreaLimit, 'x'));
  EXPECT_EQ(area.text().size(), kTextAreaLimit);

  area.setText("a\r\nb");
  const int calls = area.setTextCalls();
  loadText(area, "a\nb");
  EXPECT_EQ(area.setTextCalls(), calls);
}

struct Intake {
  std::vector<std::string> headerLines;
  std::string subject;
  std::string body;
};

Intake takeIn(std::string_view draft, std::size_t width = 80) {
  FixedWidthTextLines area(width);
  loadText(area, draft);
  Intake result;
  takeHeaderLines(area, result.headerLines, result.subject);
  result.body = area.text();
  return result;
}

TEST(HeaderIntake, HeaderLinesAndSubjectWithEveryLineEnd) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(end)));
    const std::string e = end;
    const Intake got = takeIn("To: a" + e + "Subject: Hello" + e + e + "Body 1" + e + "Body 2");
    EXPECT_EQ(got.headerLines, (Args{"To: a", "Subject: Hello"}));
    EXPECT_EQ(got.subject, "Hello");
    EXPECT_EQ(got.body, "Body 1\r\nBody 2");
  }
}

TEST(HeaderIntake, EmptyFirstLineNoSeparatorAndWideHeader) {
  Intake got = takeIn("\r\nbody\r\n");
  EXPECT_TRUE(got.headerLines.empty());
  EXPECT_EQ(got.body, "body\r\n");

  got = takeIn("A: 1\nB: 2\n");
  EXPECT_EQ(got.headerLines, (Args{"A: 1", "B: 2"}));
  EXPECT_EQ(got.body, "");

  got = takeIn("");
  EXPECT_TRUE(got.headerLines.empty());
  EXPECT_EQ(got.subject, "");

  // A header line three display lines wide stays one header line.
  const std::string wide = "X-Long: " + std::string(20, 'w');
  got = takeIn(wide + "\r\n\r\nbody", 10);
  EXPECT_EQ(got.headerLines, (Args{wide}));
  EXPECT_EQ(got.body, "body");
}

TEST(HeaderIntake, SubjectRule) {
  EXPECT_EQ(subjectOfHeaderLine("Subject:"), "");
  EXPECT_EQ(subjectOfHeaderLine("Subject:H"), "");  // 9 bytes
  EXPECT_EQ(subjectOfHeaderLine("Subject:Hello"), "ello");
  EXPECT_EQ(subjectOfHeaderLine("X-Subject: abc"), ": abc");
  EXPECT_EQ(subjectOfHeaderLine("Subject: \x82\xa0\x82\xa2"), "\x82\xa0\x82\xa2");
  EXPECT_FALSE(subjectOfHeaderLine("subject: lower"));
  EXPECT_FALSE(subjectOfHeaderLine("To: a"));
  // "\x83S" is one character; its trail byte does not start "Subject:".
  EXPECT_FALSE(subjectOfHeaderLine("X: \x83Subject: no"));

  const Intake got = takeIn("Subject: first\r\nTo: b\r\nX-Subject: second\r\n\r\n");
  EXPECT_EQ(got.subject, ": second");
  EXPECT_EQ(takeIn("To: a\r\n\r\n").subject, "");
}

class TempDir : public testing::Test {
 protected:
  test::TestFolder folder_;
  std::filesystem::path dir_ = folder_.path();
  std::string write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
};

using DraftIntake = TempDir;

TEST_F(DraftIntake, LoadsTheDraftThenTakesTheHeader) {
  const std::string path = write("draft.txt", "To: a\nSubject: Hi\n\nBody\n");
  const CommandLineStep step = planCommandLine({"prog", "/gif", path});
  ASSERT_EQ(step.action, CommandLineStep::Action::LoadDraft);
  FixedWidthTextLines area(80);
  std::vector<std::string> headerLines;
  std::string subject;
  EXPECT_FALSE(takeInDraft(step, area, headerLines, subject));
  EXPECT_EQ(headerLines, (Args{"To: a", "Subject: Hi"}));
  EXPECT_EQ(subject, "Hi");
  EXPECT_EQ(area.text(), "Body\r\n");
}

TEST_F(DraftIntake, UnreadableDraftIsReportedAndStartUpGoesOn) {
  CommandLineStep step;
  step.action = CommandLineStep::Action::LoadDraft;
  step.draftPath = (dir_ / "gone.txt").string();  // vanished after the check
  FixedWidthTextLines area(80);
  std::vector<std::string> headerLines;
  std::string subject;
  const auto failure = takeInDraft(step, area, headerLines, subject);
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, "ファイル " + step.draftPath + " は開けません");
  EXPECT_EQ(area.text(), "");
  EXPECT_TRUE(headerLines.empty());

  // The File menu's Open: a failed load keeps the text.
  area.setText("kept");
  EXPECT_THROW(loadTextFile(area, step.draftPath), FileOpenError);
  EXPECT_EQ(area.text(), "kept");
  loadTextFile(area, write("other.txt", "Subject: x\rline"));
  EXPECT_EQ(area.text(), "Subject: x\r\nline");
}

}  // namespace
}  // namespace fudekko
