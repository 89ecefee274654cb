#include "surface/handwriting_surface.h"

#include <algorithm>
#include <functional>

#include "surface/compositing.h"
#include "surface/shape_recognizer.h"
#include "surface/stroke_eraser.h"

namespace fudekko {

void HandwritingSurface::setStartPen(const Pen& stored) {
  choice_.pen =
      penBeforeEraser_ = {penColorInRange(stored.colorIndex), penWidthInRange(stored.lineWidth)};
}

void HandwritingSurface::createLayers(std::int32_t width, std::int32_t height) {
  ink_.reset();
  strokes_.clear();
  background_ = std::make_unique<Picture>();
  composite_ = std::make_unique<Picture>();
  for (Picture* layer : {background_.get(), composite_.get()}) {
    layer->setWidth(width);
    layer->setHeight(height);
  }
  ink_ = makeInk(smoothInk_, width, height, *background_, *composite_);
}

// --- The pen ---

void HandwritingSurface::setStartHighlighter(const Pen& stored) {
  choice_.highlighter = {penColorInRange(stored.colorIndex, kYellowIndex),
                         highlighterWidthInRange(stored.lineWidth)};
}

const Pen& HandwritingSurface::toolPen() const {
  return choice_.chosen == ChosenTool::Highlighter ? choice_.highlighter : choice_.pen;
}

const Pen& HandwritingSurface::cyclePenColor() {
  Pen& pen = choice_.chosen == ChosenTool::Highlighter ? choice_.highlighter : choice_.pen;
  // The remainder keeps the sign of the dividend; the index is kept in range, so this
  // only ever steps 15 to 0.
  pen.colorIndex = penColorInRange((pen.colorIndex + 1) % 16);
  return pen;
}

const Pen& HandwritingSurface::cyclePenWidth() {
  if (choice_.chosen == ChosenTool::Highlighter) {
    Pen& marker = choice_.highlighter;
    marker.lineWidth += 4;
    if (marker.lineWidth > 24) marker.lineWidth = 8;
    return marker;
  }
  Pen& pen = choice_.pen;
  pen.lineWidth += 2;
  if (pen.lineWidth > 8) pen.lineWidth = 1;
  return pen;
}

void HandwritingSurface::chooseTool(ChosenTool tool) {
  if (tool == choice_.chosen) return;
  if (tool == ChosenTool::Eraser) {
    penBeforeEraser_ = choice_.pen;
    choice_.pen = {kWhiteIndex, kEraserWidth};
  } else if (choice_.chosen == ChosenTool::Eraser) {
    choice_.pen = penBeforeEraser_;
  }
  choice_.chosen = tool;
}

void HandwritingSurface::setDpi(int dpi) {
  dpi_ = dpi <= 0 ? kBaseDpi : dpi;
}

// --- Strokes ---

namespace {

StrokeTool strokeToolOf(Tool tool) {
  switch (tool) {
    case Tool::Pen:
      return StrokeTool::Pen;
    case Tool::Highlighter:
      return StrokeTool::Highlighter;
    case Tool::PartialEraser:
    case Tool::StrokeEraser:
      break;
  }
  return StrokeTool::PartialEraser;
}

}  // namespace

SurfaceOutcome HandwritingSurface::beginStroke(StrokeSource source, StrokePoint at,
                                               PenContact contact) {
  // A stroke of another input, or one whose release went missing, ends where it reached.
  SurfaceOutcome outcome = drawing_ ? finishStroke(std::nullopt) : SurfaceOutcome{};
  drawing_ = source;
  contact_ = contact;
  position_ = pixelOf(at);
  outcome += startStroke(at);
  return outcome;
}

SurfaceOutcome HandwritingSurface::extendStroke(StrokeSource source,
                                                std::span<const StrokePoint> to, bool straight) {
  if (drawing_ != source || to.empty() || freehand_) return {};
  position_ = pixelOf(to.back());
  liveEnd_ = to.back();
  if (!ink_) return {};
  if (sweeping_ || live_.points.size() + to.size() >= kMaxStrokePoints) {
    SurfaceOutcome outcome;
    for (const StrokePoint& point : to) outcome += continueTo(point);
    return outcome;
  }
  const Rect restarted = straight ? restartLiveStroke(liveStart_) : Rect{};
  const Rect drawn = ink_->continueStroke(live_, straight ? to.last(1) : to);
  liveArea_ = liveArea_.unite(drawn);
  return {restarted.unite(drawn), {}};
}

SurfaceOutcome HandwritingSurface::endStroke(StrokeSource source,
                                             std::optional<StrokePoint> releasedAt, bool straight) {
  if (drawing_ != source) return {};
  if (releasedAt) position_ = pixelOf(*releasedAt);
  const bool restarts = straight && releasedAt && ink_ && !sweeping_ && !freehand_;
  const Rect restarted = restarts ? restartLiveStroke(liveStart_) : Rect{};
  SurfaceOutcome outcome = finishStroke(releasedAt);
  outcome.repaint = outcome.repaint.unite(restarted);
  drawing_.reset();
  contact_ = {};
  return outcome;
}

SurfaceOutcome HandwritingSurface::continueTo(StrokePoint point) {
  if (!ink_) return {};
  if (sweeping_) return {sweepTo(point), {}};
  if (live_.points.size() >= kMaxStrokePoints) {
    // A stroke this long goes on as a new one: memory stays bounded per stroke.
    SurfaceOutcome outcome = finishStroke(std::nullopt);
    outcome += startStroke(point);
    return outcome;
  }
  const Rect drawn = ink_->continueStroke(live_, point);
  liveArea_ = liveArea_.unite(drawn);
  return {drawn, {}};
}

StrokeInput HandwritingSurface::liveInput() const {
  return contact_.pressure ? StrokeInput::PenPressure : StrokeInput::Mouse;
}

Rect HandwritingSurface::restartLiveStroke(StrokePoint from) {
  // The list alone is rendered where the stroke drew, which also drops its drawing.
  const Rect erased = liveArea_.empty() ? Rect{} : redrawAndShow(liveArea_);
  live_.points.clear();
  liveArea_ = ink_->beginStroke(live_, from, liveInput());
  return erased.unite(liveArea_);
}

SurfaceOutcome HandwritingSurface::snapToShape() {
  if (!drawing_ || !ink_ || sweeping_ || freehand_) return {};
  // The positions the path skipped are not kept; the last one drawn to belongs to it.
  Stroke freehand = live_;
  if (freehand.points.empty() || !(freehand.points.back() == liveEnd_)) {
    freehand.points.push_back(liveEnd_);
  }
  std::optional<RecognizedShape> shape = recognizeShape(freehand.points);
  if (!shape || shape->points.size() < 2) return {};
  freehand.points.shrink_to_fit();
  freehand.bounds = ink_->reach(freehand);
  freehand_ = std::move(freehand);
  shapeEnd_ = shape->points.back();
  const Rect shown = restartLiveStroke(shape->points.front());
  const Rect drawn = ink_->continueStroke(live_, std::span(shape->points).subspan(1));
  liveArea_ = liveArea_.unite(drawn);
  return {shown.unite(drawn), {}};
}

SurfaceOutcome HandwritingSurface::startStroke(StrokePoint at) {
  const ToolInForce tool = decideTool(choice_, contact_.erases);
  live_ = {};
  live_.pen = {strokeToolOf(tool.tool), tool.color, tool.width96, dpi_, tool.brush};
  sweeping_ = tool.tool == Tool::StrokeEraser;
  liveStart_ = liveEnd_ = at;
  liveArea_ = {};
  if (!ink_) return {};
  if (!sweeping_) {
    liveArea_ = ink_->beginStroke(live_, at, liveInput());
    return {liveArea_, {}};
  }
  live_.points.push_back(at);
  return {sweepTo(at), {}};
}

SurfaceOutcome HandwritingSurface::finishStroke(std::optional<StrokePoint> releasedAt) {
  if (!ink_) return {};
  SurfaceOutcome outcome;
  if (sweeping_) {
    if (releasedAt) outcome.repaint = sweepTo(*releasedAt);
    strokes_.endRemoval();
    sweeping_ = false;
    if (!swept_.empty()) outcome.changes.push_back(StrokesRemoved{std::move(swept_)});
    swept_.clear();
    return outcome;
  }
  // A snapped stroke ends where its shape does.
  if (freehand_) releasedAt = shapeEnd_;
  outcome.repaint = releasedAt ? ink_->endStroke(live_, *releasedAt) : ink_->breakOffStroke(live_);
  live_.points.shrink_to_fit();
  live_.bounds = ink_->reach(live_);
  const bool tapersItsEnd = live_.pen.brush;
  const Rect bounds = live_.bounds;
  if (freehand_) {
    outcome.changes.push_back(*freehand_);
    strokes_.add(std::move(*freehand_));
    freehand_.reset();
    const auto index = static_cast<std::uint32_t>(strokes_.strokes().size() - 1);
    outcome.changes.push_back(StrokeReplaced{index, live_});
    strokes_.replace(index, std::move(live_));
  } else {
    outcome.changes.push_back(live_);
    strokes_.add(std::move(live_));
  }
  live_ = {};
  // Only now is the brush's end known: its last pen widths taper. The stroke's box is
  // rendered anew from the list, which leaves it exactly as a fresh render would.
  if (tapersItsEnd) outcome.repaint = outcome.repaint.unite(redrawAndShow(bounds));
  return outcome;
}

Rect HandwritingSurface::sweepTo(StrokePoint to) {
  const StrokePoint previous = live_.points.back();
  if (!(previous == to)) live_.points.push_back(to);
  const InkPoint from{previous.x, previous.y}, end{to.x, to.y};
  const double radius = scaledPenWidth(live_.pen.lineWidth, dpi_) / 2.0;
  // The box test first: a stroke's bounds hold all its ink.
  const Rect box =
      spannedRect(pixelOf(previous), pixelOf(to), static_cast<std::int32_t>(radius) + 2);
  Rect removed;
  const std::vector<Stroke>& strokes = strokes_.strokes();
  // From the top down, so that a removal leaves the indices still to test in place.
  for (std::size_t i = strokes.size(); i-- > 0;) {
    const Stroke& stroke = strokes[i];
    // Partial-eraser strokes are not the user's strokes: taking one away would bring
    // back the ink it erased.
    if (stroke.pen.tool == StrokeTool::PartialEraser || stroke.bounds.intersect(box).empty()) {
      continue;
    }
    if (eraserTouches(ink_->outline(stroke), from, end, radius)) {
      removed = removed.unite(strokes_.remove(i));
      swept_.push_back(static_cast<std::uint32_t>(i));
    }
  }
  return removed.empty() ? Rect{} : redrawAndShow(removed);
}

// --- Editing strokes ---

namespace {

bool isSelection(std::span<const std::uint32_t> selected, std::size_t strokes) {
  if (selected.empty() || selected.back() >= strokes) return false;
  return std::adjacent_find(selected.begin(), selected.end(), std::greater_equal<>()) ==
         selected.end();
}

}  // namespace

SurfaceOutcome HandwritingSurface::transformStrokes(std::span<const std::uint32_t> selected,
                                                    const StrokeTransform& transform) {
  if (drawing_ || !ink_ || !isSelection(selected, strokes_.strokes().size())) return {};
  const Rect changed =
      strokes_.replace(selected, transformedStrokes(strokes_.strokes(), selected, transform), true);
  return {redrawAndShow(changed),
          {StrokesTransformed{{selected.begin(), selected.end()}, transform}}};
}

SurfaceOutcome HandwritingSurface::recolourStrokes(std::span<const std::uint32_t> selected,
                                                   Color color) {
  if (drawing_ || !ink_ || !isSelection(selected, strokes_.strokes().size())) return {};
  const Rect changed =
      strokes_.replace(selected, recolouredStrokes(strokes_.strokes(), selected, color), false);
  return {redrawAndShow(changed), {StrokesRecoloured{{selected.begin(), selected.end()}, color}}};
}

SurfaceOutcome HandwritingSurface::removeStrokes(std::span<const std::uint32_t> selected) {
  if (drawing_ || !ink_ || !isSelection(selected, strokes_.strokes().size())) return {};
  // From the top down, so that each index still names its stroke: one step, as a sweep.
  StrokesRemoved removed;
  Rect changed;
  for (auto index = selected.rbegin(); index != selected.rend(); ++index) {
    changed = changed.unite(strokes_.remove(*index));
    removed.indices.push_back(*index);
  }
  strokes_.endRemoval();
  return {redrawAndShow(changed), {std::move(removed)}};
}

Rect HandwritingSurface::redrawAndShow(const Rect& part) {
  ink_->redraw(part, strokes_.strokes());
  return ink_->compose(part);
}

void HandwritingSurface::resizeInk(std::int32_t width, std::int32_t height) {
  const std::int32_t oldWidth = ink_->width(), oldHeight = ink_->height();
  ink_->setSize(width, height);
  // Strokes are kept whole: what a smaller size cut off comes back.
  if (width > oldWidth) ink_->redraw({oldWidth, 0, width, height}, strokes_.strokes());
  if (height > oldHeight) ink_->redraw({0, oldHeight, width, height}, strokes_.strokes());
}

Rect HandwritingSurface::recomposeAround(Point a, Point b) {
  return ink_->compose(spannedRect(a, b, scaledRecompositeMargin(dpi_)));
}

// --- Modes and sizing ---

Rect HandwritingSurface::enterHandwriting(TextAreaSnapshot& snapshot, std::int32_t width,
                                          std::int32_t height) {
  if (!ink_) return {};
  background_->setWidth(width);
  background_->setHeight(height);
  if (!background_->empty()) snapshot.paintInto(*background_);
  // Whatever the painter did to the brush, area added by a later resize is white.
  background_->setBrushColor(kWhite);
  // Earlier strokes stay in place.
  resizeInk(width, height);
  composite_->setWidth(width);
  composite_->setHeight(height);
  return recomposeAround({0, 0}, {width, height});
}

Rect HandwritingSurface::leaveHandwriting(std::int32_t width, std::int32_t height) {
  if (!ink_) return {};
  return recomposeAround({0, 0}, {width, height});
}

SurfaceOutcome HandwritingSurface::resize(std::int32_t drawingAreaWidth,
                                          std::int32_t drawingAreaHeight) {
  if (!ink_) return {};
  background_->setWidth(drawingAreaWidth);
  background_->setHeight(drawingAreaHeight);
  // The stroke being drawn ends at the old size and goes on as a new one at the new.
  SurfaceOutcome outcome = drawing_ ? finishStroke(std::nullopt) : SurfaceOutcome{};
  resizeInk(drawingAreaWidth, drawingAreaHeight);
  if (drawing_) outcome += startStroke(strokePointAt(position_));
  // The window shows the whole drawing area anew after a resize.
  outcome.repaint = {};
  return outcome;
}

void HandwritingSurface::releaseLayers() {
  ink_.reset();
  background_.reset();
  composite_.reset();
}

// --- History ---

SurfaceOutcome HandwritingSurface::undo() {
  if (drawing_ || !ink_ || !strokes_.canUndo()) return {};
  const Rect changed = strokes_.undo();
  return {changed.empty() ? Rect{} : redrawAndShow(changed), {StrokesUndone{}}};
}

SurfaceOutcome HandwritingSurface::redo() {
  if (drawing_ || !ink_ || !strokes_.canRedo()) return {};
  const Rect changed = strokes_.redo();
  return {changed.empty() ? Rect{} : redrawAndShow(changed), {StrokesRedone{}}};
}

Rect HandwritingSurface::restoreStrokes(StrokeList strokes) {
  strokes_ = std::move(strokes);
  if (!ink_) return {};
  return redrawAndShow({0, 0, ink_->width(), ink_->height()});
}

}  // namespace fudekko
