#include "app/discard_question_win32.h"

#include "common/scope_guard.h"
#include "win32/error_box_win32.h"

namespace fudekko {

bool DiscardQuestion::mayDiscard(HWND owner, DiscardReason reason, bool unsent) {
  if (!unsent) return true;
  if (asking_) return false;
  asking_ = true;
  const ScopeGuard asked([this] { asking_ = false; });
  const wchar_t* question =
      reason == DiscardReason::Close
          ? L"送信していない手書きや本文の変更があります。破棄して終了しますか?"
          : L"送信していない変更があります。破棄して開きますか?";
  return ::MessageBoxW(owner, question, win32::kProgramTitle,
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace fudekko
