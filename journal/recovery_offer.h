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

// One journal per draft path: the name is a hash of the whole path (letters folded, as
// Windows paths are), so two drafts never share one.
std::wstring journalFileName(std::wstring_view fullDraftPath);

// The arguments the system restarts the program with: the format switch it was started
// with (if any) and the draft, each quoted.
std::wstring restartArguments(std::wstring_view formatSwitch, std::wstring_view draftPath);

// The journal's own extension; anything else in the folder is left alone.
inline constexpr wchar_t kJournalExtension[] = L".journal";
// Journals older than this are removed at start.
inline constexpr int kJournalMaxAgeDays = 30;

}  // namespace fudekko
