#pragma once
// The single-instance marker: a named mutex held for the life of the process.

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

}  // namespace fudekko
