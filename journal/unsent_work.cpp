#include "journal/unsent_work.h"

namespace fudekko {

bool hasUnsentWork(const TextHistory& text, std::span<const Stroke> strokesOnPaper) {
  return text.changedSinceReset() || !strokesOnPaper.empty();
}

}  // namespace fudekko
