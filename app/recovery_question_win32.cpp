#include "app/recovery_question_win32.h"

#include <string>

#include "win32/error_box_win32.h"

namespace fudekko {

std::optional<RecoveredWork> askAboutEarlierWork(HWND owner, EarlierWork earlier) {
  if (!earlier.note.empty()) {
    ::MessageBoxW(owner, earlier.note.c_str(), win32::kProgramTitle, MB_OK | MB_ICONINFORMATION);
  }
  std::optional<RecoveredWork>& work = earlier.offered;
  if (!work) return work;
  std::wstring question = L"前回、送信せずに終わった手書きが残っています。復元しますか?";
  if (work->droppedSomething) {
    question += L"\n(記録の終わりが壊れていたため、その手前までを復元します)";
  }
  if (::MessageBoxW(owner, question.c_str(), win32::kProgramTitle, MB_YESNO | MB_ICONQUESTION) !=
      IDYES) {
    work.reset();
  }
  return std::move(work);
}

}  // namespace fudekko
