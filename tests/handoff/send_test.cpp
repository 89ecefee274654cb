#include "handoff/send.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/shift_jis.h"
#include "draft/draft_intake.h"
#include "support/test_folder.h"

namespace fudekko {
namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records every request in order; the folder and temporary files are real, in a
// folder of the test's own.
class FakePlatform : public SendPlatform {
 public:
  explicit FakePlatform(std::string folder) : folder_(std::move(folder)) {}

  bool isPlainFile(const std::string& path) override { return path == mailClient; }
  bool pathExists(const std::string& path) override { return fs::exists(path); }
  void removeFile(const std::string& path) override {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  void showMessage(const std::string& text) override { log.push_back("message " + text); }
  void hideMainWindow() override {
    log.push_back("hide");
    shown = false;
  }
  void showMainWindow() override {
    log.push_back("show");
    shown = true;
  }
  void closeMainWindow() override { log.push_back("close"); }
  std::string temporaryFolder() override {
    log.push_back("folder");
    if (folderFails) throw Error("no folder");
    return folder_;
  }
  std::string createTemporaryFile(const std::string& folder, const std::string& prefix) override {
    log.push_back("temp file " + prefix);
    const std::string path = folder + prefix.substr(0, 3) + std::to_string(++files_) + ".tmp";
    std::ofstream created(path, std::ios::binary);
    if (!created) throw FileCreateError(path);
    return path;
  }
  std::vector<TopLevelWindow> topLevelWindows() override { return windows; }
  bool dismissSendWindow(WindowId window) override {
    log.push_back("dismiss " + std::to_string(window));
    // The files must stand by now.
    filesWhenDismissed = fs::exists(lastPicture) && !lastDraft().empty();
    return mailClientComesToFront;
  }
  // "start" when it runs, "unrun" when it is dropped without.
  class Program : public PreparedProgram {
   public:
    Program(FakePlatform& platform, std::pair<std::string, std::string> call)
        : platform_(platform), call_(std::move(call)) {}
    ~Program() override {
      if (!ran_) platform_.log.push_back("unrun");
    }
    void run() override {
      ran_ = true;
      platform_.log.push_back("start");
      platform_.started.push_back(call_);
    }

   private:
    FakePlatform& platform_;
    std::pair<std::string, std::string> call_;
    bool ran_ = false;
  };
  std::unique_ptr<PreparedProgram> prepareProgram(const std::string& program,
                                                  const std::string& commandLine) override {
    log.push_back("prepare");
    if (startFails) throw Error("cannot start");
    if (notAProgram) throw NotAProgramError(program);
    return std::make_unique<Program>(*this, std::pair{program, commandLine});
  }
  void sleep(unsigned ms) override { log.push_back("sleep " + std::to_string(ms)); }
  bool defaultMailClientRegistered() override { return mapiRegistered; }
  unsigned long sendThroughMapi(const MapiMessageAnsi& message) override {
    log.push_back("mapi");
    mapiMessages.push_back(message);
    return mapiAnswer;
  }

  std::string lastDraft() const {
    if (started.empty()) {
      for (const auto& entry : fs::directory_iterator(folder_)) {
        if (entry.path().extension() == ".tmp" && fs::file_size(entry.path()) > 0) {
          return entry.path().string();
        }
      }
      return {};
    }
    const std::string& line = started.back().second;
    const auto from = line.find("/file:\"") + 7;
    return line.substr(from, line.find('"', from) - from);
  }

  std::string mailClient = "C:\\Program Files\\ALMAIL32\\almail.exe";
  std::vector<TopLevelWindow> windows;
  std::vector<std::string> log;
  std::vector<std::pair<std::string, std::string>> started;
  std::string lastPicture;
  bool shown = true;
  bool folderFails = false;
  bool startFails = false;
  bool notAProgram = false;
  bool mailClientComesToFront = true;
  std::optional<bool> filesWhenDismissed;
  bool mapiRegistered = true;
  unsigned long mapiAnswer = kMapiSuccess;
  std::vector<MapiMessageAnsi> mapiMessages;

 private:
  std::string folder_;
  int files_ = 0;
};

const char* formatName(AttachmentFormat format) {
  switch (format) {
    case AttachmentFormat::Png:
      return "PNG";
    case AttachmentFormat::Gif:
      return "GIF";
    case AttachmentFormat::Bmp:
      break;
  }
  return "BMP";
}

class SendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testFolder_.path().string();
    folder_ = dir_ + "/";
    platform_.emplace(folder_);
    fields_.mailClientPath = platform_->mailClient;
    fields_.headerLines = {"To: a@example.com", "Subject: Re: Hello"};
    fields_.subject = "Re: Hello";
    fields_.format = AttachmentFormat::Png;
    fields_.hasDraft = true;
  }
  PictureSaver saver() {
    return [this](const std::string& path, AttachmentFormat format) {
      platform_->log.push_back(std::string("save ") + formatName(format));
      platform_->lastPicture = path;
      // A failing writer leaves what it wrote, as on a full disk.
      std::ofstream(path, std::ios::binary) << (saveFails ? "pict" : "picture");
      if (saveFails) throw FileWriteError(path, true);
    };
  }

