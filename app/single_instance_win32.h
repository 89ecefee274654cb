#pragma once
// The single-instance marker: a named mutex held for the life of the process, and the
// question a later start asks the copy that holds it.

#include <windows.h>

#include "win32/handles_win32.h"

namespace fudekko {

class SingleInstanceGuard {
 public:
  // Opens or creates the mutex "Fudekko.Ver1" in one step, so two copies started at
  // the same moment cannot both run. The mutex is never waited on or owned.
  SingleInstanceGuard();

  // True when another copy already holds the marker.
  bool anotherCopyRuns() const { return anotherCopyRuns_; }

 private:
  win32::Handle mutex_;
  bool anotherCopyRuns_ = false;
};

// Whether a copy that holds the marker is alive: one of its main windows (`windowClass`,
// titled `title`) answers a message within about 2 s. A copy still starting is given as
// long to show a window. A copy whose window thread hangs, or that has no window (its
// window thread ended by a fault), must not lock every later start out.
bool runningCopyAnswers(const wchar_t* windowClass, const wchar_t* title);

}  // namespace fudekko
