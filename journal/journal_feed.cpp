#include "journal/journal_feed.h"

#include "journal/journal_recovery.h"

namespace fudekko {

namespace {

struct TextRecords {
  JournalRecord operator()(const TextEdit& edit) const { return edit; }
  JournalRecord operator()(const TextUndone&) const { return UndoStep{HistoryOf::Text}; }
  JournalRecord operator()(const TextRedone&) const { return RedoStep{HistoryOf::Text}; }
  JournalRecord operator()(const TextReplaced& text) const { return TextReset{text.text}; }
};

struct DrawingRecords {
  JournalRecord operator()(const Stroke& stroke) const { return stroke; }
  JournalRecord operator()(const StrokesRemoved& removed) const { return removed; }
  JournalRecord operator()(const StrokesUndone&) const { return UndoStep{HistoryOf::Strokes}; }
  JournalRecord operator()(const StrokesRedone&) const { return RedoStep{HistoryOf::Strokes}; }
  JournalRecord operator()(const StrokeReplaced& replaced) const { return replaced; }
  JournalRecord operator()(const StrokesTransformed& transformed) const { return transformed; }
  JournalRecord operator()(const StrokesRecoloured& recoloured) const { return recoloured; }
};

struct Records {
  std::vector<JournalRecord> operator()(const TextChange& change) const {
    return {std::visit(TextRecords{}, change)};
  }
  std::vector<JournalRecord> operator()(const DrawingChange& change) const {
    return {std::visit(DrawingRecords{}, change)};
  }
  std::vector<JournalRecord> operator()(const ModeSwitch& mode) const {
    std::vector<JournalRecord> records{mode.mode};
    if (mode.mode.handwriting && mode.textPicture) {
      records.push_back(textPictureOf(*mode.textPicture));
    }
    return records;
  }
  std::vector<JournalRecord> operator()(const WindowSize& size) const { return {size}; }
};

}  // namespace

std::vector<JournalRecord> recordsOf(const WorkChange& change) {
  return std::visit(Records{}, change);
}

}  // namespace fudekko