  // The body as the text area holds it, wrapped at 20 bytes.
  SendResult send(const std::string& body) {
    return handOff(fields_, FixedWidthTextLines(20, body), saver(), *platform_);
  }

  test::TestFolder testFolder_;
  std::string dir_;
  std::string folder_;
  std::optional<FakePlatform> platform_;
  SendFields fields_;
  bool saveFails = false;
};

TEST_F(SendTest, MissingMailClientSaysSoAndChangesNothing) {
  fields_.mailClientPath = "C:\\nowhere\\almail.exe";
  EXPECT_EQ(send("Body"), SendResult::MailClientMissing);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"message AL-Mail が存在しません"}));
  EXPECT_TRUE(fs::is_empty(dir_));

  // Once chosen, the next press sends.
  fields_.mailClientPath = platform_->mailClient;
  EXPECT_EQ(send("Body"), SendResult::Sent);
}

TEST_F(SendTest, WritesBothFilesBeforeDismissingThenStartsWaitsAndCloses) {
  platform_->windows = {{1, true, kSendWindowTitle},
                        {2, false, "x"},
                        {3, false, "[" + kSendWindowTitle + "]"},
                        {4, false, kSendWindowTitle}};
  EXPECT_EQ(send("Body 1\r\nBody 2 is wider than the area\r\n"), SendResult::Sent);

  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"hide", "folder", "save PNG", "temp file Fudek", "prepare",
                                      "dismiss 3", "start", "sleep 5000", "close"}));
  EXPECT_EQ(platform_->filesWhenDismissed, true);

  const std::string picture = folder_ + "Re_ Hello.png";
  EXPECT_EQ(platform_->lastPicture, picture);
  EXPECT_EQ(readFile(picture), "picture");
  const std::string draft = platform_->lastDraft();
  EXPECT_EQ(draft, folder_ + "Fud1.tmp");
  EXPECT_EQ(readFile(draft),
            "To: a@example.com\r\nSubject: Re: Hello\r\n\r\nBody 1\r\nBody 2 is wider than\r\n"
            " the area\r\n");

  ASSERT_EQ(platform_->started.size(), 1u);
  EXPECT_EQ(platform_->started[0].first, fields_.mailClientPath);
  EXPECT_EQ(platform_->started[0].second,
            fields_.mailClientPath + " /file:\"" + draft + "\" /attach:\"" + picture + "\"");
}

TEST_F(SendTest, LongLinesGoBackWrappedByDefaultOrAsTyped) {
  // Longer than a display line is ever read, and with a two-byte character at each cut.
  const std::string longLine = std::string(kMaxLineBytes + 3, 'u') + "\x95\x5C end";
  const std::string body = "Body 1\r\n" + longLine + "\r\n\r\nlast";
  const std::string header = "To: a@example.com\r\nSubject: Re: Hello\r\n\r\n";
  fields_.wrapLongLines = false;
  EXPECT_EQ(send(body + "\r\n"), SendResult::Sent);
  EXPECT_EQ(readFile(platform_->lastDraft()), header + body + "\r\n");
  // A last line without a line break gets one, as every line does.
  EXPECT_EQ(send(body), SendResult::Sent);
  EXPECT_EQ(readFile(platform_->lastDraft()), header + body + "\r\n");

  fields_.wrapLongLines = true;
  EXPECT_EQ(send(body), SendResult::Sent);
  const std::string wrapped = readFile(platform_->lastDraft());
  EXPECT_EQ(wrapped.substr(0, header.size() + 30),
            header + "Body 1\r\n" + std::string(20, 'u') + "\r\n");
  EXPECT_EQ(wrapped.find(std::string(21, 'u')), std::string::npos);
  EXPECT_NE(wrapped.find("u\r\n\x95\x5C end\r\n\r\nlast\r\n"), std::string::npos);
}

