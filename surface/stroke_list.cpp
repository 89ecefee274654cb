#include "surface/stroke_list.h"

#include <utility>

namespace fudekko {

void StrokeList::startStep(StepKind kind) {
  // Anything undone could only be brought back onto the paper it was taken from.
  while (undone_ > 0) {
    forget(steps_.back());
    steps_.pop_back();
    --undone_;
  }
  steps_.push_back({kind, {}});
}

void StrokeList::add(Stroke stroke) {
  endRemoval();
  startStep(StepKind::Adds);
  steps_.back().entries.push_back({strokes_.size(), {}});
  strokes_.push_back(std::move(stroke));
  trim();
}

Rect StrokeList::remove(std::size_t index) {
  if (index >= strokes_.size()) return {};
  if (!removing_) {
    startStep(StepKind::Removes);
    removing_ = true;
  }
  Stroke& stroke = strokes_[index];
  const Rect bounds = stroke.bounds;
  bytes_ += stroke.bytes();
  steps_.back().entries.push_back({index, std::move(stroke)});
  strokes_.erase(strokes_.begin() + static_cast<std::ptrdiff_t>(index));
  return bounds;
}

Rect StrokeList::replace(std::size_t index, Stroke stroke) {
  endRemoval();
  if (index >= strokes_.size()) return {};
  startStep(StepKind::Replaces);
  const Rect changed = strokes_[index].bounds.unite(stroke.bounds);
  bytes_ += strokes_[index].bytes();
  steps_.back().entries.push_back({index, std::move(strokes_[index])});
  strokes_[index] = std::move(stroke);
  trim();
  return changed;
}

Rect StrokeList::swapWithPaper(Step& step) {
  Rect changed;
  for (Entry& entry : step.entries) {
    Stroke& onPaper = strokes_[entry.index];
    changed = changed.unite(onPaper.bounds).unite(entry.stroke.bounds);
    bytes_ = bytes_ - entry.stroke.bytes() + onPaper.bytes();
    std::swap(onPaper, entry.stroke);
  }
  return changed;
}

void StrokeList::endRemoval() {
  if (!removing_) return;
  removing_ = false;
  if (steps_.back().entries.empty()) steps_.pop_back();
  trim();
}

Rect StrokeList::takeFromPaper(Step& step) {
  Rect changed;
  for (Entry& entry : step.entries) {
    entry.stroke = std::move(strokes_[entry.index]);
    bytes_ += entry.stroke.bytes();
    strokes_.erase(strokes_.begin() + static_cast<std::ptrdiff_t>(entry.index));
    changed = changed.unite(entry.stroke.bounds);
  }
  return changed;
}

Rect StrokeList::putOnPaper(Step& step) {
  Rect changed;
  // Newest removal first: each stroke returns to the place it had when it went.
  for (auto entry = step.entries.rbegin(); entry != step.entries.rend(); ++entry) {
    changed = changed.unite(entry->stroke.bounds);
    bytes_ -= entry->stroke.bytes();
    strokes_.insert(strokes_.begin() + static_cast<std::ptrdiff_t>(entry->index),
                    std::move(entry->stroke));
    entry->stroke = {};
  }
  return changed;
}

Rect StrokeList::undo() {
  endRemoval();
  if (!canUndo()) return {};
  Step& step = steps_[steps_.size() - 1 - undone_];
  ++undone_;
  switch (step.kind) {
    case StepKind::Adds:
      return takeFromPaper(step);
    case StepKind::Removes:
      return putOnPaper(step);
    case StepKind::Replaces:
      break;
  }
  return swapWithPaper(step);
}

Rect StrokeList::redo() {
  endRemoval();
  if (!canRedo()) return {};
  --undone_;
  Step& step = steps_[steps_.size() - 1 - undone_];
  switch (step.kind) {
    case StepKind::Adds:
      return putOnPaper(step);
    case StepKind::Removes:
      return takeFromPaper(step);
    case StepKind::Replaces:
      break;
  }
  return swapWithPaper(step);
}

void StrokeList::clear() {
  strokes_.clear();
  steps_.clear();
  undone_ = 0;
  removing_ = false;
  bytes_ = 0;
}

void StrokeList::forget(const Step& step) {
  for (const Entry& entry : step.entries) {
    if (!entry.stroke.points.empty()) bytes_ -= entry.stroke.bytes();
  }
}

void StrokeList::trim() {
  // Only a step holding strokes that left the paper frees memory; the adding steps
  // before it go too, so that undo never skips a step.
  while (bytes_ > kMaxBytes && steps_.size() > undone_) {
    forget(steps_.front());
    steps_.pop_front();
  }
}

}  // namespace fudekko
