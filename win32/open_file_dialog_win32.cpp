#include "win32/open_file_dialog_win32.h"

// After windows.h, which it needs.
#include <commdlg.h>

namespace fudekko::win32 {

std::optional<std::wstring> OpenFileDialog::pick(HWND owner) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFile = fileName_.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName_.size());
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::wstring(fileName_.c_str());
}

}  // namespace fudekko::win32