TEST_F(SendTest, NoHiddenSendWindowMeansNothingIsDismissedAndTheSendGoesOn) {
  platform_->windows = {{1, true, kSendWindowTitle}, {2, false, "Inbox"}};
  EXPECT_EQ(send(""), SendResult::Sent);
  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"hide", "folder", "save PNG", "temp file Fudek", "prepare",
                                      "start", "sleep 5000", "close"}));
  EXPECT_EQ(readFile(platform_->lastDraft()), "To: a@example.com\r\nSubject: Re: Hello\r\n\r\n");
}

TEST_F(SendTest, WithoutADraftThePendingSendWindowIsNotOurs) {
  platform_->windows = {{5, false, kSendWindowTitle}};
  fields_.hasDraft = false;
  fields_.headerLines.clear();
  EXPECT_EQ(send("Body"), SendResult::Sent);
  EXPECT_EQ(std::count(platform_->log.begin(), platform_->log.end(), "dismiss 5"), 0);
  EXPECT_EQ(platform_->started.size(), 1u);
}

TEST_F(SendTest, SubjectComesFromTheFirstBodyLineOrIsUntitled) {
  fields_.subject.clear();
  fields_.headerLines.clear();
  fields_.format = attachmentFormatFromSwitch("GI");
  send("  Hello  \r\nmore");
  EXPECT_EQ(platform_->lastPicture, folder_ + "Hello.bmp");
  EXPECT_EQ(readFile(platform_->lastDraft()), "\r\n  Hello  \r\nmore\r\n");

  fields_.format = attachmentFormatFromSwitch("");
  send("\r\nlater text");
  EXPECT_EQ(platform_->lastPicture, folder_ + kUntitledSubject + ".bmp");
  send("");
  EXPECT_EQ(platform_->lastPicture, folder_ + kUntitledSubject + " (2).bmp");
}

TEST_F(SendTest, APictureThatAnEarlierMailHoldsIsNeverReplaced) {
  std::ofstream(folder_ + "Re_ Hello.png") << "first mail";
  fs::create_directory(folder_ + "Re_ Hello (2).png");
  EXPECT_EQ(send("Body"), SendResult::Sent);
  EXPECT_EQ(platform_->lastPicture, folder_ + "Re_ Hello (3).png");
  EXPECT_EQ(readFile(folder_ + "Re_ Hello.png"), "first mail");
  EXPECT_NE(platform_->started[0].second.find("/attach:\"" + folder_ + "Re_ Hello (3).png\""),
            std::string::npos);

  fields_.throughMapi = true;
  send("Body");
  EXPECT_EQ(platform_->mapiMessages[0].attachmentPath, folder_ + "Re_ Hello (4).png");
}

TEST_F(SendTest, UnsafeSubjectStaysInsideTheTemporaryFolder) {
  fields_.subject = "..\\" + utf8ToSjis("表") + "/CON";
  fields_.format = AttachmentFormat::Gif;
  send("");
  EXPECT_EQ(platform_->lastPicture, folder_ + "___" + utf8ToSjis("表") + "_CON.gif");
  fields_.subject = "con";
  send("");
  EXPECT_EQ(platform_->lastPicture, folder_ + "co_.gif");
}

TEST_F(SendTest, FailedPictureSaveBringsTheWindowBackAndASecondPressWorks) {
  platform_->windows = {{5, false, kSendWindowTitle}};
  const SendFields before = fields_;
  saveFails = true;
  EXPECT_THROW(send("Body"), FileWriteError);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"hide", "folder", "save PNG", "show"}));
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_TRUE(platform_->shown);
  EXPECT_EQ(fields_.headerLines, before.headerLines);

  saveFails = false;
  platform_->log.clear();
  EXPECT_EQ(send("Body"), SendResult::Sent);
  EXPECT_EQ(platform_->log.back(), "close");
  EXPECT_EQ(readFile(platform_->lastDraft()),
            "To: a@example.com\r\nSubject: Re: Hello\r\n\r\nBody\r\n");
}

TEST_F(SendTest, UnwritableFolderKeepsTheSendWindowAndBringsTheMainWindowBack) {
  platform_.emplace(dir_ + "/missing/");
  platform_->windows = {{5, false, kSendWindowTitle}};
  saveFails = true;  // as a writer fails on a folder that is not there
  EXPECT_THROW(send("Body"), FileWriteError);
  saveFails = false;
  EXPECT_THROW(send("Body"), FileCreateError);  // now the draft cannot be made
  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"hide", "folder", "save PNG", "show", "hide", "folder",
                                      "save PNG", "temp file Fudek", "show"}));
  EXPECT_TRUE(platform_->started.empty());
}

