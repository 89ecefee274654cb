#pragma once
// Whether closing or opening another file would lose something the user made.

#include <span>

#include "draft/text_history.h"
#include "surface/stroke.h"

namespace fudekko {

// The text differs from the text as loaded (edits undone back to it do not count), or
// any stroke is on the paper (a drawing undone to nothing does not count).
bool hasUnsentWork(const TextHistory& text, std::span<const Stroke> strokesOnPaper);

}  // namespace fudekko
