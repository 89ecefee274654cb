// The main window's part in bringing the work back: the journal it keeps while the user
// works, and the work an earlier run left, applied to the window.

#include <utility>

#include "app/main_window_win32.h"
#include "app/recovery_question_win32.h"
#include "common/shift_jis.h"

namespace fudekko {

void MainWindow::startJournal(const CommandLineStep& step) {
  const std::wstring draftPath = utf8ToWide(step.draftPath.utf8);
  registerForRestart(formatSwitched_ ? L"/" + sjisToWide(step.imageFormat) : L"", draftPath);
  earlierWork_ = journal_.open(draftPath, textArea_->history().text());
  if (!earlierWork_.asks()) {
    journal_.start();
    return;
  }
  // Asked once the window is up; until then the journal records nothing.
  ::PostMessageW(handle(), kOfferRecovery, 0, 0);
}

void MainWindow::offerRecovery() {
  std::optional<RecoveredWork> work =
      askAboutEarlierWork(handle(), std::exchange(earlierWork_, EarlierWork{}));
  if (!work) {
    journal_.start();
    return;
  }
  // The journal goes on after the restored work's records, which already hold every
  // step the restore repeats: it starts recording only once the restore is done.
  const std::size_t replayedBytes = work->replayedBytes;
  restore(std::move(*work));
  journal_.start(replayedBytes);
}

void MainWindow::sayJournalFault() {
  if (const std::optional<std::wstring> fault = journal_.takeFault()) {
    ::MessageBoxW(handle(), fault->c_str(), win32::kProgramTitle, MB_OK | MB_ICONWARNING);
  }
}

void MainWindow::restore(RecoveredWork work) {
  textArea_->restore(std::move(work.text));
  const auto resize = [this](std::int32_t width, std::int32_t height) {
    ::SetWindowPos(handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  };
  if (work.handwriting && work.textPicture) {
    // The window as it was when the text area's picture was taken, then as it went on.
    resize(work.entered.outerWidth, work.entered.outerHeight);
    JournaledTextPicture picture(*work.textPicture);
    setMode(Mode::Handwriting, &picture);
  }
  showComposite(surface_.restoreStrokes(std::move(work.strokes)));
  // Resizing crops the text area's picture but leaves the screen's pixels, as it did.
  for (const WindowSize& size : work.sizesSinceEntry) resize(size.outerWidth, size.outerHeight);
  updateEditMenu();
}

}  // namespace fudekko
