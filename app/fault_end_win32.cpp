#include "app/fault_end_win32.h"

#include <cstdlib>
#include <exception>
#include <string>

#include "win32/error_box_win32.h"

namespace fudekko {

namespace {

// The longest the journal is waited for before the process ends.
constexpr DWORD kFlushWaitMs = 1500;
// The exit code of a run that ended by a C++ exception nobody caught, as abort() gives.
constexpr UINT kTerminatedExitCode = 3;

// The system's filter and the C++ terminate handler take no context: the flush of the
// one FaultEnd of the run.
const std::function<void()>* gFlush = nullptr;

// Set in the environment of the copy started to say that a fault ended the program.
constexpr wchar_t kFaultNoticeVariable[] = L"FUDEKKO_FAULT_NOTICE";

// Starts this program anew to say what happened: the faulted process cannot show a
// message itself, as it must end at once.
void startFaultNotice() {
  std::wstring program(32768, L'\0');
  const DWORD length =
      ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
  if (length == 0 || length >= program.size()) return;
  program.resize(length);
  std::wstring commandLine = L"\"" + program + L"\"";
  ::SetEnvironmentVariableW(kFaultNoticeVariable, L"1");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &started)) {
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
  }
}

[[noreturn]] void endAfterFlush(const std::function<void()>& flush, UINT exitCode) {
  const win32::Handle flushed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  try {
    std::thread([&flush, event = flushed.get()] {
      try {
        flush();
      } catch (...) {
        // The journal keeps what it had written.
      }
      ::SetEvent(event);
    }).detach();
    ::WaitForSingleObject(flushed.get(), kFlushWaitMs);
  } catch (...) {
    // No thread to be had: the process ends with what the journal has written.
  }
  startFaultNotice();
  ::TerminateProcess(::GetCurrentProcess(), exitCode);
  ::ExitProcess(exitCode);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* exception) {
  if (gFlush) endAfterFlush(*gFlush, exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void onTerminate() {
  if (gFlush) endAfterFlush(*gFlush, kTerminatedExitCode);
  std::abort();
}

}  // namespace

bool sayEarlierFault() {
  wchar_t value[4] = {};
  if (::GetEnvironmentVariableW(kFaultNoticeVariable, value, 4) == 0) return false;
  ::MessageBoxW(nullptr,
                L"異常が起きたため、ふでっこ～ ぽすと～ を終了しました。\n"
                L"送信していない作業は、同じ下書きで次に起動したときに復元できます。",
                win32::kProgramTitle, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return true;
}

FaultEnd::FaultEnd(std::function<void()> flush)
    : flush_(std::move(flush)), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  HANDLE thread = nullptr;
  if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &thread,
                        SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0)) {
    uiThread_.reset(thread);
  }
  gFlush = &flush_;
  ::SetUnhandledExceptionFilter(onUnhandledException);
  std::set_terminate(onTerminate);
  // A thread whose end goes unseen by both (Wine has been seen to end a window thread
  // that faulted in a system dialog and leave the process running) ends here.
  if (uiThread_ && stop_) watcher_ = std::thread([this] { watch(); });
}

FaultEnd::~FaultEnd() {
  if (watcher_.joinable()) {
    ::SetEvent(stop_.get());
    watcher_.join();
  }
  gFlush = nullptr;
}

void FaultEnd::watch() {
  const HANDLE either[] = {stop_.get(), uiThread_.get()};
  if (::WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
  DWORD exitCode = 0;
  ::GetExitCodeThread(uiThread_.get(), &exitCode);
  endAfterFlush(flush_, exitCode != 0 ? exitCode : 1);
}

}  // namespace fudekko
