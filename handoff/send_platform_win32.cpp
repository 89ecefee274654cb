#include "handoff/send_platform_win32.h"

#include <optional>
#include <utility>

#include "common/byte_stream.h"
#include "common/scope_guard.h"
#include "common/shift_jis.h"
#include "handoff/mapi_mail_win32.h"
#include "win32/error_box_win32.h"
#include "win32/handles_win32.h"
#include "win32/sjis_path_win32.h"
#include "win32/window_text_win32.h"

namespace fudekko::win32 {

namespace {

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
  auto& windows = *reinterpret_cast<std::vector<TopLevelWindow>*>(context);
  windows.push_back({reinterpret_cast<WindowId>(window), ::IsWindowVisible(window) != FALSE,
                     wideToSjis(win32::windowText(window))});
  return TRUE;
}

DWORD processOf(HWND window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process;
}

// True when the window in front (its confirmation, say) belongs to `process`.
bool processInFront(DWORD process) {
  const HWND front = ::GetForegroundWindow();
  return front && process != 0 && processOf(front) == process;
}

// How long the mail client is given to come to the front.
constexpr int kForegroundAttempts = 80;
constexpr DWORD kForegroundPauseMs = 25;

void typeKey(BYTE virtualKey) {
  ::keybd_event(virtualKey, 0, 0, 0);
  ::keybd_event(virtualKey, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

SendPlatformWin32::SendPlatformWin32(HWND mainWindow) : mainWindow_(mainWindow) {}

bool SendPlatformWin32::isPlainFile(const std::string& path) {
  return fudekko::isPlainFile(path);
}

bool SendPlatformWin32::pathExists(const std::string& path) {
  return ::GetFileAttributesW(sjisToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SendPlatformWin32::removeFile(const std::string& path) {
  ::DeleteFileW(sjisToWide(path).c_str());
}

void SendPlatformWin32::showMessage(const std::string& textUtf8) {
  ::MessageBoxW(mainWindow_, utf8ToWide(textUtf8).c_str(), kProgramTitle, MB_OK);
}

void SendPlatformWin32::hideMainWindow() {
  ::ShowWindow(mainWindow_, SW_HIDE);
}

void SendPlatformWin32::showMainWindow() {
  ::ShowWindow(mainWindow_, SW_SHOW);
  ::SetForegroundWindow(mainWindow_);
}

// Posted, so that the button handler that asked for it returns first.
void SendPlatformWin32::closeMainWindow() {
  ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
}

std::string SendPlatformWin32::temporaryFolder() {
  // Asked twice if need be: the first answer may be the size the path needs.
  std::wstring folder(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) throw Error("一時フォルダを取得できません");
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.assign(length + 1, L'\0');
  }
  if (auto sjis = sjisSpelling(folder)) return *sjis;
  throw TemporaryFolderError("一時フォルダ %s の名前をファイル名に使えません",
                             Utf8Path{wideToUtf8(folder)});
}

std::string SendPlatformWin32::createTemporaryFile(const std::string& folder,
                                                   const std::string& prefix) {
  // GetTempFileNameW writes at most MAX_PATH characters and refuses a folder of more
  // than MAX_PATH - 14.
  const std::wstring wideFolder = sjisToWide(folder);
  if (wideFolder.size() > MAX_PATH - 14) {
    throw TemporaryFolderError("一時フォルダ %s のパスが長すぎて、下書きファイルを作れません",
                               folder);
  }
  wchar_t name[MAX_PATH + 1] = {};
  if (::GetTempFileNameW(wideFolder.c_str(), sjisToWide(prefix).c_str(), 0, name) == 0) {
    throw FileCreateError(folder + prefix.substr(0, 3) + "????.tmp");
  }
  return wideToSjis(name);
}

std::vector<TopLevelWindow> SendPlatformWin32::topLevelWindows() {
  std::vector<TopLevelWindow> windows;
  ::EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool SendPlatformWin32::dismissSendWindow(WindowId id) {
  const HWND window = reinterpret_cast<HWND>(id);
  const DWORD mailClient = processOf(window);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ::SetForegroundWindow(window);
  // The key must reach the mail client, not whatever was in front before. Wine may
  // leave no window in front for a moment; ask again briefly, and never type blind.
  for (int attempt = 0; !processInFront(mailClient); ++attempt) {
    if (attempt == kForegroundAttempts) return false;
    ::Sleep(kForegroundPauseMs);
    ::SetForegroundWindow(window);
  }
  typeKey(LOBYTE(::VkKeyScanW(L'Y')));
  return true;
}

namespace {

// A suspended process of the program: nothing of it has run, so ending it is harmless.
class SuspendedProgram : public PreparedProgram {
 public:
  SuspendedProgram(const PROCESS_INFORMATION& started, std::string program)
      : process_(started.hProcess), thread_(started.hThread), program_(std::move(program)) {}
  ~SuspendedProgram() override {
    if (!running_) ::TerminateProcess(process_.get(), 1);
  }
  void run() override {
    if (::ResumeThread(thread_.get()) == static_cast<DWORD>(-1)) {
      throw Error(formatWithPath("%s を起動できません", program_));
    }
    running_ = true;
  }

 private:
  Handle process_;
  Handle thread_;
  std::string program_;
  bool running_ = false;
};

}  // namespace

std::unique_ptr<PreparedProgram> SendPlatformWin32::prepareProgram(const std::string& program,
                                                                   const std::string& commandLine) {
  // The program file is named on its own, so that an unquoted path with blanks in
  // the command line can never start a program at a shorter prefix of it.
  const std::wstring application = sjisToWide(program);
  std::wstring line = sjisToWide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_EXE_MACHINE_TYPE_MISMATCH ||
        error == ERROR_BAD_FORMAT) {
      throw NotAProgramError(program);
    }
    throw Error(formatWithPath("%s を起動できません", program));
  }
  return std::make_unique<SuspendedProgram>(started, program);
}

void SendPlatformWin32::sleep(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

bool SendPlatformWin32::defaultMailClientRegistered() {
  return win32::defaultMailClientRegistered();
}

unsigned long SendPlatformWin32::sendThroughMapi(const MapiMessageAnsi& message) {
  // A client that talks to its program through COM dispatches our messages while the call
  // waits: the window takes no input meanwhile, so that no second Send starts inside the
  // first. The keyboard goes back where it was.
  const HWND focus = ::GetFocus();
  ::EnableWindow(mainWindow_, FALSE);
  const ScopeGuard enable([this, focus] {
    ::EnableWindow(mainWindow_, TRUE);
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
  });
  return sendMailThroughMapi(mainWindow_, message);
}

}  // namespace fudekko::win32
