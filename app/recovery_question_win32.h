#pragma once
// The question about the work an earlier run left unsent, asked once the window is up.

#include <windows.h>

#include <optional>

#include "journal/work_journal_win32.h"

namespace fudekko {

// Says in one line that a journal could not be used, where one could not, and asks
// whether to restore the work offered, saying so when its end was lost. Returns the
// work after Yes.
std::optional<RecoveredWork> askAboutEarlierWork(HWND owner, EarlierWork earlier);

}  // namespace fudekko
