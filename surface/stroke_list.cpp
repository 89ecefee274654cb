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
  steps_.emplace_back();
  steps_.back().kind = kind;
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
  const std::uint32_t at[] = {static_cast<std::uint32_t>(index)};
  std::vector<Stroke> replacement;
  replacement.push_back(std::move(stroke));
  return replace(at, std::move(replacement), false);
}

Rect StrokeList::replace(std::span<const std::uint32_t> indices, std::vector<Stroke> replacements,
                         bool toTop) {
  endRemoval();
  if (indices.empty() || indices.size() != replacements.size() ||
      indices.back() >= strokes_.size()) {
    return {};
  }
  Rect changed;
  for (const Stroke& stroke : replacements) changed = changed.unite(stroke.bounds);
  if (!toTop) {
    startStep(StepKind::Replaces);
    for (std::size_t i = 0; i < indices.size(); ++i) {
      Stroke& onPaper = strokes_[indices[i]];
      changed = changed.unite(onPaper.bounds);
      bytes_ += onPaper.bytes();
      steps_.back().entries.push_back({indices[i], std::move(onPaper)});
      onPaper = std::move(replacements[i]);
    }
  } else {
    startStep(StepKind::Raises);
    Step& step = steps_.back();
    // Taken off from the top down, so that each index still names its stroke.
    for (auto index = indices.rbegin(); index != indices.rend(); ++index) {
      step.entries.push_back({*index, {}});
    }
    step.raised = std::move(replacements);
    step.raisedCount = step.raised.size();
    for (const Stroke& stroke : step.raised) bytes_ += stroke.bytes();
    changed = changed.unite(raise(step));
  }
  trim();
  return changed;
}

Rect StrokeList::raise(Step& step) {
  Rect changed = takeFromPaper(step);
  for (Stroke& stroke : step.raised) {
    changed = changed.unite(stroke.bounds);
    bytes_ -= stroke.bytes();
    strokes_.push_back(std::move(stroke));
  }
  step.raised.clear();
  return changed;
}

Rect StrokeList::lower(Step& step) {
  Rect changed;
  const auto first = strokes_.end() - static_cast<std::ptrdiff_t>(step.raisedCount);
  for (auto stroke = first; stroke != strokes_.end(); ++stroke) {
    changed = changed.unite(stroke->bounds);
    bytes_ += stroke->bytes();
    step.raised.push_back(std::move(*stroke));
  }
  strokes_.erase(first, strokes_.end());
  return changed.unite(putOnPaper(step));
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
    case StepKind::Raises:
      return lower(step);
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
    case StepKind::Raises:
      return raise(step);
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
  for (const Stroke& stroke : step.raised) bytes_ -= stroke.bytes();
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
