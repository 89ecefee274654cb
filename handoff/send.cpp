#include "handoff/send.h"

#include "common/byte_stream.h"
#include "common/errors.h"

namespace fudekko {

namespace {

// Shows the main window again unless the send went through.
class MainWindowComesBack {
 public:
  explicit MainWindowComesBack(SendPlatform& platform) : platform_(platform) {}
  ~MainWindowComesBack() {
    if (armed_) platform_.showMainWindow();
  }
  MainWindowComesBack(const MainWindowComesBack&) = delete;
  MainWindowComesBack& operator=(const MainWindowComesBack&) = delete;
  void disarm() { armed_ = false; }

 private:
  SendPlatform& platform_;
  bool armed_ = true;
};

void writeDraft(const std::string& path, const std::string& bytes) {
  FileSink file(path);
  file.write(bytes.data(), bytes.size());
  file.close();
}

}  // namespace

SendResult handOff(const SendFields& fields, const TextLines& body, const PictureSaver& savePicture,
                   SendPlatform& platform) {
  if (fields.draftNotLoaded) {
    platform.showMessage(formatWithPath(kDraftNotLoadedMessage, *fields.draftNotLoaded));
    return SendResult::DraftNotLoaded;
  }
  if (!platform.isPlainFile(fields.mailClientPath)) {
    platform.showMessage(kMailClientMissingMessage);
    platform.runMailClientSelection();
    return SendResult::MailClientMissing;
  }

  platform.hideMainWindow();
  MainWindowComesBack comesBack(platform);

  const std::string folder = platform.temporaryFolder();
  const std::vector<std::string> bodyLines = body.lines();

  const std::string subject =
      replaceColons(subjectOrFallback(fields.subject, bodyLines.empty() ? "" : bodyLines[0]));
  const std::string picture = picturePath(folder, subject, fields.format);
  savePicture(picture, fields.format);

  const std::string draft = platform.createTemporaryFile(folder, kDraftFilePrefix);
  writeDraft(draft, draftBytes(fields.headerLines, bodyLines));

  // Only now that both files stand is the old send window given up.
  if (const auto pending = findPendingSendWindow(platform.topLevelWindows())) {
    // Nothing is started then: the user answers the mail client and presses Send again.
    if (!platform.dismissSendWindow(*pending)) throw Error(kMailClientNotInFrontMessage);
  }
  platform.startProgram(fields.mailClientPath,
                        mailClientCommandLine(fields.mailClientPath, draft, picture));
  comesBack.disarm();

  platform.sleep(kWaitBeforeClosingMs);
  platform.closeMainWindow();
  return SendResult::Sent;
}

}  // namespace fudekko
