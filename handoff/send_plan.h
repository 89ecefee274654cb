#pragma once
// What Send writes and runs, worked out without the platform: the picture's file name
// from the subject, the draft file's bytes and the mail client's command line. All
// text is Shift-JIS bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "handoff/attachment.h"

namespace fudekko {

// "無題", the subject of a mail that has none.
inline const std::string kUntitledSubject = "\x96\xB3\x91\xE8";
// "メール送信", the title of the mail client's pending send window.
inline const std::string kSendWindowTitle = "\x83\x81\x81\x5B\x83\x8B\x91\x97\x90\x4D";
// Prefix of the draft file's temporary name.
inline const std::string kDraftFilePrefix = "Fudek";

// The temporary folder is unusable for Send (too long a path, or one that Shift-JIS
// cannot spell). `messageUtf8` may hold one "%s" for the folder's path.
class TemporaryFolderError : public Error {
 public:
  TemporaryFolderError(const char* messageUtf8, const std::string& folder);
  // For a folder that Shift-JIS cannot spell: the message shows it as it is.
  TemporaryFolderError(const char* messageUtf8, const Utf8Path& folder);
};

// Path limits of the file system, in characters (UTF-16 units; every Shift-JIS
// character is one). Without a long-path prefix a whole path holds at most 259
// characters and one name at most 255.
struct PathLimits {
  std::size_t maxPath = 259;
  std::size_t maxName = 255;
};

// `subject` when it is not empty; otherwise the first display line of the body
// without leading and trailing bytes 0 to 32; otherwise "無題".
std::string subjectOrFallback(const std::string& subject, const std::string& firstBodyLine);

// Every ASCII ":" becomes "_"; a full-width colon stays.
std::string replaceColons(std::string subject);

// A file-name stem (the extension is added behind it) that keeps the subject's text
// except what would take the file out of its folder or onto a device. Works on
// Shift-JIS characters, so a trail byte 0x5C or 0x7C is never taken for "\" or "|".
// Each of these becomes "_", one for one: characters that no file name may hold
// (\ / : * ? " < > |), control bytes, bytes that are no Shift-JIS character, every
// dot of a run of two or more, trailing dots and blanks, and the last letter of a
// reserved device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, in any
// letter case, with or without an extension). The stem is cut to at most `maxChars`
// characters first. Returns "_" for an empty subject.
std::string safeFileStem(const std::string& subject, std::size_t maxChars);

// Number of characters (UTF-16 units) that `sjis` becomes.
std::size_t sjisCharCount(const std::string& sjis);

// The picture file's full path: `folder` (a separator is added when it lacks one),
// the safe stem of `subject`, " (<variant>)" from variant 2 on, the extension. The
// stem is cut so that the variant still fits. Throws TemporaryFolderError when not
// even a one-character stem fits into the limits.
std::string picturePath(const std::string& folder, const std::string& subject,
                        AttachmentFormat format, PathLimits limits = {}, unsigned variant = 1);

// The draft file: header lines, one empty line, the body's display lines, each
// followed by CR LF.
std::string draftBytes(const std::vector<std::string>& headerLines,
                       const std::vector<std::string>& bodyLines);

// The mail client's command line: its path as stored (not quoted), a blank,
// /file:"<draft>", a blank, /attach:"<picture>".
std::string mailClientCommandLine(const std::string& mailClientPath, const std::string& draftPath,
                                  const std::string& picturePath);

using WindowId = std::uintptr_t;

struct TopLevelWindow {
  WindowId id = 0;
  bool visible = false;
  std::string title;  // Shift-JIS
};

// The first window, in enumeration order, that is hidden and whose title holds
// "メール送信".
std::optional<WindowId> findPendingSendWindow(const std::vector<TopLevelWindow>& windows);

}  // namespace fudekko
