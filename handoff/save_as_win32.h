#pragma once
// Save as: the system's save dialog and writing the picture where the user chose.

#include <windows.h>

#include <optional>
#include <string>

#include "handoff/attachment.h"
#include "imaging/picture.h"
#include "settings/settings.h"

namespace fudekko::win32 {

struct SaveAsChoice {
  std::wstring path;  // with the extension of `format` (withSaveAsExtension)
  AttachmentFormat format = AttachmentFormat::Png;
};

// The save dialog with the types PNG, GIF and BMP, `format` chosen, `defaultName`
// (Shift-JIS) as the file name and `folder` (Shift-JIS; empty for the dialog's own
// choice) as the starting folder. Nothing when the user cancels. Throws Error when the
// dialog cannot be shown.
std::optional<SaveAsChoice> askSaveAsPath(HWND owner, const std::string& defaultName,
                                          const std::string& folder, AttachmentFormat format);

// Writes `composite` to `target` through the attachment writer, into a temporary file
// beside it that replaces the target only when it is complete. When anything fails,
// and for a read-only target, the temporary file goes, an existing target stays as it
// was and FileNotWrittenError (naming the target) is thrown.
void savePictureAs(const Picture& composite, const std::wstring& target, AttachmentFormat format);

// The whole command: the dialog starting from "SaveFolder" and "SaveFormat" of
// `settings`, the subject's default name, the picture written, and the folder and type
// stored back. False when the user cancelled. Throws Error as savePictureAs (the
// settings then stay as they were) and SettingsWriteError (the run's first).
bool saveAsFromMainWindow(HWND owner, const Picture& composite, const std::string& subject,
                          const std::string& firstBodyLine, SessionSettings& settings);

}  // namespace fudekko::win32
