#include "journal/recovery_offer.h"

#include <cstdio>
#include <cwctype>

#include "journal/unsent_work.h"

namespace fudekko {

bool offersRecovery(const RecoveredWork& work, const DraftIdentity& draft) {
  return work.kind == RecoveredWork::Kind::Usable && work.draft == draft &&
         hasUnsentWork(work.text, work.strokes.strokes());
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
