#include "journal/journal_recovery.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace fudekko {

namespace {

// Replays one record onto the work; false when it does not fit the work before it.
class Replay {
 public:
  explicit Replay(RecoveredWork& work) : work_(work) {}

  bool operator()(const JournalFormat&) { return false; }  // only ever the first
  bool operator()(const DraftIdentity& draft) {
    work_.draft = draft;
    work_.draftKnown = true;
    return true;
  }
  bool operator()(const TextReset& reset) {
    work_.text.reset(reset.text);
    return true;
  }
  bool operator()(const TextEdit& edit) {
    std::optional<std::wstring> text = applyEdit(work_.text.text(), edit);
    if (!text) return false;
    work_.text.recordChange(*text);
    return true;
  }
  bool operator()(const UndoStep& step) {
    if (step.of == HistoryOf::Text) return work_.text.undo().has_value();
    if (!work_.strokes.canUndo()) return false;
    work_.strokes.undo();
    return true;
  }
  bool operator()(const RedoStep& step) {
    if (step.of == HistoryOf::Text) return work_.text.redo().has_value();
    if (!work_.strokes.canRedo()) return false;
    work_.strokes.redo();
    return true;
  }
  bool operator()(const ModeChange& change) {
    // The mode's change ends the text's step, as the window's does.
    work_.text.seal();
    work_.handwriting = change.handwriting;
    work_.sizesSinceEntry.clear();
    if (change.handwriting) {
      work_.entered = change;
      work_.textPicture.reset();
    }
    return true;
  }
  bool operator()(const TextPicture& picture) {
    if (!work_.handwriting) return false;
    work_.textPicture = picture;
    return true;
  }
  bool operator()(const Stroke& stroke) {
    work_.strokes.add(stroke);
    return true;
  }
  bool operator()(const StrokesRemoved& removed) {
    if (removed.indices.empty()) return false;
    for (std::uint32_t index : removed.indices) {
      if (index >= work_.strokes.strokes().size()) {
        work_.strokes.endRemoval();
        return false;
      }
      work_.strokes.remove(index);
    }
    work_.strokes.endRemoval();
    return true;
  }
  bool operator()(const StrokeReplaced& replaced) {
    if (replaced.index >= work_.strokes.strokes().size()) return false;
    work_.strokes.replace(replaced.index, replaced.stroke);
    return true;
  }
  bool operator()(const StrokesTransformed& transformed) {
    if (!fits(transformed.indices)) return false;
    const auto& strokes = work_.strokes.strokes();
    work_.strokes.replace(transformed.indices,
                          transformedStrokes(strokes, transformed.indices, transformed.transform),
                          true);
    return true;
  }
  bool operator()(const StrokesRecoloured& recoloured) {
    if (!fits(recoloured.indices)) return false;
    const auto& strokes = work_.strokes.strokes();
    work_.strokes.replace(recoloured.indices,
                          recolouredStrokes(strokes, recoloured.indices, recoloured.color), false);
    return true;
  }
  bool operator()(const WindowSize& size) {
    if (!work_.handwriting) return false;
    work_.sizesSinceEntry.push_back(size);
    return true;
  }

 private:
  // A selection of strokes on the paper: ascending indices within the list.
  bool fits(const std::vector<std::uint32_t>& indices) const {
    if (indices.empty() || indices.back() >= work_.strokes.strokes().size()) return false;
    return std::adjacent_find(indices.begin(), indices.end(), std::greater_equal<>()) ==
           indices.end();
  }

  RecoveredWork& work_;
};

}  // namespace

RecoveredWork recoverWork(std::string_view journal) {
  RecoveredWork work;
  const JournalContents contents = readJournal(journal);
  if (contents.records.empty()) {
    work.kind = journal.empty() ? RecoveredWork::Kind::Empty : RecoveredWork::Kind::Unreadable;
    work.droppedSomething = !journal.empty();
    return work;
  }
  const auto* format = std::get_if<JournalFormat>(&contents.records.front());
  if (!format || format->magic != kJournalMagic) {
    work.kind = RecoveredWork::Kind::Unreadable;
    work.droppedSomething = true;
    return work;
  }
  if (format->version != kJournalFormatVersion) {
    work.kind = RecoveredWork::Kind::OlderFormat;
    work.droppedSomething = true;
    return work;
  }
  work.kind = RecoveredWork::Kind::Usable;
  work.replayedBytes = contents.ends.front();
  Replay replay(work);
  for (std::size_t i = 1; i < contents.records.size(); ++i) {
    const JournalRecord& record = contents.records[i];
    // A record that does not fit is damage the checksum missed: the rest is not offered.
    if (!std::visit(replay, record)) {
      work.droppedSomething = true;
      return work;
    }
    work.replayedBytes = contents.ends[i];
  }
  work.droppedSomething = contents.droppedTail;
  return work;
}

TextPicture textPictureOf(const Picture& picture) {
  TextPicture record{picture.width(), picture.height(), {}};
  const std::size_t row = std::size_t(picture.width()) * 4;
  record.pixels.resize(row * std::size_t(picture.height()));
  for (std::int32_t y = 0; y < picture.height(); ++y) {
    std::memcpy(record.pixels.data() + row * std::size_t(y), picture.scanLine(y), row);
  }
  return record;
}

void paintTextPicture(const TextPicture& source, Picture& target) {
  target.setBrushColor(kWhite);
  target.fillRect({0, 0, target.width(), target.height()});
  const std::int32_t width = std::min(source.width, target.width());
  const std::int32_t height = std::min(source.height, target.height());
  if (width <= 0) return;
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(target.scanLine(y), source.pixels.data() + std::size_t(source.width) * 4 * y,
                std::size_t(width) * 4);
  }
}

}  // namespace fudekko