TEST_F(SendTest, FolderOrStartFailureBringsTheWindowBackAndKeepsThePendingMail) {
  platform_->windows = {{5, false, kSendWindowTitle}};
  platform_->folderFails = true;
  EXPECT_THROW(send("Body"), Error);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"hide", "folder", "show"}));

  // The mail client is known not to start before the pending mail is given up.
  platform_->folderFails = false;
  platform_->startFails = true;
  platform_->log.clear();
  EXPECT_THROW(send("Body"), Error);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"hide", "folder", "save PNG",
                                                      "temp file Fudek", "prepare", "show"}));
  EXPECT_TRUE(platform_->shown);
  EXPECT_TRUE(fs::is_empty(dir_));

  // A file that is no program: said so, then the user is asked for the program.
  platform_->startFails = false;
  platform_->notAProgram = true;
  platform_->log.clear();
  EXPECT_EQ(send("Body"), SendResult::MailClientMissing);
  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"hide", "folder", "save PNG", "temp file Fudek", "prepare",
                                      "message C:\\Program Files\\ALMAIL32\\almail.exe "
                                      "はプログラムではないので、起動できません",
                                      "show"}));
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_TRUE(platform_->started.empty());
}

TEST_F(SendTest, DraftThatWasNotTakenInIsNeverReplaced) {
  // Named but unreadable, too large or gone: the area holds nothing of the user's mail.
  platform_->windows = {{5, false, kSendWindowTitle}};
  fields_.draftRefusal = "下書き C:\\mail\\표.txt を読み込めなかったので、送信できません";
  fields_.headerLines.clear();
  EXPECT_EQ(send(""), SendResult::DraftRefused);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"message " + *fields_.draftRefusal}));
  EXPECT_TRUE(platform_->shown);
  EXPECT_TRUE(platform_->started.empty());
  EXPECT_TRUE(fs::is_empty(dir_));

  // Also before the missing mail client would run the selection.
  fields_.mailClientPath = "C:\\nowhere\\almail.exe";
  platform_->log.clear();
  EXPECT_EQ(send("Body"), SendResult::DraftRefused);
  EXPECT_EQ(platform_->log.size(), 1u);
}

TEST_F(SendTest, Utf8DraftGoesBackAsUtf8ByteForByte) {
  const std::string a = "\xE3\x81\x82";  // あ in UTF-8; "\x82\xA0" in Shift-JIS
  fields_.headerLines = {"To: " + a + " <a@example.com>"};
  fields_.subject.clear();
  fields_.byteOrderMark = true;
  FixedWidthTextLines body(80);
  body.setEncoding(TextEncoding::Utf8);
  body.setText(a + "\r\n\xF0\x9F\x98\x80\r\n");  // and an emoji that Shift-JIS has not
  EXPECT_EQ(handOff(fields_, body, saver(), *platform_), SendResult::Sent);
  EXPECT_EQ(readFile(platform_->lastDraft()),
            std::string(kUtf8ByteOrderMark) + fields_.headerLines[0] + "\r\n\r\n" + body.text());
  // The picture is named from the first line in Shift-JIS.
  EXPECT_EQ(platform_->lastPicture, folder_ + "\x82\xA0.png");

  // Simple MAPI is handed Shift-JIS.
  fields_.throughMapi = true;
  EXPECT_EQ(handOff(fields_, body, saver(), *platform_), SendResult::Sent);
  ASSERT_EQ(platform_->mapiMessages.size(), 1u);
  EXPECT_EQ(platform_->mapiMessages[0].body.substr(0, 2), "\x82\xA0");
  ASSERT_EQ(platform_->mapiMessages[0].recipients.size(), 1u);
  EXPECT_EQ(platform_->mapiMessages[0].recipients[0].name, "\x82\xA0");
}

TEST_F(SendTest, LargeBodyLeavesWholeInOnePass) {
  std::string body;
  std::string expected = "To: a@example.com\r\nSubject: Re: Hello\r\n\r\n";
  for (int i = 0; i < 100'000; ++i) {
    const std::string line = "line " + std::to_string(i);
    body += line + "\r\n";
    expected += line + "\r\n";
  }
  EXPECT_EQ(send(body), SendResult::Sent);
  EXPECT_EQ(readFile(platform_->lastDraft()), expected);
}

