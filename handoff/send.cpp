#include "handoff/send.h"

#include "common/byte_stream.h"
#include "common/errors.h"
#include "common/scope_guard.h"
#include "common/shift_jis.h"
#include "draft/draft_intake.h"

namespace fudekko {

namespace {

void writeDraft(const std::string& path, const std::string& bytes) {
  FileSink file(path);
  file.write(bytes.data(), bytes.size());
  file.close();
}

std::string pictureSubject(const SendFields& fields, const TextLines& body) {
  return replaceColons(subjectOrFallback(fields.subject, toSjis(body.line(0), body.encoding())));
}

// Simple MAPI takes Shift-JIS here, whatever the draft's encoding.
MapiMailSource mapiMail(const SendFields& fields, const TextLines& body,
                        const std::string& picture) {
  std::vector<std::string> headerLines;
  for (const std::string& line : fields.headerLines) {
    headerLines.push_back(toSjis(line, body.encoding()));
  }
  return {fields.subject, toSjis(body.text(), body.encoding()), std::move(headerLines), picture};
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
  const std::string picture =
      freePicturePath(platform.temporaryFolder(), pictureSubject(fields, body), format, platform);
  // A picture the writer left half written (a full disk, say) is not left behind.
  ScopeGuard removePicture([&] { platform.removeFile(picture); });
  savePicture(picture, format);
  removePicture.dismiss();

  const unsigned long answer =
      platform.sendThroughMapi(planMapiMessage(mapiMail(fields, body, picture)));
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
  const std::vector<std::string> bodyLines = fields.wrapLongLines ? body.lines() : typedLines(body);

  const std::string picture =
      freePicturePath(folder, pictureSubject(fields, body), fields.format, platform);
  // What this Send made goes again when it fails: nothing half written stays, and a
  // second press gets the same names.
  std::vector<std::string> created{picture};
  ScopeGuard removeCreated([&] {
    for (const std::string& path : created) platform.removeFile(path);
  });
  savePicture(picture, fields.format);

  const std::string draft = platform.createTemporaryFile(folder, kDraftFilePrefix);
  created.push_back(draft);
  // Back in the draft's own encoding: header lines as they came, the body as the text
  // area holds it.
  writeDraft(draft, (fields.byteOrderMark ? std::string(kUtf8ByteOrderMark) : std::string()) +
                        draftBytes(fields.headerLines, bodyLines));

  // Only now that both files stand and the mail client is known to start is the old
  // send window given up: a path that names no program leaves the pending mail alone.
  std::unique_ptr<PreparedProgram> mailClient;
  try {
    mailClient = platform.prepareProgram(
        fields.mailClientPath, mailClientCommandLine(fields.mailClientPath, draft, picture));
  } catch (const NotAProgramError& error) {
    // The files go and the window comes back as after any failure.
    platform.showMessage(error.what());
    return SendResult::MailClientMissing;
  }
  if (const auto pending =
          fields.hasDraft ? findPendingSendWindow(platform.topLevelWindows()) : std::nullopt) {
    // Nothing runs then: the user answers the mail client and presses Send again.
    if (!platform.dismissSendWindow(*pending)) throw Error(kMailClientNotInFrontMessage);
  }
  mailClient->run();
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
