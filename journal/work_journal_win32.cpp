#include "journal/work_journal_win32.h"

#include <shlobj.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "common/shift_jis.h"
#include "journal/recovery_offer.h"
#include "win32/handles_win32.h"

namespace fudekko {

namespace {

// A larger journal is read this far: what is whole before it is still offered.
constexpr DWORD kMaxJournalRead = 256u << 20;

// Read and write, shared so that the records can be copied out while the file is held
// and so that the file can go while it is open.
constexpr DWORD kJournalSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

win32::Handle openFile(const std::wstring& path, DWORD access, DWORD disposition) {
  const HANDLE file = ::CreateFileW(path.c_str(), access, kJournalSharing, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  return win32::Handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// Why a journal could not be had at `path`, after the system's `error`, in the user's
// words.
std::wstring reasonFor(const std::wstring& path, DWORD error) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return L"同じ名前のフォルダがあります";
  }
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return L"書き込みが許されていません";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"ほかのプログラムが使っています";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return L"ディスクがいっぱいです";
    case ERROR_PATH_NOT_FOUND:
      return L"フォルダがありません";
    default:
      return L"エラー " + std::to_wstring(error);
  }
}

// Opens `path` for the journal: anew when `kept` is 0; else holding the first `kept`
// bytes of the journal at `from`, which is `path` itself (cut there) or another file
// (copied). Null with the system's error when it cannot.
win32::Handle openJournal(const std::wstring& path, const std::wstring& from, std::uint64_t kept,
                          DWORD& error) {
  const bool inPlace = kept > 0 && path == from;
  win32::Handle file =
      openFile(path, GENERIC_READ | GENERIC_WRITE, inPlace ? OPEN_EXISTING : CREATE_ALWAYS);
  if (!file) {
    error = ::GetLastError();
    return file;
  }
  if (kept > 0 && !inPlace) {
    const win32::Handle source = openFile(from, GENERIC_READ, OPEN_EXISTING);
    char buffer[65536];
    for (std::uint64_t left = kept; left > 0;) {
      DWORD got = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(left, sizeof buffer));
      if (!source || !::ReadFile(source.get(), buffer, chunk, &got, nullptr) || got == 0 ||
          !writeAll(file.get(), {buffer, got})) {
        error = ::GetLastError();
        file.reset();
        ::DeleteFileW(path.c_str());
        return file;
      }
      left -= got;
    }
  }
  // A torn or damaged tail goes: the records appended from now on follow whole ones.
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(kept);
  if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
    error = ::GetLastError();
    file.reset();
  }
  return file;
}

// The journal's file. When it cannot be written any more (a full disk, say), the
// records go on under the second name beside it, the whole ones so far copied there
// first; when that fails too, `giveUp` is told why and nothing more is written.
class JournalFile : public JournalSink {
 public:
  using GiveUp = std::function<void(const std::wstring& path, const std::wstring& reason)>;
  JournalFile(win32::Handle file, std::wstring path, std::uint64_t length, std::wstring next,
              GiveUp giveUp)
      : file_(std::move(file)),
        path_(std::move(path)),
        length_(length),
        next_(std::move(next)),
        giveUp_(std::move(giveUp)) {}

  void append(std::string_view bytes) override {
    // WriteFile hands the bytes to the system: they outlive a killed process.
    if (!writeAll(file_.get(), bytes)) {
      const DWORD error = ::GetLastError();
      if (!moveToNext() || !writeAll(file_.get(), bytes)) {
        giveUp_(path_, reasonFor(path_, error));
        throw std::runtime_error("journal write failed");
      }
    }
    length_ += bytes.size();
  }

 private:
  bool moveToNext() {
    if (next_.empty()) return false;
    DWORD ignored = 0;
    win32::Handle moved = openJournal(next_, path_, length_, ignored);
    if (!moved) return false;
    // Only one journal of the draft is left to be read at the next start.
    file_ = std::move(moved);
    ::DeleteFileW(path_.c_str());
    path_ = std::exchange(next_, std::wstring());
    return true;
  }

