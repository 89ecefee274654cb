#pragma once
// What start-up decides about a journal left by an earlier run, where journals live, and
// how the system restarts the program on the same draft.

#include <string>
#include <string_view>

#include "journal/journal_recovery.h"

namespace fudekko {

// A journal is offered when it could be read, belongs to the draft as it is now (same
// path, size and bytes) and holds unsent work (undone work is none).
bool offersRecovery(const RecoveredWork& work, const DraftIdentity& draft);

// What start-up does with a journal found under the draft's name, and what it says.
struct JournalVerdict {
  enum class Action {
    Offer,      // unsent work of this draft: the user is asked
    StartAnew,  // nothing to offer: the journal of this run replaces it
    // Damaged before the record that names its draft, so nobody can tell whose work it
    // holds: kept under a name of its own rather than overwritten unread.
    KeepAside,
  };
  enum class Note { None, OlderFormat, Damaged, KeptAside };
  Action action = Action::StartAnew;
  Note note = Note::None;
  friend bool operator==(const JournalVerdict&, const JournalVerdict&) = default;
};
JournalVerdict judgeJournal(const RecoveredWork& work, const DraftIdentity& draft);

// One journal per draft path: the name is a hash of the whole path (letters folded, as
// Windows paths are), so two drafts never share one.
std::wstring journalFileName(std::wstring_view fullDraftPath);

// The second name beside a journal's, written when its own cannot be (a folder stands
// at it, another program holds it), and looked at as well at start.
std::wstring alternateJournalName(std::wstring_view journalName);
// A name of its own for a journal kept aside: the journal's, the time it was kept aside
// (UTC, "YYYYMMDD-hhmmss") and a number that makes it free; it ages out as the others.
std::wstring keptAsideJournalName(std::wstring_view journalName, std::wstring_view time,
                                  unsigned number);

// The arguments the system restarts the program with: the format switch it was started
// with (if any) and the draft, each quoted.
std::wstring restartArguments(std::wstring_view formatSwitch, std::wstring_view draftPath);

// The journal's own extension; anything else in the folder is left alone.
inline constexpr wchar_t kJournalExtension[] = L".journal";
// Journals older than this are removed at start.
inline constexpr int kJournalMaxAgeDays = 30;

}  // namespace fudekko
