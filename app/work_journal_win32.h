#pragma once
// The recovery journal of the running program: where it lives, what the window appends
// to it, the question about the work an earlier run left, and its removal once the work
// was sent or discarded. The records are written by a thread of their own.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "draft/text_history.h"
#include "imaging/picture.h"
#include "surface/journal_recovery.h"
#include "surface/journal_writer.h"

namespace fudekko {

class WorkJournal : public JournalAppender {
 public:
  // Removes journals older than 30 days, then reads the draft's own (`draftPath` as the
  // command line named it; a run without a draft has one journal of its own). Unless
  // there is something to ask, a new journal starts from `loadedText`.
  void open(const std::wstring& draftPath, const std::wstring& loadedText);
  // Whether `ask` has a question or a note for the user.
  bool hasQuestion() const { return offered_.has_value() || note_ != nullptr; }
  // Asks whether to restore the work an earlier run left, or says in one line that a
  // journal could not be used. The journal goes on in every case: from the restored
  // work after Yes, anew otherwise. Returns the work to restore.
  std::optional<RecoveredWork> ask(HWND owner);

  // Nothing is appended while the window replays restored work.
  void append(JournalRecord record) override;
  void pause(bool paused) { paused_ = paused; }
  // The text as the user's edit (or undo, redo, a file opened) left it.
  void textEdited(const TextHistory& history);
  void textStepped(const JournalRecord& step, const TextHistory& history);
  void textLoaded(const TextHistory& history);
  // The mode changed; entering it, the text area's picture is `background`.
  void modeChanged(HWND window, bool handwriting, const Picture* background);
  // The window's size changed in handwriting mode.
  void windowResized(HWND window);

  // Waits until everything appended is in the file (the session is ending).
  void flush();
  // The work was sent or discarded: the journal goes.
  void remove();

 private:
  // The writer on the journal file, keeping its first `keptBytes`.
  void start(std::size_t keptBytes, const std::wstring& text);

  std::wstring path_;
  DraftIdentity draft_;
  std::wstring loadedText_;
  // The text as last journaled.
  std::wstring text_;
  std::optional<RecoveredWork> offered_;
  // One line about a journal that could not be used, or nothing.
  const wchar_t* note_ = nullptr;
  std::unique_ptr<JournalWriter> writer_;
  bool paused_ = false;
};

// Asks the system to restart the program on the same draft after an update or a crash,
// where it offers that.
void registerForRestart(std::wstring_view formatSwitch, std::wstring_view draftPath);

}  // namespace fudekko
