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
#include "surface/drawing_change.h"
#include "surface/stroke.h"

namespace fudekko {

// The first record of every journal: a journal of another format is recognised and not
// offered.
inline constexpr std::uint32_t kJournalMagic = 0x4A4B4446;  // "FDKJ"
inline constexpr std::uint32_t kJournalFormatVersion = 2;
struct JournalFormat {
  std::uint32_t magic = kJournalMagic;
  std::uint32_t version = kJournalFormatVersion;
  friend bool operator==(const JournalFormat&, const JournalFormat&) = default;
};
// The draft the journal belongs to: a journal is only offered for the same bytes.
struct DraftIdentity {
  std::string path;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;  // CRC-32 of the draft's bytes
  friend bool operator==(const DraftIdentity&, const DraftIdentity&) = default;
};
// The text history starts anew from this text (the draft as loaded, or a file opened);
// stored compressed.
struct TextReset {
  std::wstring text;
  friend bool operator==(const TextReset&, const TextReset&) = default;
};
// A TextEdit record is the user's own change of the text, as the text history records it.
enum class HistoryOf : std::uint8_t { Text, Strokes };
struct UndoStep {
  HistoryOf of = HistoryOf::Strokes;
  friend bool operator==(const UndoStep&, const UndoStep&) = default;
};
struct RedoStep {
  HistoryOf of = HistoryOf::Strokes;
  friend bool operator==(const RedoStep&, const RedoStep&) = default;
};
// Handwriting mode entered (with the window's outer size then) or left.
struct ModeChange {
  bool handwriting = false;
  std::int32_t outerWidth = 0;
  std::int32_t outerHeight = 0;
  friend bool operator==(const ModeChange&, const ModeChange&) = default;
};
// The text area's picture as handwriting mode froze it: device pixels (blue, green, red,
// 0; rows top-down), stored compressed. Re-rendering the text would depend on the font,
// the DPI and the scroll position; the pixels do not.
struct TextPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string pixels;  // width * height * 4 bytes
  friend bool operator==(const TextPicture&, const TextPicture&) = default;
};
// The window's outer size after a change in handwriting mode (the pictures follow it).
struct WindowSize {
  std::int32_t outerWidth = 0;
  std::int32_t outerHeight = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// A Stroke record is a finished stroke; StrokesRemoved one sweep of the stroke eraser;
// StrokeReplaced a stroke that snapped to a shape; StrokesTransformed and
// StrokesRecoloured what the lasso did to a selection (a deletion is a StrokesRemoved).
using JournalRecord =
    std::variant<JournalFormat, DraftIdentity, TextReset, TextEdit, UndoStep, RedoStep, ModeChange,
                 TextPicture, Stroke, StrokesRemoved, WindowSize, StrokeReplaced,
                 StrokesTransformed, StrokesRecoloured>;

// Each record's type byte in the file. Stored journals depend on these numbers: a new
// record takes a new one, and none is ever reused.
enum class JournalRecordType : std::uint8_t {
  Format = 0,
  Draft = 1,
  TextReset = 2,
  TextEdit = 3,
  Undo = 4,
  Redo = 5,
  Mode = 6,
  TextPicture = 7,
  Stroke = 8,
  StrokesRemoved = 9,
  WindowSize = 10,
  StrokeReplaced = 11,
  StrokesTransformed = 12,
  StrokesRecoloured = 13,
};
JournalRecordType typeOf(const JournalRecord& record);

// A record longer than this is taken for damage, never allocated.
inline constexpr std::uint32_t kMaxJournalRecordBytes = 64u << 20;

// The record as appended to the journal.
std::string encodeJournalRecord(const JournalRecord& record);

struct JournalContents {
  std::vector<JournalRecord> records;
  // Something followed the last whole record: a torn append or damage.
  bool droppedTail = false;
  // Where each record ends, from the start of the bytes.
  std::vector<std::size_t> ends;
};

// Every whole record up to the first torn, corrupt or unknown one.
JournalContents readJournal(std::string_view bytes);

}  // namespace fudekko
