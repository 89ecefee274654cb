#pragma once
// The system's dialog that picks a file to open (its item dialog, or the classic one
// where that cannot be created), remembering the last pick so that the next showing
// opens on it.

#include <windows.h>

#include <optional>
#include <string>

namespace fudekko::win32 {

class OpenFileDialog {
 public:
  // The picked file's path; nothing when the user cancelled.
  std::optional<std::wstring> pick(HWND owner);

 private:
  std::wstring lastPick_;
};

}  // namespace fudekko::win32
