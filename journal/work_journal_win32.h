#pragma once
// The recovery journal of the running program: where it lives, the work an earlier run
// left in it, what the window's changes append to it, and its removal once the work was
// sent or discarded. The records are written by a thread of their own.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "journal/journal_feed.h"
#include "journal/journal_recovery.h"
#include "journal/journal_writer.h"

namespace fudekko {

// What the journal found of an earlier run, for the user to be asked about.
struct EarlierWork {
  // Unsent work of the same draft, to be offered back.
  std::optional<RecoveredWork> offered;
  // One line about a journal that could not be used, or nothing.
  const wchar_t* note = nullptr;
  bool asks() const { return offered.has_value() || note != nullptr; }
};

class WorkJournal {
 public:
  // Removes journals older than 30 days, then reads the draft's own (`draftPath` as the
  // command line named it; a run without a draft has one journal of its own). The
  // journal records nothing until `start`, so that what the earlier run left stays in
  // place while the user is asked.
  EarlierWork open(const std::wstring& draftPath, const std::wstring& loadedText);
  // Starts recording: after the first `keptBytes` of the journal, the records of the
  // earlier work the window has restored, or without any (0) anew from the text as loaded.
  void start(std::size_t keptBytes = 0);

  // Appends the records of `change` (journal/journal_feed.h).
  void record(const WorkChange& change);

  // Waits until everything appended is in the file (the session is ending).
  void flush();
  // The work was sent or discarded: the journal goes.
  void remove();

 private:
  std::wstring path_;
  DraftIdentity draft_;
  std::wstring loadedText_;
  std::unique_ptr<JournalWriter> writer_;
};

// Asks the system to restart the program on the same draft after an update or a crash,
// where it offers that.
void registerForRestart(std::wstring_view formatSwitch, std::wstring_view draftPath);

}  // namespace fudekko
