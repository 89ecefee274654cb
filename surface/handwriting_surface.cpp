#include "surface/handwriting_surface.h"

#include "surface/compositing.h"
#include "surface/stroke_eraser.h"

namespace fudekko {

void HandwritingSurface::setStartPen(const Pen& stored) {
  pen_ = penBeforeEraser_ = {penColorInRange(stored.colorIndex), penWidthInRange(stored.lineWidth)};
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

const Pen& HandwritingSurface::cyclePenColor() {
  // The remainder keeps the sign of the dividend; the index is kept in range, so this
  // only ever steps 15 to 0.
  pen_.colorIndex = penColorInRange((pen_.colorIndex + 1) % 16);
  return pen_;
}

const Pen& HandwritingSurface::cyclePenWidth() {
  pen_.lineWidth += 2;
  if (pen_.lineWidth > 8) pen_.lineWidth = 1;
  return pen_;
}

void HandwritingSurface::setEraser(bool on) {
  if (on == eraser_) return;
  eraser_ = on;
  if (on) {
    penBeforeEraser_ = pen_;
    pen_ = {kWhiteIndex, kEraserWidth};
  } else {
    pen_ = penBeforeEraser_;
  }
}

void HandwritingSurface::setDpi(int dpi) {
  dpi_ = dpi <= 0 ? kBaseDpi : dpi;
}

// --- Strokes ---

StrokePen HandwritingSurface::strokePen() const {
  if (penContact_.erases) return {StrokeTool::PartialEraser, kWhite, kEraserWidth, dpi_, false};
  // The white pen is the partial eraser: it takes ink away instead of laying white over it.
  const bool erases = pen_.colorIndex == kWhiteIndex;
  return {erases ? StrokeTool::PartialEraser : StrokeTool::Pen, colorTableEntry(pen_.colorIndex),
          pen_.lineWidth, dpi_, brushPen_ && !erases};
}

Rect HandwritingSurface::penDown(MouseButton button, Point at, std::uint32_t time) {
  // A button during a pen's stroke: the pen's up went missing; its stroke ends below.
  penStroke_ = false;
  penContact_ = {};
  Rect changed;
  if (drawing_) {
    changed = finishStroke(std::nullopt);
  } else {
    strokeButtons_ = kNoButton;
  }
  strokeButtons_ |= button;
  drawing_ = true;
  penPosition_ = at;
  return changed.unite(startStroke(strokePointAt(at, time)));
}

Rect HandwritingSurface::penMove(unsigned held, Point at, std::uint32_t time) {
  if (!drawing_ || penStroke_) return {};
  if ((held & strokeButtons_) == 0) {
    drawing_ = false;
    strokeButtons_ = kNoButton;
    return finishStroke(std::nullopt);
  }
  penPosition_ = at;
  return continueTo(strokePointAt(at, time));
}

Rect HandwritingSurface::continueTo(StrokePoint point) {
  if (!ink_) return {};
  if (sweeping_) return sweepTo(point);
  if (live_.points.size() >= kMaxStrokePoints) {
    // A stroke this long goes on as a new one: memory stays bounded per stroke.
    const Rect ended = finishStroke(std::nullopt);
    return ended.unite(startStroke(point));
  }
  return ink_->continueStroke(live_, point);
}

Rect HandwritingSurface::penUp(MouseButton /*button*/, Point at, std::uint32_t time) {
  if (!drawing_ || penStroke_) return {};
  penPosition_ = at;
  drawing_ = false;
  strokeButtons_ = kNoButton;
  return finishStroke(strokePointAt(at, time));
}

Rect HandwritingSurface::penStrokeDown(StrokePoint at, PenContact contact) {
  // A mouse stroke, or a pen stroke whose up was missed, ends where it reached.
  Rect changed = drawing_ ? finishStroke(std::nullopt) : Rect{};
  strokeButtons_ = kNoButton;
  drawing_ = penStroke_ = true;
  penContact_ = contact;
  penPosition_ = pixelOf(at);
  return changed.unite(startStroke(at));
}

Rect HandwritingSurface::penStrokeMove(std::span<const StrokePoint> to) {
  if (!drawing_ || !penStroke_ || to.empty()) return {};
  penPosition_ = pixelOf(to.back());
  if (!ink_) return {};
  if (sweeping_ || live_.points.size() + to.size() >= kMaxStrokePoints) {
    Rect changed;
    for (const StrokePoint& point : to) changed = changed.unite(continueTo(point));
    return changed;
  }
  return ink_->continueStroke(live_, to);
}

Rect HandwritingSurface::penStrokeUp(StrokePoint at) {
  if (!drawing_ || !penStroke_) return {};
  penPosition_ = pixelOf(at);
  drawing_ = false;
  const Rect changed = finishStroke(at);
  penStroke_ = false;
  penContact_ = {};
  return changed;
}

Rect HandwritingSurface::startStroke(StrokePoint at) {
  live_ = Stroke{strokePen(), {}, {}};
  sweeping_ = sweepsStrokes();
  if (!ink_) return {};
  if (!sweeping_) {
    return ink_->beginStroke(live_, at,
                             penContact_.pressure ? StrokeInput::PenPressure : StrokeInput::Mouse);
  }
  live_.points.push_back(at);
  return sweepTo(at);
}

Rect HandwritingSurface::finishStroke(std::optional<StrokePoint> releasedAt) {
  if (!ink_) return {};
  if (sweeping_) {
    const Rect changed = releasedAt ? sweepTo(*releasedAt) : Rect{};
    strokes_.endRemoval();
    sweeping_ = false;
    if (journal_ && !swept_.empty()) journal_->append(StrokesRemoved{std::move(swept_)});
    swept_.clear();
    return changed;
  }
  Rect shown = releasedAt ? ink_->endStroke(live_, *releasedAt) : ink_->breakOffStroke(live_);
  live_.points.shrink_to_fit();
  live_.bounds = ink_->reach(live_);
  const bool tapersItsEnd = live_.pen.brush;
  const Rect bounds = live_.bounds;
  if (journal_) journal_->append(live_);
  strokes_.add(std::move(live_));
  live_ = {};
  // Only now is the brush's end known: its last pen widths taper. The stroke's box is
  // rendered anew from the list, which leaves it exactly as a fresh render would.
  if (tapersItsEnd) shown = shown.unite(redrawAndShow(bounds));
  return shown;
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
    if (stroke.pen.tool != StrokeTool::Pen || stroke.bounds.intersect(box).empty()) continue;
    if (eraserTouches(ink_->outline(stroke), from, end, radius)) {
      removed = removed.unite(strokes_.remove(i));
      swept_.push_back(static_cast<std::uint32_t>(i));
    }
  }
  return removed.empty() ? Rect{} : redrawAndShow(removed);
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

void HandwritingSurface::resize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight) {
  if (!ink_) return;
  background_->setWidth(drawingAreaWidth);
  background_->setHeight(drawingAreaHeight);
  // The stroke being drawn ends at the old size and goes on as a new one at the new.
  const bool restart = drawing_;
  if (restart) finishStroke(std::nullopt);
  resizeInk(drawingAreaWidth, drawingAreaHeight);
  if (restart) startStroke(strokePointAt(penPosition_));
}

void HandwritingSurface::releaseLayers() {
  ink_.reset();
  background_.reset();
  composite_.reset();
}

// --- History ---

Rect HandwritingSurface::undo() {
  if (drawing_ || !ink_ || !strokes_.canUndo()) return {};
  if (journal_) journal_->append(UndoStep{HistoryOf::Strokes});
  const Rect changed = strokes_.undo();
  return changed.empty() ? Rect{} : redrawAndShow(changed);
}

Rect HandwritingSurface::redo() {
  if (drawing_ || !ink_ || !strokes_.canRedo()) return {};
  if (journal_) journal_->append(RedoStep{HistoryOf::Strokes});
  const Rect changed = strokes_.redo();
  return changed.empty() ? Rect{} : redrawAndShow(changed);
}

Rect HandwritingSurface::restoreStrokes(StrokeList strokes) {
  strokes_ = std::move(strokes);
  if (!ink_) return {};
  return redrawAndShow({0, 0, ink_->width(), ink_->height()});
}

}  // namespace fudekko
