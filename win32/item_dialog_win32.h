#pragma once
// The system's common item dialogs, IFileSaveDialog and IFileOpenDialog. Unlike the
// classic dialogs they give paths of any length; where they cannot be created (older
// systems), the caller shows the classic dialog instead.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fudekko::win32 {

struct FileType {
  std::wstring name;     // "PNG ファイル (*.png)"
  std::wstring pattern;  // "*.png"
};

struct ItemDialogRequest {
  std::wstring title;  // empty: the system's
  std::vector<FileType> types;
  std::size_t typeIndex = 1;  // counted from 1, as the dialogs count
  std::wstring fileName;
  std::wstring folder;            // empty: the dialog's own choice
  std::wstring defaultExtension;  // without the dot; empty for none
};

struct ItemDialogResult {
  enum class Outcome { Picked, Cancelled, Unavailable };
  Outcome outcome = Outcome::Unavailable;
  std::wstring path;
  std::size_t typeIndex = 1;
};

// The save dialog: it asks before a file is replaced and wants the folder to exist.
// Throws Error when it was created but cannot be shown.
ItemDialogResult showItemSaveDialog(HWND owner, const ItemDialogRequest& request);
// The open dialog: the file must exist.
ItemDialogResult showItemOpenDialog(HWND owner, const ItemDialogRequest& request);

}  // namespace fudekko::win32
