#pragma once
// A journal's records turned back into the work they describe: the text with its
// history, the mode, the text area's picture and the strokes with theirs, as the user
// left them. Replaying the same steps through the same histories keeps undo working
// after the recovery.

#include <cstddef>
#include <optional>
#include <vector>

#include "draft/text_history.h"
#include "imaging/picture.h"
#include "journal/journal_records.h"
#include "surface/handwriting_surface.h"
#include "surface/stroke_list.h"

namespace fudekko {

struct RecoveredWork {
  enum class Kind {
    Usable,       // the records below are the work
    Empty,        // nothing was journaled
    OlderFormat,  // written by another version of the program
    Unreadable,   // not a journal, or its start is damaged
  };
  Kind kind = Kind::Empty;
  // The draft the journal names, when its record was read whole.
  bool draftKnown = false;
  DraftIdentity draft;
  TextHistory text;
  bool handwriting = false;
  // The last entry into handwriting mode: the outer window size then, the text area's
  // picture, and the window's sizes since, in order (none once the mode was left).
  ModeChange entered;
  std::optional<TextPicture> textPicture;
  std::vector<WindowSize> sizesSinceEntry;
  StrokeList strokes;
  // Records were lost: a torn or damaged tail, or a record that did not fit the work
  // before it. What comes before is whole.
  bool droppedSomething = false;
  // The bytes of the records that were replayed: the journal goes on from there.
  std::size_t replayedBytes = 0;
};

RecoveredWork recoverWork(std::string_view journal);

// The text area's picture as a record, and back onto a picture of any size: what the
// record does not cover is white.
TextPicture textPictureOf(const Picture& picture);
void paintTextPicture(const TextPicture& source, Picture& target);

// The journaled picture in place of the text area's, as handwriting mode is entered again.
class JournaledTextPicture : public TextAreaSnapshot {
 public:
  explicit JournaledTextPicture(const TextPicture& picture) : picture_(picture) {}
  void paintInto(Picture& picture) override { paintTextPicture(picture_, picture); }

 private:
  const TextPicture& picture_;
};

}  // namespace fudekko
