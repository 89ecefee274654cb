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
  const auto exists = [](const Utf8Path& path) { return path.utf8 == "draft.txt"; };
  using Action = CommandLineStep::Action;

  CommandLineStep step = planCommandLine({"prog"}, exists);
  EXPECT_EQ(step.action, Action::None);
  EXPECT_EQ(step.imageFormat, "");

  step = planCommandLine({"prog", "/gif", "draft.txt", "ignored"}, exists);
  EXPECT_EQ(step.action, Action::LoadDraft);
  EXPECT_EQ(step.imageFormat, "GIF");
  EXPECT_EQ(step.draftPath.utf8, "draft.txt");

  step = planCommandLine({"prog", "draft.txt"}, exists);
  EXPECT_EQ(step.action, Action::LoadDraft);
  EXPECT_EQ(step.imageFormat, "");

  step = planCommandLine({"prog", "/png"}, exists);
  EXPECT_EQ(step.action, Action::None);
  EXPECT_EQ(step.imageFormat, "PNG");

  // Only "/" makes a switch: -gif is the draft's name, and no such file exists.
  step = planCommandLine({"prog", "-gif", "draft.txt"}, exists);
  EXPECT_EQ(step.action, Action::EndProgram);
  EXPECT_EQ(step.draftPath.utf8, "-gif");

  step = planCommandLine({"prog", "/bmp", "missing.txt"}, exists);
  EXPECT_EQ(step.action, Action::EndProgram);
}

TEST(CommandLine, OnlyADraftThatIsNotThereEndsTheProgram) {
  // A folder is there: its loading tells the user that it is no draft.
  EXPECT_EQ(planCommandLine({"prog", "."}).action, CommandLineStep::Action::LoadDraft);
  EXPECT_EQ(planCommandLine({"prog", "./no-such-draft.txt"}).action,
            CommandLineStep::Action::EndProgram);
}

