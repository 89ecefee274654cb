#include "journal/recovery_offer.h"

#include <cstdio>
#include <cwctype>

#include "journal/unsent_work.h"

namespace fudekko {

bool offersRecovery(const RecoveredWork& work, const DraftIdentity& draft) {
  return work.kind == RecoveredWork::Kind::Usable && work.draft == draft &&
         hasUnsentWork(work.text, work.strokes.strokes());
}

JournalVerdict judgeJournal(const RecoveredWork& work, const DraftIdentity& draft) {
  using Action = JournalVerdict::Action;
  using Note = JournalVerdict::Note;
  if (offersRecovery(work, draft)) return {Action::Offer, Note::None};
  switch (work.kind) {
    case RecoveredWork::Kind::Empty:
      return {Action::StartAnew, Note::None};
    case RecoveredWork::Kind::OlderFormat:
      return {Action::StartAnew, Note::OlderFormat};
    case RecoveredWork::Kind::Unreadable:
      return {Action::KeepAside, Note::KeptAside};
    case RecoveredWork::Kind::Usable:
      break;
  }
  if (!work.draftKnown) {
    // A journal cut short inside its first records holds no work.
    return work.droppedSomething ? JournalVerdict{Action::KeepAside, Note::KeptAside}
                                 : JournalVerdict{Action::StartAnew, Note::None};
  }
  // Another draft's, or this one's bytes changed since: not this run's work to offer.
  if (!(work.draft == draft)) return {Action::StartAnew, Note::None};
  return {Action::StartAnew, work.droppedSomething ? Note::Damaged : Note::None};
}

std::wstring journalFileName(std::wstring_view fullDraftPath) {
  // FNV-1a, 64 bits, over the UTF-16 units.
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t unit : fullDraftPath) {
    const auto folded = static_cast<std::uint16_t>(std::towlower(static_cast<wint_t>(unit)));
    for (std::uint16_t byte : {folded & 0xFF, folded >> 8}) {
      hash = (hash ^ byte) * 1099511628211ull;
    }
  }
  wchar_t name[32];
  std::swprintf(name, 32, L"%016llx", static_cast<unsigned long long>(hash));
  return name + std::wstring(kJournalExtension);
}

namespace {

std::wstring_view stem(std::wstring_view journalName) {
  const std::wstring_view extension = kJournalExtension;
  if (journalName.ends_with(extension)) journalName.remove_suffix(extension.size());
  return journalName;
}

}  // namespace

std::wstring alternateJournalName(std::wstring_view journalName) {
  return std::wstring(stem(journalName)) + L"-2" + kJournalExtension;
}

std::wstring keptAsideJournalName(std::wstring_view journalName, std::wstring_view time,
                                  unsigned number) {
  std::wstring name = std::wstring(stem(journalName)) + L"-kept-" + std::wstring(time);
  if (number > 1) name += L"-" + std::to_wstring(number);
  return name + kJournalExtension;
}

std::wstring restartArguments(std::wstring_view formatSwitch, std::wstring_view draftPath) {
  std::wstring arguments;
  for (std::wstring_view argument : {formatSwitch, draftPath}) {
    if (argument.empty()) continue;
    if (!arguments.empty()) arguments += L' ';
    arguments += L'"';
    arguments += argument;
    arguments += L'"';
  }
  return arguments;
}

}  // namespace fudekko
