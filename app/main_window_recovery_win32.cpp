// The main window's part in bringing the work back: the journal it keeps while the user
// works, and the replay of what an earlier run left into the window.

#include "app/main_window_win32.h"
#include "common/scope_guard.h"
#include "common/shift_jis.h"
#include "win32/error_box_win32.h"

namespace fudekko {

void MainWindow::startJournal(const CommandLineStep& step) {
  const std::wstring draftPath = utf8ToWide(step.draftPath.utf8);
  registerForRestart(formatSwitched_ ? L"/" + sjisToWide(step.imageFormat) : L"", draftPath);
  journal_.open(draftPath, textArea_->history().text());
  surface_.setJournal(&journal_);
  // Asked once the window is up.
  if (journal_.hasQuestion()) ::PostMessageW(handle(), kOfferRecovery, 0, 0);
}

void MainWindow::offerRecovery() {
  std::optional<RecoveredWork> work = journal_.ask(handle());
  if (!work) return;
  // The replay repeats what the journal holds already.
  journal_.pause(true);
  const ScopeGuard resumed([this] { journal_.pause(false); });
  textArea_->restore(std::move(work->text));
  const auto resize = [this](std::int32_t width, std::int32_t height) {
    ::SetWindowPos(handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  };
  if (work->handwriting && work->textPicture) {
    // The window as it was when the text area's picture was taken, then as it went on.
    resize(work->entered.outerWidth, work->entered.outerHeight);
    ::SendMessageW(toolBar_->toolBar(), TB_CHECKBUTTON, win32::kDrawingButtonId,
                   MAKELPARAM(TRUE, 0));
    JournaledTextPicture picture(*work->textPicture);
    onDrawingButtonClick(&picture);
  }
  showComposite(surface_.restoreStrokes(std::move(work->strokes)));
  // Resizing crops the text area's picture but leaves the screen's pixels, as it did.
  for (const WindowSize& size : work->sizesSinceEntry) resize(size.outerWidth, size.outerHeight);
  updateEditMenu();
}

}  // namespace fudekko