  win32::Handle file_;
  std::wstring path_;
  std::uint64_t length_;  // the whole records written
  std::wstring next_;
  GiveUp giveUp_;
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

std::uint64_t ticks(const FILETIME& time) {
  return ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart;
}

void removeOldJournals(const std::wstring& folder) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
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

// Moves the journal at `path` to a free name of its own beside it, dated now so that it
// ages out 30 days after the user was told. Its new path, or nothing when it stays.
std::optional<std::wstring> keepAside(const std::wstring& folder, const std::wstring& path) {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  wchar_t time[32];
  std::swprintf(time, 32, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  const std::wstring name = path.substr(path.rfind(L'\\') + 1);
  for (unsigned number = 1; number <= 99; ++number) {
    const std::wstring kept = folder + L"\\" + keptAsideJournalName(name, time, number);
    if (!::MoveFileW(path.c_str(), kept.c_str())) {
      if (::GetLastError() == ERROR_ALREADY_EXISTS || ::GetLastError() == ERROR_FILE_EXISTS) {
        continue;
      }
      return std::nullopt;
    }
    const win32::Handle file = openFile(kept, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING);
    FILETIME stamp{};
    ::GetSystemTimeAsFileTime(&stamp);
    if (file) ::SetFileTime(file.get(), nullptr, nullptr, &stamp);
    return kept;
  }
  return std::nullopt;
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

const wchar_t* noteText(JournalVerdict::Note note) {
  switch (note) {
    case JournalVerdict::Note::OlderFormat:
      return L"前回の作業の記録は古い形式のため、使わずに始めます。";
    case JournalVerdict::Note::Damaged:
      return L"前回の作業の記録が壊れていて読めないため、使わずに始めます。";
    case JournalVerdict::Note::None:
    case JournalVerdict::Note::KeptAside:
      break;
  }
  return L"";
}

}  // namespace

WorkJournal::WorkJournal(std::function<void()> onFault) : onFault_(std::move(onFault)) {}

WorkJournal::~WorkJournal() = default;

EarlierWork WorkJournal::open(const std::wstring& draftPath, const std::wstring& loadedText) {
  EarlierWork earlier;
  const std::wstring folder = journalFolder();
  if (folder.empty()) return earlier;  // said when the journal starts
  removeOldJournals(folder);
  const std::wstring draft = fullPath(draftPath);
  const std::wstring name = journalFileName(draft);
  path_ = folder + L"\\" + name;
  alternate_ = folder + L"\\" + alternateJournalName(name);
  draft_.path = wideToUtf8(draft);
  // Only the draft's size and bytes matter here, read once at start.
  if (!draft.empty()) readFile(draft, 0, &draft_.crc, &draft_.size);
  loadedText_ = loadedText;

  for (const std::wstring& candidate : {path_, alternate_}) {
    RecoveredWork work = recoverWork(readFile(candidate, kMaxJournalRead));
    const JournalVerdict verdict = judgeJournal(work, draft_);
    std::wstring note = noteText(verdict.note);
    if (verdict.action == JournalVerdict::Action::KeepAside) {
      if (const std::optional<std::wstring> kept = keepAside(folder, candidate)) {
        note = L"前回の作業の記録が壊れていて、どの下書きのものか分からないため、使わずに " +
               *kept + L" に残しました。";
      } else {
        // Not overwritten unread: this run's journal goes elsewhere.
        blocked_.push_back(candidate);
        note = L"前回の作業の記録 " + candidate + L" が壊れていて読めないため、使わずに始めます。";
      }
    }
    if (!note.empty() && earlier.note.find(note) == std::wstring::npos) {
      earlier.note += (earlier.note.empty() ? L"" : L"\n") + note;
    }
    // Both offer only when the second name took over from a file that could not be
    // removed: that one holds more.
    if (verdict.action == JournalVerdict::Action::Offer &&
        (!earlier.offered || work.replayedBytes > earlier.offered->replayedBytes)) {
      earlier.offered = std::move(work);
      offeredFrom_ = candidate;
    }
  }
  return earlier;
}

bool WorkJournal::blocked(const std::wstring& path) const {
  return std::find(blocked_.begin(), blocked_.end(), path) != blocked_.end();
}

void WorkJournal::start(std::size_t keptBytes) {
  writer_.reset();
  if (path_.empty()) {
    fault(L"", L"記録を置くフォルダを作れません");
    return;
  }
  // Where this run's journal may go, in order: the restored run goes on in the journal
  // it came from.
  std::vector<std::wstring> targets = {path_, alternate_};
  const std::wstring from = keptBytes > 0 ? offeredFrom_ : std::wstring();
  if (keptBytes > 0 && from == alternate_) std::swap(targets[0], targets[1]);
  std::erase_if(targets, [this](const std::wstring& path) { return blocked(path); });

  win32::Handle file;
  std::size_t chosen = 0;
  DWORD firstError = 0;
  for (; chosen < targets.size(); ++chosen) {
    DWORD error = 0;
    file = openJournal(targets[chosen], keptBytes > 0 ? from : targets[chosen], keptBytes, error);
    if (file) break;
    if (chosen == 0) firstError = error;
  }
  if (!file) {
    const std::wstring& first = targets.empty() ? path_ : targets.front();
    fault(first, reasonFor(first, firstError));
    return;
  }
  // Only one journal of the draft is left to be read at the next start.
  for (const std::wstring& other : {path_, alternate_}) {
    if (other != targets[chosen] && !blocked(other)) ::DeleteFileW(other.c_str());
  }
  const std::wstring next = chosen + 1 < targets.size() ? targets[chosen + 1] : std::wstring();
  writer_ = std::make_unique<JournalWriter>(std::make_unique<JournalFile>(
      std::move(file), targets[chosen], keptBytes, next,
      [this](const std::wstring& path, const std::wstring& reason) { fault(path, reason); }));
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
  for (const std::wstring& path : {path_, alternate_}) {
    if (!path.empty() && !blocked(path)) ::DeleteFileW(path.c_str());
  }
}

void WorkJournal::fault(const std::wstring& path, const std::wstring& reason) {
  {
    const std::lock_guard lock(faultMutex_);
    if (faultSaid_ || fault_) return;
    fault_ = L"作業の記録" + (path.empty() ? std::wstring() : L" " + path + L" ") +
             L"を書けません (" + reason +
             L")。これからの作業は記録されないため、異常終了したときに復元できません。";
  }
  if (onFault_) onFault_();
}

std::optional<std::wstring> WorkJournal::takeFault() {
  const std::lock_guard lock(faultMutex_);
  if (!fault_ || faultSaid_) return std::nullopt;
  faultSaid_ = true;
  return fault_;
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
