#pragma once
// The recovery journal's records: appended one after another, each framed by its length,
// its type and a CRC-32, so that a file cut short or damaged anywhere still yields every
// record before the damage.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "draft/text_history.h"
#include "surface/stroke.h"

namespace fudekko {

// The draft the journal belongs to: a journal is only offered for the same bytes.
struct DraftIdentity {
  std::string path;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;  // CRC-32 of the draft's bytes
  friend bool operator==(const DraftIdentity&, const DraftIdentity&) = default;
};
// The text as handwriting mode froze it; stored compressed.
struct TextSnapshot {
  std::wstring text;
  friend bool operator==(const TextSnapshot&, const TextSnapshot&) = default;
};
struct UndoStep {
  friend bool operator==(const UndoStep&, const UndoStep&) = default;
};
struct RedoStep {
  friend bool operator==(const RedoStep&, const RedoStep&) = default;
};

using JournalRecord =
    std::variant<DraftIdentity, TextEdit, TextSnapshot, Stroke, UndoStep, RedoStep>;

// A record longer than this is taken for damage, never allocated.
inline constexpr std::uint32_t kMaxJournalRecordBytes = 64u << 20;

// The record as appended to the journal.
std::string encodeJournalRecord(const JournalRecord& record);

struct JournalContents {
  std::vector<JournalRecord> records;
  // Something followed the last whole record: a torn append or damage.
  bool droppedTail = false;
};

// Every whole record up to the first torn, corrupt or unknown one.
JournalContents readJournal(std::string_view bytes);

}  // namespace fudekko
