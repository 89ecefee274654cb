#include "handoff/save_as_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string_view>
#include <utility>
#include <vector>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "common/shift_jis.h"
#include "handoff/handoff_settings.h"
#include "handoff/save_as_plan.h"
#include "win32/handles_win32.h"
#include "win32/item_dialog_win32.h"
#include "win32/sjis_path_win32.h"

namespace fudekko::win32 {

namespace {

constexpr wchar_t kSaveAsTitle[] = L"名前を付けて保存";
// The dialog's file-name buffer: room for a long path.
constexpr std::size_t kPathBufferChars = 32768;

std::wstring ascii(std::string_view text) {
  return std::wstring(text.begin(), text.end());
}

// "PNG ファイル (*.png)" and "*.png", ... in the dialog's order.
std::vector<FileType> saveTypes() {
  std::vector<FileType> types;
  for (const AttachmentFormat format : kSaveAsFormats) {
    const std::wstring extension = ascii(attachmentExtension(format));
    std::wstring upper = extension.substr(1);
    for (wchar_t& c : upper) c = c >= L'a' && c <= L'z' ? c - 32 : c;
    types.push_back({upper + L" ファイル (*" + extension + L")", L"*" + extension});
  }
  return types;
}

// The same for the classic dialog, each ended by a zero.
std::wstring typeFilter() {
  std::wstring filter;
  for (const FileType& type : saveTypes()) {
    filter += type.name;
    filter += L'\0';
    filter += type.pattern;
    filter += L'\0';
  }
  return filter;  // the string's own zero ends the list
}

std::size_t folderEnd(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator;
}

// "%s に書き込めません" with the target's path.
FileNotWrittenError notWritten(const std::wstring& target) {
  return FileNotWrittenError(Utf8Path{wideToUtf8(target)});
}

// A temporary file that is removed unless it was moved into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  TemporaryFile(TemporaryFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::wstring& path() const { return path_; }
  void keep() { path_.clear(); }

 private:
  std::wstring path_;
};

// Bytes straight into a file the caller opened, by its handle: the path may be longer
// than any path the C library opens.
class HandleSink : public ByteSink {
 public:
  explicit HandleSink(HANDLE file) : file_(file) {}
  void write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(file_, bytes, chunk, &written, nullptr) || written == 0) {
        throw StreamWriteError();
      }
      bytes += written;
      size -= written;
    }
  }

 private:
  HANDLE file_;
};

// A file of a new name beside `target` (a path as the file functions take it), open
// for writing, and removed unless it was moved into place.
struct NewFile {
  TemporaryFile removed;
  win32::Handle handle;  // closed before the file is removed
};

std::optional<NewFile> createTemporaryBeside(const std::wstring& target) {
  const std::size_t end = folderEnd(target);
  const std::wstring folder = end == 0 ? std::wstring(L".") : target.substr(0, end);
  // Named here, as the system's temporary names take no folder longer than 246
  // characters.
  const ULONGLONG start = ::GetTickCount64();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[32];
    std::swprintf(name, 32, L"\\Fud%04llX.tmp",
                  static_cast<unsigned long long>((start + attempt * 7919) & 0xFFFF));
    const std::wstring path = folder + name;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file != INVALID_HANDLE_VALUE) return NewFile{TemporaryFile(path), win32::Handle(file)};
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::nullopt;
}

// One showing of the system's item dialog, or of the classic one where that cannot be
// created: the path as the dialog gives it and the chosen type.
std::optional<std::pair<std::wstring, AttachmentFormat>> showSaveDialog(
    HWND owner, const std::wstring& name, const std::wstring& initialFolder,
    AttachmentFormat format) {
  // No default extension: some item dialogs append it to a name that has another
  // picture type's, where withSaveAsExtension replaces that one.
  const ItemDialogResult item = showItemSaveDialog(
      owner, {kSaveAsTitle, saveTypes(), saveAsTypeIndex(format), name, initialFolder, {}});
  switch (item.outcome) {
    case ItemDialogResult::Outcome::Picked: {
      const AttachmentFormat chosen = saveAsFormatAt(item.typeIndex);
      return std::pair{withoutAppendedExtension(item.path, chosen), chosen};
    }
    case ItemDialogResult::Outcome::Cancelled:
      return std::nullopt;
    case ItemDialogResult::Outcome::Unavailable:
      break;
  }
  const std::wstring filter = typeFilter();
  std::vector<wchar_t> file(kPathBufferChars, L'\0');
  name.copy(file.data(), std::min(name.size(), file.size() - 1));
  const std::wstring defaultExtension = ascii(attachmentExtension(format).substr(1));

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(saveAsTypeIndex(format));
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  dialog.lpstrTitle = kSaveAsTitle;
  dialog.lpstrDefExt = defaultExtension.c_str();
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!::GetSaveFileNameW(&dialog)) {
    if (::CommDlgExtendedError() == 0) return std::nullopt;  // cancelled
    throw Error("保存のダイアログを開けません");
  }
  return std::pair{std::wstring(file.data()), saveAsFormatAt(dialog.nFilterIndex)};
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::optional<SaveAsChoice> askSaveAsPath(HWND owner, const std::string& defaultName,
                                          const std::string& folder, AttachmentFormat format) {
  std::wstring name = sjisToWide(defaultName);
  const std::wstring initialFolder = sjisToWide(folder);
  for (;;) {
    const auto shown = showSaveDialog(owner, name, initialFolder, format);
    if (!shown) return std::nullopt;
    const auto& [picked, chosen] = *shown;
    std::wstring path = withSaveAsExtension(picked, chosen);
    // The dialog asked about replacing the name as typed. When the type's extension
    // makes it name another file that exists, the dialog shows again with that name, so
    // that it asks about the file that would be replaced.
    if (path == picked || !exists(path)) return SaveAsChoice{std::move(path), chosen};
    name = std::move(path);
    format = chosen;
  }
}

void savePictureAs(const Picture& composite, const std::wstring& target, AttachmentFormat format) {
  // A path as long as the dialog may give on Windows is written as chosen, in its
  // extended form.
  const std::wstring path = widePathForFileApi(target);
  // A read-only file is the user's own protection. Windows refuses to replace it; Wine
  // would replace it all the same, so it is refused here, alike everywhere.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    throw notWritten(target);
  }
  std::optional<NewFile> temporary = createTemporaryBeside(path);
  if (!temporary) throw notWritten(target);
  try {
    HandleSink sink(temporary->handle.get());
    writeAttachment(composite, sink, format);
  } catch (const std::exception&) {
    // Whatever failed, the report names the target, not the temporary file.
  }
  temporary->handle.reset();
  if (!::MoveFileExW(temporary->removed.path().c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw notWritten(target);
  }
  temporary->removed.keep();
}

bool saveAsFromMainWindow(HWND owner, const Picture& composite, const std::string& subject,
                          const std::string& firstBodyLine, SessionSettings& settings) {
  const AttachmentFormat format = readSaveFormat(settings.file());
  const std::optional<SaveAsChoice> choice =
      askSaveAsPath(owner, defaultSaveAsName(subject, firstBodyLine, format),
                    readSaveFolder(settings.file()), format);
  if (!choice) return false;
  savePictureAs(composite, choice->path, choice->format);
  // A folder that the settings file cannot spell is not stored; the dialog then starts
  // where the system chooses.
  const auto folder = exactSjis(choice->path.substr(0, folderEnd(choice->path)));
  settings.store([&](IniFile& file) {
    if (folder) writeSaveFolder(file, *folder);
    writeSaveFormat(file, choice->format);
  });
  return true;
}

}  // namespace fudekko::win32
