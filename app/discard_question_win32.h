#pragma once
// The question asked before unsent work is thrown away: on closing the window and
// before another file is opened.

#include <windows.h>

namespace fudekko {

enum class DiscardReason { Close, Open };

class DiscardQuestion {
 public:
  // True when the work may go: nothing is unsent, or the user answered Yes. No (the
  // default button) keeps everything. A second request while the question is on the
  // screen gets No, so that one answer never discards twice.
  bool mayDiscard(HWND owner, DiscardReason reason, bool unsent);

 private:
  bool asking_ = false;
};

}  // namespace fudekko
