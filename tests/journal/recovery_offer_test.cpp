#include "journal/recovery_offer.h"

#include <gtest/gtest.h>

#include "common/shift_jis.h"
#include "draft/command_line.h"

namespace fudekko {
namespace {

std::string journalOf(std::initializer_list<JournalRecord> records) {
  std::string bytes;
  for (const JournalRecord& record : records) bytes += encodeJournalRecord(record);
  return bytes;
}

TEST(RecoveryOffer, OnlyUnsentWorkOfTheSameDraftBytesIsOffered) {
  const DraftIdentity draft{"C:\\mail.txt", 5, 0x1234};
  const Stroke stroke{{}, {{1, 1, 1, 0}}, {0, 0, 3, 3}, {}};
  const std::string start =
      journalOf({JournalFormat{}, draft, TextReset{L"本文"}, ModeChange{true, 300, 200}});
  EXPECT_FALSE(offersRecovery(recoverWork(start), draft));  // nothing done yet
  const std::string drawn = start + journalOf({stroke});
  EXPECT_TRUE(offersRecovery(recoverWork(drawn), draft));
  // Undone to nothing, or typed and undone: nothing is unsent.
  EXPECT_FALSE(offersRecovery(recoverWork(drawn + journalOf({UndoStep{}})), draft));
  const std::string typed = start + journalOf({TextEdit{2, L"", L"です"}});
  EXPECT_TRUE(offersRecovery(recoverWork(typed), draft));
  EXPECT_FALSE(offersRecovery(recoverWork(typed + journalOf({UndoStep{HistoryOf::Text}})), draft));
  // The draft changed since, or is another one.
  EXPECT_FALSE(offersRecovery(recoverWork(drawn), (DraftIdentity{"C:\\mail.txt", 5, 0x1235})));
  EXPECT_FALSE(offersRecovery(recoverWork(drawn), (DraftIdentity{"C:\\other.txt", 5, 0x1234})));
  // Another format.
  EXPECT_FALSE(
      offersRecovery(recoverWork(journalOf({JournalFormat{kJournalMagic, 1}}) +
                                 drawn.substr(encodeJournalRecord(JournalFormat{}).size())),
                     draft));
}

TEST(RecoveryOffer, AJournalThatCannotBeMatchedToItsDraftIsKeptAsideNeverOverwritten) {
  using Action = JournalVerdict::Action;
  using Note = JournalVerdict::Note;
  const DraftIdentity draft{"C:\\mail.txt", 5, 0x1234};
  const std::string format = journalOf({JournalFormat{}});
  const std::string named = journalOf({draft});
  const std::string work = journalOf(
      {TextReset{L"本文"}, ModeChange{true, 300, 200}, Stroke{{}, {{1, 1, 1, 0}}, {}, {}}});
  const auto verdict = [&](const std::string& journal) {
    return judgeJournal(recoverWork(journal), draft);
  };
  EXPECT_EQ(verdict(format + named + work), (JournalVerdict{Action::Offer, Note::None}));

  // One byte of the draft's record flipped: the work behind it cannot be told whose.
  std::string damaged = format + named + work;
  damaged[format.size() + 8] ^= 0x20;
  EXPECT_EQ(verdict(damaged), (JournalVerdict{Action::KeepAside, Note::KeptAside}));
  EXPECT_EQ(verdict("not a journal at all"), (JournalVerdict{Action::KeepAside, Note::KeptAside}));
  // The draft's own journal, damaged behind its draft with nothing unsent before it: said.
  EXPECT_EQ(verdict(format + named + journalOf({TextReset{L"本文"}}) + "\x01\x02"),
            (JournalVerdict{Action::StartAnew, Note::Damaged}));
  // Nothing lost: an empty file, a format record alone, another draft's journal.
  EXPECT_EQ(verdict(""), (JournalVerdict{Action::StartAnew, Note::None}));
  EXPECT_EQ(verdict(format), (JournalVerdict{Action::StartAnew, Note::None}));
  EXPECT_EQ(judgeJournal(recoverWork(format + named + work), {"C:\\other.txt", 5, 0x1234}),
            (JournalVerdict{Action::StartAnew, Note::None}));
  EXPECT_EQ(verdict(journalOf({JournalFormat{kJournalMagic, 1}}) + named + work),
            (JournalVerdict{Action::StartAnew, Note::OlderFormat}));

  // Kept-aside journals carry the extension, so they age out with the others, under names
  // no draft's journal takes.
  const std::wstring name = journalFileName(L"C:\\mail.txt");
  const std::wstring kept = keptAsideJournalName(name, L"20240102-030405", 1);
  for (const std::wstring& other :
       {kept, keptAsideJournalName(name, L"20240102-030405", 2), alternateJournalName(name)}) {
    EXPECT_TRUE(other.ends_with(kJournalExtension));
    EXPECT_NE(other.size(), name.size());
  }
  EXPECT_NE(kept, keptAsideJournalName(name, L"20240102-030405", 2));
}

TEST(RecoveryOffer, JournalNamesFollowThePathAndRestartArgumentsSplitBack) {
  EXPECT_EQ(journalFileName(L"C:\\Mail\\draft.txt"), journalFileName(L"c:\\mail\\DRAFT.TXT"));
  EXPECT_NE(journalFileName(L"C:\\Mail\\draft.txt"), journalFileName(L"C:\\Mail\\draft2.txt"));
  EXPECT_EQ(journalFileName(L"").size(), 16 + std::wstring(kJournalExtension).size());

  const std::wstring path = L"C:\\My Mail\\下書き 😀 1.txt";
  for (std::wstring_view formatSwitch : {L"/GIF", L""}) {
    const std::wstring arguments = restartArguments(formatSwitch, path);
    const CommandLineStep step =
        planCommandLine(splitCommandLine(wideToUtf8(L"fudekko.exe " + arguments)),
                        [](const Utf8Path&) { return true; });
    EXPECT_EQ(step.action, CommandLineStep::Action::LoadDraft);
    EXPECT_EQ(utf8ToWide(step.draftPath.utf8), path);
    EXPECT_EQ(step.imageFormat, formatSwitch.empty() ? "" : "GIF");
  }
}

}  // namespace
}  // namespace fudekko
