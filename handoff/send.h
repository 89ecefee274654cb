#pragma once
// Send: saves the picture and the draft, hands both to the mail client and
// ends the program; over small interfaces so that it runs the same under test.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "draft/text_lines.h"
#include "handoff/mapi_plan.h"
#include "handoff/send_plan.h"

namespace fudekko {

// A program whose process was created but has not run a single instruction: the
// mail client is known to start before its pending send window is given up.
class PreparedProgram {
 public:
  // Ends the process unrun when `run` was never called.
  virtual ~PreparedProgram() = default;
  // Lets it run. Throws Error when it cannot.
  virtual void run() = 0;
};

// What Send asks of the platform and of the main window.
class SendPlatform {
 public:
  virtual ~SendPlatform() = default;

  virtual bool isPlainFile(const std::string& path) = 0;
  // Whether anything, a file or a folder, stands at `path`.
  virtual bool pathExists(const std::string& path) = 0;
  // Removes the file at `path` when it can; never throws.
  virtual void removeFile(const std::string& path) = 0;
  // A message box with the program's title; `textUtf8` is shown as it stands.
  virtual void showMessage(const std::string& textUtf8) = 0;
  virtual void hideMainWindow() = 0;
  virtual void showMainWindow() = 0;
  virtual void closeMainWindow() = 0;

  // The user's temporary folder, ending with a separator. Throws Error on failure.
  virtual std::string temporaryFolder() = 0;
  // Creates an empty file of a new name in `folder` from the first three characters
  // of `prefix` and returns its path. Throws Error on failure.
  virtual std::string createTemporaryFile(const std::string& folder, const std::string& prefix) = 0;

  virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
  // Posts the close request to `window`, brings the mail client to the foreground and
  // types Y, but only while a window of the process that owns `window` is in front:
  // false, with nothing typed, when that could not be had within a short wait.
  virtual bool dismissSendWindow(WindowId window) = 0;

  // Creates the process of exactly the program file `program`, handing it `commandLine`
  // as its whole command line, to be shown normally once it runs. Throws
  // NotAProgramError for a file that is no program, Error when it cannot be started.
  virtual std::unique_ptr<PreparedProgram> prepareProgram(const std::string& program,
                                                          const std::string& commandLine) = 0;
  virtual void sleep(unsigned milliseconds) = 0;

  // The system's default mail client: whether one is registered, and the Simple MAPI
  // call that hands it `message` (its answer, kMapiSuccess and so on).
  virtual bool defaultMailClientRegistered() = 0;
  virtual unsigned long sendThroughMapi(const MapiMessageAnsi& message) = 0;
};

// Saves the composite picture to `path` in `format`. Throws Error on failure.
using PictureSaver = std::function<void(const std::string& path, AttachmentFormat format)>;

// The main window's fields that Send reads. Send changes none of them, so a failed
// send can be repeated as it stood.
struct SendFields {
  std::string mailClientPath;
  std::string subject;
  std::vector<std::string> headerLines;
  AttachmentFormat format = AttachmentFormat::Bmp;
  // Send's refusal (UTF-8) when the command line named a draft that was not taken in
  // whole (unreadable, too large, gone, cut at a zero byte). The text area then holds
  // less than the user's mail, and handing it back would replace the pending mail.
  std::optional<std::string> draftRefusal;
  // "MailClient=MAPI": the system's default mail client gets the mail instead.
  bool throughMapi = false;
  // Whether the command line chose `format`; without a switch the default mail client
  // gets a PNG, the type every mail program shows.
  bool formatSwitched = false;
  // Whether the command line named a draft. Without one the mail client's pending send
  // window holds a mail that is not ours, and Send leaves it alone.
  bool hasDraft = false;
  // The draft began with UTF-8's byte-order mark: so does the draft handed back. The
  // header lines and the body are in the text area's encoding, the draft's.
  bool byteOrderMark = false;
  // "WrapLongLines": the body goes back as the text area's display lines; otherwise as
  // its lines were typed, so that an unedited draft returns as it came.
  bool wrapLongLines = true;
};

// "AL-Mail が存在しません"
inline constexpr char kMailClientMissingMessage[] = "AL-Mail が存在しません";
// Send's error when the mail client could not be brought in front for the key Y.
inline constexpr char kMailClientNotInFrontMessage[] =
    "AL-Mail を前面に出せなかったので、送信を中止しました";
// The mail-client path names a file that is no program: as with a missing one, the
// user is asked for the program.
class NotAProgramError : public Error {
 public:
  explicit NotAProgramError(const std::string& pathSjis)
      : Error(formatWithPath("%s はプログラムではないので、起動できません", pathSjis)) {}
};
inline constexpr unsigned kWaitBeforeClosingMs = 5000;

enum class SendResult { Sent, MailClientMissing, DraftRefused, NotSent, AlreadySending };

// The Send button. When the named draft was not taken in whole it says so and does nothing
// else: the pending send window stays, nothing is written or started, the main window
// stays as it is. With no mail-client program file it says so, changes nothing and
// returns MailClientMissing, upon which the caller lets the user name the program.
// Otherwise it hides the main window, writes the picture and the draft into the
// temporary folder, creates the mail client's process, and only then dismisses the
// pending send window (only when a draft was named), lets the mail client run, waits
// and closes the main window. A file that turns out to be no program is said so and
// returns MailClientMissing too, with nothing dismissed. When writing fails, the mail
// client cannot be started (nothing is dismissed then) or cannot be brought in front
// for the key Y (it is never typed into another program, and the mail client ends
// unrun), the main window is shown again with everything as it was, the files this
// Send made are removed and the error propagates to the caller's error box.
//
// Through the default mail client (fields.throughMapi) nothing is hidden, dismissed,
// started or waited for: without a registered client it says so and returns NotSent
// with nothing written; otherwise it writes the picture into the temporary folder and
// hands the mail with the picture attached to the client. Only when the client
// accepts it does the main window close; when the user cancels there, the window
// stays as it is, and any other answer is shown in words. The picture file stays:
// mail clients may read it only when the mail goes out.
SendResult handOff(const SendFields& fields, const TextLines& body, const PictureSaver& savePicture,
                   SendPlatform& platform);

// Lets one Send run at a time, and none after one went through: a press that comes in
// while Send runs (a message box or the mail client's call lets the window's messages
// in) or after the mail was handed over (the close is only posted) would start the
// mail client a second time. Such a press does nothing and returns AlreadySending.
class SendGate {
 public:
  SendResult press(const std::function<SendResult()>& send);

 private:
  bool running_ = false;
  bool sent_ = false;
};

}  // namespace fudekko
