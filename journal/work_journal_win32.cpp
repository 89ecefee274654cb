#include "journal/work_journal_win32.h"

#include <shlobj.h>
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "common/shift_jis.h"
#include "journal/recovery_offer.h"
#include "win32/handles_win32.h"

namespace fudekko {

namespace {

// A larger journal is read this far: what is whole before it is still offered.
constexpr DWORD kMaxJournalRead = 256u << 20;

win32::Handle openFile(const std::wstring& path, DWORD access, DWORD disposition) {
  const HANDLE file = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return win32::Handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

class JournalFile : public JournalSink {
 public:
  explicit JournalFile(win32::Handle file) : file_(std::move(file)) {}
  void append(std::string_view bytes) override {
    // WriteFile hands the bytes to the system: they outlive a killed process.
    while (!bytes.empty()) {
      DWORD written = 0;
      if (!file_ ||
          !::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
          written == 0) {
        throw std::runtime_error("journal write failed");
      }
      bytes.remove_prefix(written);
    }
  }

 private:
  win32::Handle file_;
};

std::wstring journalFolder() {
  wchar_t local[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0,
                                local))) {
    return {};
  }
  std::wstring folder = std::wstring(local) + L"\\Fudekko";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void removeOldJournals(const std::wstring& folder) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& time) {
    return ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart;
  };
  const std::uint64_t maxAge = std::uint64_t{kJournalMaxAgeDays} * 24 * 3600 * 10'000'000;
  WIN32_FIND_DATAW found{};
  const HANDLE first = ::FindFirstFileW((folder + L"\\*" + kJournalExtension).c_str(), &found);
  const win32::FileSearch search(first == INVALID_HANDLE_VALUE ? nullptr : first);
  if (!search) return;
  do {
    // A time ahead of the clock is not old.
    const std::uint64_t written = ticks(found.ftLastWriteTime);
    if (ticks(now) > written && ticks(now) - written > maxAge) {
      ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    }
  } while (::FindNextFileW(search.get(), &found));
}

// Up to `limit` bytes of the file; none when it cannot be read.
std::string readFile(const std::wstring& path, DWORD limit, std::uint32_t* crc = nullptr,
                     std::uint64_t* size = nullptr) {
  std::string bytes;
  const win32::Handle file = openFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) return bytes;
  char buffer[65536];
  DWORD got = 0;
  std::uint64_t total = 0;
  uLong sum = ::crc32(0, nullptr, 0);
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    total += got;
    if (crc) sum = ::crc32(sum, reinterpret_cast<const Bytef*>(buffer), got);
    if (bytes.size() < limit)
      bytes.append(buffer, std::min<std::size_t>(got, limit - bytes.size()));
  }
  if (crc) *crc = static_cast<std::uint32_t>(sum);
  if (size) *size = total;
  return bytes;
}

std::wstring fullPath(const std::wstring& path) {
  if (path.empty()) return path;
  const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return full;
}

}  // namespace

EarlierWork WorkJournal::open(const std::wstring& draftPath, const std::wstring& loadedText) {
  EarlierWork earlier;
  const std::wstring folder = journalFolder();
  if (folder.empty()) return earlier;  // no place for a journal: the program runs without one
  removeOldJournals(folder);
  const std::wstring draft = fullPath(draftPath);
  path_ = folder + L"\\" + journalFileName(draft);
  draft_.path = wideToUtf8(draft);
  // Only the draft's size and bytes matter here, read once at start.
  if (!draft.empty()) readFile(draft, 0, &draft_.crc, &draft_.size);
  loadedText_ = loadedText;

  RecoveredWork work = recoverWork(readFile(path_, kMaxJournalRead));
  if (offersRecovery(work, draft_)) {
    earlier.offered = std::move(work);
  } else if (work.kind == RecoveredWork::Kind::OlderFormat) {
    earlier.note = L"前回の作業の記録は古い形式のため、使わずに始めます。";
  } else if (work.droppedSomething &&
             (work.kind != RecoveredWork::Kind::Usable || work.draft == draft_)) {
    earlier.note = L"前回の作業の記録が壊れていて読めないため、使わずに始めます。";
  }
  return earlier;
}

void WorkJournal::start(std::size_t keptBytes) {
  writer_.reset();
  if (path_.empty()) return;
  win32::Handle file = openFile(path_, GENERIC_WRITE, keptBytes ? OPEN_EXISTING : CREATE_ALWAYS);
  if (!file) return;
  // A torn or damaged tail goes: the records appended from now on follow whole ones.
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(keptBytes);
  if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
    return;
  }
  writer_ = std::make_unique<JournalWriter>(std::make_unique<JournalFile>(std::move(file)));
  if (keptBytes > 0) return;
  writer_->append(JournalFormat{});
  writer_->append(draft_);
  writer_->append(TextReset{loadedText_});
}

void WorkJournal::record(const WorkChange& change) {
  if (!writer_) return;
  for (JournalRecord& record : recordsOf(change)) writer_->append(std::move(record));
}

void WorkJournal::flush() {
  if (writer_) writer_->drain();
}

void WorkJournal::remove() {
  writer_.reset();
  if (!path_.empty()) ::DeleteFileW(path_.c_str());
}

void registerForRestart(std::wstring_view formatSwitch, std::wstring_view draftPath) {
  // Missing before Windows Vista and in some Wine builds: looked up, never linked.
  using Register = HRESULT(WINAPI*)(PCWSTR, DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto registerRestart = kernel ? reinterpret_cast<Register>(reinterpret_cast<void*>(
                                            ::GetProcAddress(kernel, "RegisterApplicationRestart")))
                                      : nullptr;
  if (!registerRestart) return;
  const std::wstring arguments = restartArguments(formatSwitch, draftPath);
  registerRestart(arguments.c_str(), 0);
}

}  // namespace fudekko
