#include "app/single_instance_win32.h"

namespace fudekko {

SingleInstanceGuard::SingleInstanceGuard()
    : mutex_(::CreateMutexW(nullptr, FALSE, L"Fudekko.Ver1")) {
  // Creating an existing mutex opens it and says so; a mutex that exists but cannot be
  // opened (another user's, say) fails with access denied, which also means a copy runs.
  const DWORD error = ::GetLastError();
  anotherCopyRuns_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

namespace {

// How long a copy may take to answer, and to show a window while it starts.
constexpr UINT kAnswerWaitMs = 2000;
constexpr DWORD kStartingWaitMs = 2000;

}  // namespace

bool runningCopyAnswers(const wchar_t* windowClass, const wchar_t* title) {
  const ULONGLONG deadline = ::GetTickCount64() + kStartingWaitMs;
  for (;;) {
    bool found = false;
    for (HWND window = ::FindWindowExW(nullptr, nullptr, windowClass, title); window;
         window = ::FindWindowExW(nullptr, window, windowClass, title)) {
      found = true;
      DWORD_PTR ignored = 0;
      if (::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAnswerWaitMs,
                                &ignored)) {
        return true;
      }
    }
    if (found || ::GetTickCount64() >= deadline) return false;
    ::Sleep(50);
  }
}

}  // namespace fudekko
