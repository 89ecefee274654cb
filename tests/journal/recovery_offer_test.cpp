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