TEST(TextLines, DisplayLinesWrapAndCount) {
  FixedWidthTextLines area(4);
  EXPECT_EQ(area.count(), 0);
  EXPECT_EQ(area.line(0), "");

  area.setText("abcdefghij\r\nxy\r\n");
  // "abcd", "efgh", "ij", "xy"; the empty last line is not counted.
  ASSERT_EQ(area.count(), 4);
  EXPECT_EQ(area.line(1), "efgh");
  EXPECT_EQ(area.line(3), "xy");
  EXPECT_EQ(area.line(4), "");
  EXPECT_EQ(area.line(-1), "");

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

TEST(TextLines, OnlyATextWithALineLongerThanTheLimitGoesUnwrapped) {
  const std::wstring longest(kLongestWrappedLine, L'あ');
  EXPECT_TRUE(wrapsAllLines(L"a\r\n" + longest + L"\r\n" + longest));
  EXPECT_FALSE(wrapsAllLines(L"a\r\n" + longest + L"b\r\nc"));
  EXPECT_FALSE(wrapsAllLines(longest + L"b"));
}

TEST(DraftLoading, EveryLineEndFormBecomesCrLf) {
  EXPECT_EQ(normaliseLineEnds("a\r\nb\rc\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(normaliseLineEnds("\n\r"), "\r\n\r\n");  // LF then a lone CR: two ends
  EXPECT_EQ(normaliseLineEnds("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(normaliseLineEnds(std::string_view("ab\0cd\n", 6)), "ab");
  EXPECT_EQ(normaliseLineEnds("\x95\x5C\r"), "\x95\x5C\r\n");
}

TEST(DraftLoading, TooLargeTextKeepsTheFormerTextAndEqualTextIsNotSetAgain) {
  // The real area takes what fits into memory; an area of 1 MiB shows the rule.
  constexpr std::size_t kLimit = 1024 * 1024;
  FixedWidthTextLines area(80, "former", kLimit);
  EXPECT_THROW(loadText(area, std::string(kLimit + 1, 'x')), TextTooLargeError);
  EXPECT_STREQ(TextTooLargeError().what(), "文字列の大きさが メモ の制限を越えました");
  EXPECT_EQ(area.text(), "former");
  // CR LF counts two bytes after normalising: a lone LF at the limit is too large.
  EXPECT_THROW(loadText(area, std::string(kLimit - 1, 'x') + "\n"), TextTooLargeError);
  loadText(area, std::string(kLimit, 'x'));
  EXPECT_EQ(area.text().size(), kLimit);
  // The text area's own limit leaves room for any draft that memory holds.
  EXPECT_GE(FixedWidthTextLines(80).capacity(), std::size_t{0x7FFFFFFE});

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

// A step that loads `path` (a test folder's absolute path would pass for a switch).
CommandLineStep loadStep(const std::string& path) {
  CommandLineStep step;
  step.action = CommandLineStep::Action::LoadDraft;
  step.draftPath = {path};
  return step;
}

TEST_F(DraftIntake, LoadsTheDraftThenTakesTheHeader) {
  const std::string path = write("draft.txt", "To: a\nSubject: Hi\n\nBody\n");
  const CommandLineStep step = planCommandLine({"prog", "/gif", path});
  ASSERT_EQ(step.action, CommandLineStep::Action::LoadDraft);
  FixedWidthTextLines area(80);
  const TakenDraft taken = takeInDraft(step, area);
  EXPECT_FALSE(taken.messageAtLoad);
  EXPECT_EQ(taken.headerLines, (Args{"To: a", "Subject: Hi"}));
  EXPECT_EQ(taken.subject, "Hi");
  EXPECT_EQ(area.text(), "Body\r\n");
}

TEST_F(DraftIntake, UnreadableDraftIsReportedAndStartUpGoesOn) {
  // Vanished after the check, in characters that code page 932 does not have: the
  // message names it as it is.
  const CommandLineStep step = loadStep((dir_ / "下書き_😀_ñ.txt").string());
  FixedWidthTextLines area(80);
  TakenDraft taken = takeInDraft(step, area);
  ASSERT_TRUE(taken.messageAtLoad);
  EXPECT_EQ(*taken.messageAtLoad, "ファイル " + step.draftPath.utf8 + " は開けません");
  EXPECT_EQ(taken.sendRefusal,
            "下書き " + step.draftPath.utf8 + " を読み込めなかったので、送信できません");
  EXPECT_EQ(area.text(), "");
  EXPECT_TRUE(taken.headerLines.empty());

  // A folder says that it is one.
  taken = takeInDraft(loadStep(dir_.string()), area);
  EXPECT_EQ(taken.messageAtLoad, dir_.string() + " はフォルダなので、下書きとして読み込めません");
  EXPECT_TRUE(taken.sendRefusal);

  // The File menu's Open: a failed load keeps the text.
  area.setText("kept");
  EXPECT_THROW(loadTextFile(area, step.draftPath), FileOpenError);
  EXPECT_EQ(area.text(), "kept");
  EXPECT_FALSE(loadTextFile(area, {write("other.txt", "Subject: x\rline")}));
  EXPECT_EQ(area.text(), "Subject: x\r\nline");
}

TEST_F(DraftIntake, DraftWithAZeroByteIsShownUpToItAndSendIsRefused) {
  const std::string path = write("zero.txt", std::string("Subject: z\r\n\r\nbody\0tail", 24));
  FixedWidthTextLines area(80);
  const TakenDraft taken = takeInDraft(loadStep(path), area);
  EXPECT_EQ(area.text(), "body");
  EXPECT_EQ(taken.subject, "z");
  EXPECT_EQ(taken.messageAtLoad, formatWithPath(kZeroByteMessage, Utf8Path{path}));
  EXPECT_EQ(taken.sendRefusal, formatWithPath(kDraftCutMessage, Utf8Path{path}));

  // Open says so too.
  EXPECT_EQ(loadTextFile(area, {path}), formatWithPath(kZeroByteMessage, Utf8Path{path}));
  EXPECT_EQ(area.text(), "Subject: z\r\n\r\nbody");
}

TEST_F(DraftIntake, DraftTooLargeOrUnreadableIsReportedAsNotTakenIn) {
  const CommandLineStep step =
      loadStep(write("big.txt", "Subject: big\r\n\r\n" + std::string(2000, 'b')));
  FixedWidthTextLines area(80, "", 1000);
  const TakenDraft taken = takeInDraft(step, area);
  ASSERT_TRUE(taken.messageAtLoad);
  EXPECT_EQ(*taken.messageAtLoad, TextTooLargeError().what());
  EXPECT_TRUE(taken.sendRefusal);
  EXPECT_EQ(area.setTextCalls(), 0);
  EXPECT_TRUE(taken.headerLines.empty());
  EXPECT_EQ(taken.subject, "");
}

TEST_F(DraftIntake, ReadingStopsAtTheFirstZeroByteOrPastTheLimit) {
  // Junk after the zero byte is never read into memory: even past the limit it loads.
  const std::string path =
      write("zero.txt", "To: a\r\n\r\nbody" + std::string(1, '\0') + std::string(5000, 'j'));
  const TextFileBytes cut = readTextFile({path}, 100);
  EXPECT_EQ(cut.bytes, "To: a\r\n\r\nbody");
  EXPECT_TRUE(cut.cutAtZeroByte);
  const TextFileBytes exact = readTextFile({write("exact.txt", std::string(100, 'x'))}, 100);
  EXPECT_EQ(exact.bytes.size(), 100u);
  EXPECT_FALSE(exact.cutAtZeroByte);
  EXPECT_THROW(readTextFile({write("over.txt", std::string(101, 'x'))}, 100), TextTooLargeError);
  // Past one read buffer as well.
  EXPECT_THROW(readTextFile({write("long.txt", std::string(200000, 'x'))}, 150000),
               TextTooLargeError);
  EXPECT_THROW(readTextFile({(dir_ / "none.txt").string()}, 100), FileOpenError);
}

TEST_F(DraftIntake, HeaderLinesLeaveByteForByteAndTheAreaIsSetOnce) {
  // Bytes that no code page round trip keeps: a lone lead byte, an unmapped pair, the
  // single bytes 0x80, 0xA0 and 0xFD to 0xFF, and NEC/IBM duplicates.
  const std::string odd = "X-Odd: \x81 \x85\x40 \x80\xA0\xFD\xFE\xFF \xED\x40 \xFA\x40 \x87\x90";
  const std::string path =
      write("odd.txt", odd + "\nSubject: \x95\x5C\x83\x5C\n\nbody line\nsecond");
  const CommandLineStep step = loadStep(path);
  FixedWidthTextLines area(4);
  const TakenDraft taken = takeInDraft(step, area);
  EXPECT_FALSE(taken.messageAtLoad);
  EXPECT_EQ(taken.headerLines, (Args{odd, "Subject: \x95\x5C\x83\x5C"}));
  EXPECT_EQ(taken.subject, "\x95\x5C\x83\x5C");
  EXPECT_EQ(area.text(), "body line\r\nsecond");
  EXPECT_EQ(area.setTextCalls(), 1);
}

TEST_F(DraftIntake, Utf8DraftIsTakenInAsUtf8AndShiftJisStaysShiftJis) {
  using enum TextEncoding;
  const std::string a = "\xE3\x81\x82", i = "\xE3\x81\x84";  // あ, い in UTF-8
  // あ in UTF-8 passes for Shift-JIS too: the test is for UTF-8.
  EXPECT_EQ(detectDraftEncoding("Subject: " + a), (DraftEncoding{Utf8, false}));
  EXPECT_EQ(detectDraftEncoding(std::string(kUtf8ByteOrderMark) + "abc"),
            (DraftEncoding{Utf8, true}));
  EXPECT_EQ(detectDraftEncoding("plain ASCII\r\n"), (DraftEncoding{ShiftJis, false}));
  for (const char* notUtf8 : {"\x8C\x8F\x96\xBC", "\xC0\xAF", "\xED\xA0\x80", "\xE3\x81"}) {
    EXPECT_EQ(detectDraftEncoding(notUtf8).encoding, ShiftJis) << notUtf8;
  }

  // The header lines leave as they came, the subject names files in Shift-JIS, and the
  // area wraps between UTF-8 characters.
  FixedWidthTextLines area(4);
  const TakenDraft taken =
      takeInDraft(loadStep(write("utf8.txt", std::string(kUtf8ByteOrderMark) + "Subject: " + a +
                                                 "\n\n" + a + i)),
                  area);
  EXPECT_FALSE(taken.sendRefusal);
  EXPECT_EQ(taken.encoding, (DraftEncoding{Utf8, true}));
  EXPECT_EQ(taken.headerLines, (Args{"Subject: " + a}));
  EXPECT_EQ(taken.subject, "\x82\xA0");
  EXPECT_EQ(area.encoding(), Utf8);
  EXPECT_EQ(area.lines(), (Args{a, i}));
  EXPECT_EQ(limitLineBytes(std::string(6000, 'x') + a, Utf8).size(), kMaxLineBytes);
  std::string as;
  for (int n = 0; n < 2000; ++n) as += a;
  EXPECT_EQ(limitLineBytes(as, Utf8).size(), kMaxLineBytes - kMaxLineBytes % 3);

  // The File menu's Open brings either encoding into the area's.
  loadTextFile(area, {write("sjis.txt", "\x82\xA0")});
  EXPECT_EQ(area.text(), a);
  FixedWidthTextLines sjisArea(80);
  loadTextFile(sjisArea, {write("bom.txt", std::string(kUtf8ByteOrderMark) + a)});
  EXPECT_EQ(sjisArea.text(), "\x82\xA0");

  // A draft that is not taken in leaves the area's encoding as it was.
  FixedWidthTextLines small(80, "", 5);
  EXPECT_TRUE(takeInDraft(loadStep(write("big.txt", "\n" + a + a + a)), small).sendRefusal);
  EXPECT_EQ(small.encoding(), ShiftJis);
}

TEST_F(DraftIntake, LargeDraftWithoutABlankLineIsTakenInInOnePass) {
  // 100,000 header-like lines and no blank line: 1 MB, all of it header. Taken in
  // line by line through the area this ran out of memory.
  std::string draft;
  draft.reserve(1'100'000);
  for (int i = 0; i < 100'000; ++i) {
    std::string line = std::to_string(i);
    line.insert(0, 1, 'H');
    line.append(": xxxxxxxx", 0, line.size() < 8 ? 8 - line.size() : 0);
    draft.append(line).append(1, '\n');
  }
  const std::string path = write("long.txt", draft);
  const CommandLineStep step = loadStep(path);
  FixedWidthTextLines area(20);
  const TakenDraft taken = takeInDraft(step, area);
  EXPECT_FALSE(taken.messageAtLoad);
  ASSERT_EQ(taken.headerLines.size(), 100'000u);
  EXPECT_EQ(taken.headerLines[99'999], "H99999: ");
  EXPECT_EQ(taken.subject, "");
  EXPECT_EQ(area.text(), "");
  EXPECT_LE(area.setTextCalls(), 1);

  // The same as a body: 100,000 short lines in the area and back out as display lines.
  const std::string withBody = write("body.txt", "Subject: s\n\n" + draft);
  const TakenDraft withSubject = takeInDraft(loadStep(withBody), area);
  EXPECT_FALSE(withSubject.messageAtLoad);
  EXPECT_EQ(withSubject.headerLines, (Args{"Subject: s"}));
  const std::vector<std::string> lines = area.lines();
  ASSERT_EQ(lines.size(), 100'000u);
  EXPECT_EQ(lines[12'345], "H12345: ");
}

TEST(HeaderIntake, AreaWithoutADraftIsReadOnceAndSetOnce) {
  FixedWidthTextLines area(80, "A: 1\r\nB: 2\r\n\r\nbody");
  std::vector<std::string> headerLines;
  std::string subject;
  takeHeaderLines(area, headerLines, subject);
  EXPECT_EQ(headerLines, (Args{"A: 1", "B: 2"}));
  EXPECT_EQ(area.text(), "body");
  EXPECT_EQ(area.setTextCalls(), 1);
  // Nothing to take: nothing is set.
  takeHeaderLines(area, headerLines, subject);
  EXPECT_EQ(headerLines.size(), 3u);  // "body" was a header line of a text without a blank
  FixedWidthTextLines empty(80);
  takeHeaderLines(empty, headerLines, subject);
  EXPECT_EQ(empty.setTextCalls(), 0);
}

TEST(TextLines, AllDisplayLinesAtOnceMatchLineByLine) {
  FixedWidthTextLines area(4, "abcdefghij\r\nxy\r\n\r\n\x82\xa0\x82\xa2\x82\xa4");
  std::vector<std::string> oneByOne;
  for (int i = 0; i < area.count(); ++i) oneByOne.push_back(area.line(i));
  EXPECT_EQ(area.lines(), oneByOne);
  EXPECT_EQ(area.lines(), (Args{"abcd", "efgh", "ij", "xy", "", "\x82\xa0\x82\xa2", "\x82\xa4"}));
  EXPECT_TRUE(FixedWidthTextLines(4).lines().empty());
}

}  // namespace
}  // namespace fudekko
