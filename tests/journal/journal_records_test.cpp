#include "journal/journal_records.h"

#include <gtest/gtest.h>

namespace fudekko {
namespace {

std::vector<JournalRecord> sampleRecords() {
  Stroke stroke{{StrokeTool::PartialEraser, 0x0000FF, 5, 144, true},
                {{1.5f, 2.5f, 0.25f, 100}, {-3.5f, 1e9f, 1, 4294967295u}},
                {-10, -20, 30, 40},
                {}};
  return {JournalFormat{},
          DraftIdentity{"C:\\下書き\\mail.txt", 1143, 0xDEADBEEF},
          TextReset{std::wstring(2000, L'あ') + L"\r\nend"},
          TextEdit{3, L"消す", L"入れる"},
          ModeChange{true, 696, 480},
          TextPicture{3, 2, std::string(24, '\xFF')},
          stroke,
          StrokesRemoved{{4, 0, 7}},
          UndoStep{HistoryOf::Text},
          RedoStep{HistoryOf::Strokes},
          WindowSize{-1, 2147483647},
          StrokeReplaced{3, stroke},
          Stroke{}};
}

std::string journalOf(const std::vector<JournalRecord>& records,
                      std::vector<std::size_t>* ends = nullptr) {
  std::string bytes;
  for (const JournalRecord& record : records) {
    bytes += encodeJournalRecord(record);
    if (ends) ends->push_back(bytes.size());
  }
  return bytes;
}

TEST(JournalRecords, EveryRecordReadsBackAsWritten) {
  const std::vector<JournalRecord> records = sampleRecords();
  const JournalContents read = readJournal(journalOf(records));
  EXPECT_EQ(read.records, records);
  EXPECT_FALSE(read.droppedTail);
  EXPECT_TRUE(readJournal("").records.empty());
}

// Journals written by earlier runs must still read: the bytes of a small journal, as the
// format stands, are pinned here, so that a change of the format cannot pass unnoticed.
TEST(JournalRecords, ASmallJournalKeepsItsBytes) {
  const std::string bytes = journalOf(
      {JournalFormat{}, DraftIdentity{"a", 2, 3}, TextEdit{1, L"b", L"c"},
       UndoStep{HistoryOf::Text}, RedoStep{HistoryOf::Strokes}, ModeChange{true, 4, 5},
       Stroke{
           {StrokeTool::PartialEraser, 0x0000FF, 5, 96, true}, {{1.5f, 2, 1, 7}}, {0, 1, 2, 3}, {}},
       StrokesRemoved{{6}}, WindowSize{8, 9}});
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += "0123456789abcdef"[byte >> 4];
    hex += "0123456789abcdef"[byte & 15];
  }
  EXPECT_EQ(hex,
            "080000000046444b4a0200000062fc6a6411000000010100000061020000000000000003"
            "000000458004221800000003010000000000000001000000620000000100000063000000"
            "8ee63fd2010000000400fbd7b5250100000005012cd6a94b090000000601040000000500"
            "0000baf27b4a320000000801ff0000000500000060000000010000000001000000020000"
            "0003000000010000000000c03f000000400000803f07000000b3c39c0508000000090100"
            "000006000000b7fd6ba3080000000a08000000090000000fcacadd");
}

TEST(JournalRecords, ACutOrDamagedJournalYieldsTheWholeRecordsBeforeIt) {
  const std::vector<JournalRecord> records = sampleRecords();
  std::vector<std::size_t> ends;
  const std::string bytes = journalOf(records, &ends);
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    const JournalContents read = readJournal(std::string_view(bytes).substr(0, cut));
    std::size_t whole = 0;
    while (whole < ends.size() && ends[whole] <= cut) ++whole;
    ASSERT_EQ(read.records.size(), whole) << "cut at " << cut;
    EXPECT_TRUE(std::equal(read.records.begin(), read.records.end(), records.begin()));
    EXPECT_EQ(read.droppedTail, whole == 0 ? cut > 0 : ends[whole - 1] != cut) << cut;
  }
  // A flipped byte inside the fourth record: the first three survive.
  std::string damaged = bytes;
  damaged[ends[2] + 9] ^= 0x40;
  EXPECT_EQ(readJournal(bytes).ends, ends);
  const JournalContents read = readJournal(damaged);
  EXPECT_EQ(read.records.size(), 3u);
  EXPECT_TRUE(read.droppedTail);
  // A length no record can have is damage, not an allocation.
  EXPECT_TRUE(readJournal(std::string("\xFF\xFF\xFF\xFF\x01\0\0\0\0", 9)).droppedTail);
}

}  // namespace
}  // namespace fudekko
