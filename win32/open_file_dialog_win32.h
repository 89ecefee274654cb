#pragma once
// The system's dialog that picks a file to open, remembering the last pick so that the
// next showing opens on it.

#include <windows.h>

#include <optional>
#include <string>

namespace fudekko::win32 {

class OpenFileDialog {
 public:
  // The picked file's path; nothing when the user cancelled.
  std::optional<std::wstring> pick(HWND owner);

 private:
  // Room for any path the dialog can give.
  std::wstring fileName_ = std::wstring(32768, L'\0');
};

}  // namespace fudekko::win32
