#pragma once
// The recovery journal of the running program: where it lives, the work an earlier run
// left in it, what the window's changes append to it, and its removal once the work was
// sent or discarded. The records are written by a thread of their own.

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "journal/journal_feed.h"
#include "journal/journal_recovery.h"
#include "journal/journal_writer.h"

namespace fudekko {

// What the journal found of an earlier run, for the user to be asked about.
struct EarlierWork {
  // Unsent work of the same draft, to be offered back.
  std::optional<RecoveredWork> offered;
  // One line about a journal that could not be used, or nothing.
  std::wstring note;
  bool asks() const { return offered.has_value() || !note.empty(); }
};

class WorkJournal {
 public:
  // `onFault` runs, on whichever thread found it, when the journal can be written
  // neither under its name nor under the second name beside it; the window then asks
  // `takeFault` on its own thread.
  explicit WorkJournal(std::function<void()> onFault);
  ~WorkJournal();

  // Removes journals older than 30 days, then reads the draft's own, under its name and
  // the second one (`draftPath` as the command line named it; a run without a draft has
  // one journal of its own). One damaged before it names its draft is kept aside, said
  // in the note. The journal records nothing until `start`, so that what the earlier run
  // left stays in place while the user is asked.
  EarlierWork open(const std::wstring& draftPath, const std::wstring& loadedText);
  // Starts recording: after the first `keptBytes` of the journal that was offered, the
  // records of the earlier work the window has restored, or without any (0) anew from
  // the text as loaded.
  void start(std::size_t keptBytes = 0);

  // Appends the records of `change` (journal/journal_feed.h).
  void record(const WorkChange& change);

  // Waits until everything appended is in the file (the session is ending).
  void flush();
  // The work was sent or discarded: the journal goes.
  void remove();

  // That the work is not being recorded and why, once a run: the first call after the
  // fault has it, every other call gets nothing.
  std::optional<std::wstring> takeFault();

 private:
  // The journal could not be written at `path` (nor beside it), for `reason`.
  void fault(const std::wstring& path, const std::wstring& reason);
  bool blocked(const std::wstring& path) const;

  std::function<void()> onFault_;
  // The draft's journal and the second name beside it; empty without a folder for them.
  std::wstring path_;
  std::wstring alternate_;
  // The journal whose work was offered; the restored run goes on in it.
  std::wstring offeredFrom_;
  // Names never written this run: a damaged journal that could not be kept aside.
  std::vector<std::wstring> blocked_;
  DraftIdentity draft_;
  std::wstring loadedText_;

  std::mutex faultMutex_;
  std::optional<std::wstring> fault_;
  bool faultSaid_ = false;
  // Last, so that the writer's thread ends before what it reports to goes.
  std::unique_ptr<JournalWriter> writer_;
};

// Asks the system to restart the program on the same draft after an update or a crash,
// where it offers that.
void registerForRestart(std::wstring_view formatSwitch, std::wstring_view draftPath);

}  // namespace fudekko
