#include "win32/item_dialog_win32.h"

// After windows.h, which they need.
#include <objbase.h>
#include <shobjidl.h>

#include <utility>

#include "common/errors.h"

namespace fudekko::win32 {

namespace {

// Owns one reference to a COM object.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (pointer_) pointer_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the functions that hand out a reference.
  void** out() { return reinterpret_cast<void**>(&pointer_); }
  Interface** outTyped() { return &pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// COM on this thread for as long as it lives; a thread that has it already keeps it.
class ComApartment {
 public:
  ComApartment()
      : initialised_(SUCCEEDED(
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (initialised_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

// A string the shell allocated.
class ShellString {
 public:
  ~ShellString() { ::CoTaskMemFree(text_); }
  PWSTR* out() { return &text_; }
  std::wstring text() const { return text_ ? std::wstring(text_) : std::wstring(); }

 private:
  PWSTR text_ = nullptr;
};

using Outcome = ItemDialogResult::Outcome;

template <typename Dialog>
ItemDialogResult show(HWND owner, const CLSID& kind, const ItemDialogRequest& request,
                      FILEOPENDIALOGOPTIONS options) {
  const ComApartment apartment;
  ComPointer<Dialog> dialog;
  if (FAILED(::CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Dialog),
                                dialog.out()))) {
    return {};
  }
  FILEOPENDIALOGOPTIONS current = 0;
  dialog->GetOptions(&current);
  dialog->SetOptions(current | options | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
  if (!request.title.empty()) dialog->SetTitle(request.title.c_str());
  std::vector<COMDLG_FILTERSPEC> types;
  for (const FileType& type : request.types)
    types.push_back({type.name.c_str(), type.pattern.c_str()});
  if (!types.empty()) {
    dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data());
    dialog->SetFileTypeIndex(static_cast<UINT>(request.typeIndex));
  }
  if (!request.defaultExtension.empty())
    dialog->SetDefaultExtension(request.defaultExtension.c_str());
  if (!request.fileName.empty()) dialog->SetFileName(request.fileName.c_str());
  if (!request.folder.empty()) {
    ComPointer<IShellItem> folder;
    if (SUCCEEDED(::SHCreateItemFromParsingName(request.folder.c_str(), nullptr,
                                                __uuidof(IShellItem), folder.out()))) {
      dialog->SetFolder(folder.get());
    }
  }
  const HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {Outcome::Cancelled, {}, 1};
  if (FAILED(shown)) throw Error("ファイルのダイアログを開けません");
  ComPointer<IShellItem> picked;
  ShellString path;
  if (FAILED(dialog->GetResult(picked.outTyped())) ||
      FAILED(picked->GetDisplayName(SIGDN_FILESYSPATH, path.out()))) {
    throw Error("ファイルのダイアログが選んだ場所を受け取れません");
  }
  UINT typeIndex = static_cast<UINT>(request.typeIndex);
  if (!types.empty()) dialog->GetFileTypeIndex(&typeIndex);
  return {Outcome::Picked, path.text(), typeIndex};
}

}  // namespace

ItemDialogResult showItemSaveDialog(HWND owner, const ItemDialogRequest& request) {
  return show<IFileSaveDialog>(owner, CLSID_FileSaveDialog, request,
                               FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST);
}

ItemDialogResult showItemOpenDialog(HWND owner, const ItemDialogRequest& request) {
  return show<IFileOpenDialog>(owner, CLSID_FileOpenDialog, request,
                               FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
}

}  // namespace fudekko::win32
