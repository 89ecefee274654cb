#include "handoff/send.h"

#include "common/byte_stream.h"
#include "common/errors.h"
#include "common/scope_guard.h"

namespace fudekko {

namespace {

void writeDraft(const std::string& path, const std::string& bytes) {
  FileSink file(path);
  file.write(bytes.data(), bytes.size());
  file.close();
}

std::string pictureSubject(const SendFields& fields, const std::vector<std::string>& bodyLines) {
  return replaceColons(subjectOrFallback(fields.subject, bodyLines.empty() ? "" : bodyLines[0]));
}

// Up to how many pictures of one subject may wait in the temporary folder.
constexpr unsigned kMaxPictureVariants = 999;

// A picture name that no file holds yet: a mail still pending may point at the picture
// of an earlier mail with the same subject, and must not get this one instead.
std::string freePicturePath(const std::string& folder, const std::string& subject,
                            AttachmentFormat format, SendPlatform& platform) {
  for (unsigned variant = 1; variant <= kMaxPictureVariants; ++variant) {
    std::string path = picturePath(folder, subject, format, {}, variant);
    if (!platform.pathExists(path)) return path;
  }
  throw TemporaryFolderError("一時フォルダ %s に、同じ件名の添付ファイルが多すぎます", folder);
}

SendResult handOffThroughMapi(const SendFields& fields, const TextLines& body,
                              const PictureSaver& savePicture, SendPlatform& platform) {
  // Checked first: without a client the call would wait on a message box of the system's.
  if (!platform.defaultMailClientRegistered()) {
    platform.showMessage(kNoDefaultMailClientMessage);
    return SendResult::NotSent;
  }
  const AttachmentFormat format = fields.formatSwitched ? fields.format : AttachmentFormat::Png;
  const std::string picture = freePicturePath(
      platform.temporaryFolder(), pictureSubject(fields, body.lines()), format, platform);
  // A picture the writer left half written (a full disk, say) is not left behind.
  ScopeGuard removePicture([&] { platform.removeFile(picture); });
  savePicture(picture, format);
  removePicture.dismiss();

  const unsigned long answer = platform.sendThroughMapi(
      planMapiMessage({fields.subject, body.text(), fields.headerLines, picture}));
  if (answer == kMapiSuccess) {
    platform.closeMainWindow();
    return SendResult::Sent;
  }
  if (answer != kMapiUserAbort) platform.showMessage(mapiErrorMessage(answer));
  return SendResult::NotSent;
}

}  // namespace

SendResult handOff(const SendFields& fields, const TextLines& body, const PictureSaver& savePicture,
                   SendPlatform& platform) {
  if (fields.draftRefusal) {
    platform.showMessage(*fields.draftRefusal);
    return SendResult::DraftRefused;
  }
  if (fields.throughMapi) return handOffThroughMapi(fields, body, savePicture, platform);
  if (!platform.isPlainFile(fields.mailClientPath)) {
    platform.showMessage(kMailClientMissingMessage);
    return SendResult::MailClientMissing;
  }

  platform.hideMainWindow();
  // Shown again unless the send went through.
  ScopeGuard comesBack([&platform] { platform.showMainWindow(); });

  const std::string folder = platform.temporaryFolder();
  const std::vector<std::string> bodyLines = body.lines();

  const std::string picture =
      freePicturePath(folder, pictureSubject(fields, bodyLines), fields.format, platform);
  // What this Send made goes again when it fails: nothing half written stays, and a
  // second press gets the same names.
  std::vector<std::string> created{picture};
  ScopeGuard removeCreated([&] {
    for (const std::string& path : created) platform.removeFile(path);
  });
  savePicture(picture, fields.format);

  const std::string draft = platform.createTemporaryFile(folder, kDraftFilePrefix);
  created.push_back(draft);
  writeDraft(draft, draftBytes(fields.headerLines, bodyLines));

  // Only now that both files stand is the old send window given up.
  if (const auto pending =
          fields.hasDraft ? findPendingSendWindow(platform.topLevelWindows()) : std::nullopt) {
    // Nothing is started then: the user answers the mail client and presses Send again.
    if (!platform.dismissSendWindow(*pending)) throw Error(kMailClientNotInFrontMessage);
  }
  platform.startProgram(fields.mailClientPath,
                        mailClientCommandLine(fields.mailClientPath, draft, picture));
  removeCreated.dismiss();
  comesBack.dismiss();

  platform.sleep(kWaitBeforeClosingMs);
  platform.closeMainWindow();
  return SendResult::Sent;
}

SendResult SendGate::press(const std::function<SendResult()>& send) {
  if (running_ || sent_) return SendResult::AlreadySending;
  running_ = true;
  const ScopeGuard lower([this] { running_ = false; });
  const SendResult result = send();
  sent_ = result == SendResult::Sent;
  return result;
}

}  // namespace fudekko
