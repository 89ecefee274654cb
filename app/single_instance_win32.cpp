#include "app/single_instance_win32.h"

namespace fudekko {

SingleInstanceGuard::SingleInstanceGuard()
    : mutex_(::CreateMutexW(nullptr, FALSE, L"Fudekko.Ver1")) {
  // Creating an existing mutex opens it and says so; a mutex that exists but cannot be
  // opened (another user's, say) fails with access denied, which also means a copy runs.
  const DWORD error = ::GetLastError();
  anotherCopyRuns_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

}  // namespace fudekko