TEST_F(SendTest, MailClientThatCannotComeToTheFrontStopsTheSendBeforeAnythingStarts) {
  // The key Y would go to whatever program is in front: it is not typed, nothing is
  // started, and the window comes back as after any failure.
  platform_->windows = {{5, false, kSendWindowTitle}};
  platform_->mailClientComesToFront = false;
  try {
    send("Body");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), kMailClientNotInFrontMessage);
  }
  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"hide", "folder", "save PNG", "temp file Fudek", "prepare",
                                      "dismiss 5", "unrun", "show"}));
  EXPECT_TRUE(platform_->shown);
  EXPECT_TRUE(platform_->started.empty());
  EXPECT_TRUE(fs::is_empty(dir_));  // the picture and the draft are gone again

  platform_->mailClientComesToFront = true;
  EXPECT_EQ(send("Body"), SendResult::Sent);
}

TEST(SendGateTest, APressDuringOrAfterASendThatWentThroughDoesNothing) {
  SendGate gate;
  int runs = 0;
  // A failed or refused send may be pressed again; one inside it may not.
  EXPECT_EQ(gate.press([&] {
    ++runs;
    EXPECT_EQ(gate.press([&] { return ++runs, SendResult::Sent; }), SendResult::AlreadySending);
    return SendResult::NotSent;
  }),
            SendResult::NotSent);
  EXPECT_THROW(gate.press([&]() -> SendResult { ++runs, throw Error("x"); }), Error);
  EXPECT_EQ(gate.press([&] { return ++runs, SendResult::Sent; }), SendResult::Sent);
  EXPECT_EQ(gate.press([&] { return ++runs, SendResult::Sent; }), SendResult::AlreadySending);
  EXPECT_EQ(runs, 3);
}

TEST_F(SendTest, DefaultMailClientGetsTheMailWithThePictureAndOnlyItsYesCloses) {
  fields_.throughMapi = true;
  fields_.mailClientPath = "C:\\nowhere\\almail.exe";  // not asked for
  fields_.headerLines = {"To: \"Doe, J\" <j@example.jp>,", " k@example.jp", "Cc: c@example.jp",
                         "Subject: Re: Hello"};
  platform_->windows = {{5, false, kSendWindowTitle}};
  // Without a switch, a PNG; the body's logical lines, not the wrapped ones.
  const std::string body = "Body 1\r\nBody 2 is wider than the area\r\n";
  EXPECT_EQ(send(body), SendResult::Sent);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"folder", "save PNG", "mapi", "close"}));
  const std::string picture = folder_ + "Re_ Hello.png";
  EXPECT_EQ(readFile(picture), "picture");
  ASSERT_EQ(platform_->mapiMessages.size(), 1u);
  const MapiMessageAnsi& mail = platform_->mapiMessages[0];
  EXPECT_EQ(mail.subject, "Re: Hello");
  EXPECT_EQ(mail.body, body);
  EXPECT_EQ(mail.attachmentPath, picture);
  EXPECT_EQ(mail.attachmentName, "Re_ Hello.png");
  EXPECT_EQ(mail.recipients, (std::vector<MapiRecipientText<std::string>>{
                                 {RecipientClass::To, "Doe, J", "SMTP:j@example.jp"},
                                 {RecipientClass::To, "k@example.jp", "SMTP:k@example.jp"},
                                 {RecipientClass::Cc, "c@example.jp", "SMTP:c@example.jp"}}));

  // A switch keeps its type; the user's cancel leaves everything as it was, silently.
  fields_.formatSwitched = true;
  fields_.format = AttachmentFormat::Gif;
  platform_->mapiAnswer = kMapiUserAbort;
  platform_->log.clear();
  EXPECT_EQ(send(body), SendResult::NotSent);
  EXPECT_EQ(platform_->log, (std::vector<std::string>{"folder", "save GIF", "mapi"}));
  EXPECT_TRUE(fs::exists(folder_ + "Re_ Hello.gif"));

  // Any other answer is named, and the window stays.
  platform_->mapiAnswer = 11;
  platform_->log.clear();
  EXPECT_EQ(send(body), SendResult::NotSent);
  EXPECT_EQ(platform_->log.back(),
            "message 既定のメールソフトで送れませんでした: 添付ファイルが見つかりません "
            "(MAPI_E_ATTACHMENT_NOT_FOUND)");
  EXPECT_TRUE(platform_->shown);
  EXPECT_TRUE(platform_->started.empty());
}

TEST_F(SendTest, NoDefaultMailClientSaysSoBeforeAnythingIsWritten) {
  fields_.throughMapi = true;
  platform_->mapiRegistered = false;
  EXPECT_EQ(send("Body"), SendResult::NotSent);
  EXPECT_EQ(platform_->log,
            (std::vector<std::string>{"message 既定のメールソフトが設定されていません"}));
  EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace fudekko
