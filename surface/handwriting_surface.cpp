#include "surface/handwriting_surface.h"

#include "surface/compositing.h"

namespace fudekko {

void HandwritingSurface::setStartPen(const Pen& stored) {
  pen_ = penBeforeEraser_ = {penColorInRange(stored.colorIndex), penWidthInRange(stored.lineWidth)};
}

void HandwritingSurface::createLayers(std::int32_t width, std::int32_t height) {
  ink_.reset();
  background_ = std::make_unique<Picture>();
  composite_ = std::make_unique<Picture>();
  for (Picture* layer : {background_.get(), composite_.get()}) {
    layer->setWidth(width);
    layer->setHeight(height);
  }
  ink_ = makeInk(smoothInk_, width, height, *background_, *composite_);
  history_.reset(inkRows());
}

PixelRows HandwritingSurface::inkRows() {
  return ink_ ? ink_->rows() : PixelRows{};
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

InkPen HandwritingSurface::strokePen() const {
  // The white pen is the eraser: it takes ink away instead of laying white over it.
  return {colorTableEntry(pen_.colorIndex), pen_.colorIndex == kWhiteIndex, pen_.lineWidth, dpi_};
}

Rect HandwritingSurface::shown(const InkChange& change) {
  history_.touched(change.ink);
  return change.shown;
}

Rect HandwritingSurface::penDown(MouseButton button, Point at) {
  Rect changed;
  if (drawing_ && ink_) changed = shown(ink_->breakOffStroke());
  if (!drawing_) strokeButtons_ = kNoButton;
  strokeButtons_ |= button;
  drawing_ = true;
  penPosition_ = at;
  if (ink_) changed = changed.unite(shown(ink_->beginStroke(strokePen(), at)));
  return changed;
}

Rect HandwritingSurface::penMove(unsigned held, Point at) {
  if (!drawing_) return {};
  if ((held & strokeButtons_) == 0) {
    drawing_ = false;
    strokeButtons_ = kNoButton;
    const Rect changed = ink_ ? shown(ink_->breakOffStroke()) : Rect{};
    history_.endStroke(inkRows());
    return changed;
  }
  penPosition_ = at;
  return ink_ ? shown(ink_->continueStroke(at)) : Rect{};
}

Rect HandwritingSurface::penUp(MouseButton /*button*/, Point at) {
  if (!drawing_) return {};
  const Rect changed = ink_ ? shown(ink_->endStroke(at)) : Rect{};
  penPosition_ = at;
  drawing_ = false;
  strokeButtons_ = kNoButton;
  history_.endStroke(inkRows());
  return changed;
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
  // The ink keeps its pixels at the top-left: earlier strokes stay in place.
  ink_->setSize(width, height);
  composite_->setWidth(width);
  composite_->setHeight(height);
  history_.rebase(inkRows());
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
  ink_->setSize(drawingAreaWidth, drawingAreaHeight);
  history_.rebase(inkRows());
}

void HandwritingSurface::releaseLayers() {
  ink_.reset();
  background_.reset();
  composite_.reset();
}

// --- History ---

Rect HandwritingSurface::undo() {
  if (drawing_ || !ink_) return {};
  return showRestored(history_.undo(inkRows()));
}

Rect HandwritingSurface::redo() {
  if (drawing_ || !ink_) return {};
  return showRestored(history_.redo(inkRows()));
}

Rect HandwritingSurface::showRestored(const Rect& restored) {
  // Exactly the restored pixels: no margin is needed around what is known.
  return restored.empty() ? Rect{} : ink_->compose(restored);
}

}  // namespace fudekko
