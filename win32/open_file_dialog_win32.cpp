#include "win32/open_file_dialog_win32.h"

// After windows.h, which it needs.
#include <commdlg.h>

#include "win32/item_dialog_win32.h"

namespace fudekko::win32 {

std::optional<std::wstring> OpenFileDialog::pick(HWND owner) {
  const std::size_t separator = lastPick_.find_last_of(L"\\/");
  ItemDialogRequest request;
  if (separator != std::wstring::npos) {
    request.folder = lastPick_.substr(0, separator);
    request.fileName = lastPick_.substr(separator + 1);
  }
  const ItemDialogResult item = showItemOpenDialog(owner, request);
  if (item.outcome == ItemDialogResult::Outcome::Cancelled) return std::nullopt;
  if (item.outcome == ItemDialogResult::Outcome::Picked) return lastPick_ = item.path;

  // Room for any path the classic dialog can give.
  std::wstring fileName = lastPick_;
  fileName.resize(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return std::nullopt;
  return lastPick_ = fileName.c_str();
}

}  // namespace fudekko::win32
