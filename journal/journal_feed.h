#pragma once
// The work's changes as the window hands them over, and the journal records each becomes.
// Every change reaches the journal through here: the text area's and the surface's
// operations return their changes, and the window passes each one on.

#include <variant>
#include <vector>

#include "draft/text_history.h"
#include "imaging/picture.h"
#include "journal/journal_records.h"
#include "surface/drawing_change.h"

namespace fudekko {

// Handwriting mode entered or left; entering, the text area's picture as it froze it.
struct ModeSwitch {
  ModeChange mode;
  const Picture* textPicture = nullptr;
};

using WorkChange = std::variant<TextChange, DrawingChange, ModeSwitch, WindowSize>;

// In the order they are appended.
std::vector<JournalRecord> recordsOf(const WorkChange& change);

}  // namespace fudekko
