#pragma once
// The end of the user-interface thread is the end of the program. When that thread ends
// by a fault (an exception nobody handled, or the thread gone from under a window
// procedure), the process ends too, once the journal has written what it was handed:
// no thread of ours (the journal's writer) keeps a program without a window alive and
// holding the single-instance marker, and the next start offers the work back. Its
// window does not vanish without a word: a copy of the program started for nothing else
// says what happened.

#include <windows.h>

#include <functional>
#include <thread>

#include "win32/handles_win32.h"

namespace fudekko {

class FaultEnd {
 public:
  // Watches the calling thread, the user-interface one, for the rest of its life.
  // `flush` writes what the journal was handed; it runs on another thread and is given
  // at most 1.5 s, as the fault may have left the journal's lock taken. One at a time.
  explicit FaultEnd(std::function<void()> flush);
  // The thread ends the usual way: the watch stops.
  ~FaultEnd();
  FaultEnd(const FaultEnd&) = delete;
  FaultEnd& operator=(const FaultEnd&) = delete;

 private:
  void watch();

  std::function<void()> flush_;
  win32::Handle uiThread_;
  win32::Handle stop_;
  std::thread watcher_;
};

// In the copy a fault started to say so: shows that the program ended and how the work
// comes back, and returns true; in any other start, false at once.
bool sayEarlierFault();

}  // namespace fudekko
