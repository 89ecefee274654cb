#include "surface/handwriting_surface.h"

#include <algorithm>
#include <cstdint>

#include "surface/compositing.h"

namespace fudekko {

HandwritingSurface::HandwritingSurface(PenStore& penStore)
    : lineGlyph(PixelFormat::Bits24, kGlyphWidth, kGlyphHeight),
      colorGlyph(PixelFormat::Bits24, kGlyphWidth, kGlyphHeight),
      penStore_(penStore) {}

void HandwritingSurface::setStartPen(std::int32_t storedColor, std::int32_t storedWidth) {
  colorIndex = savedColorIndex = penColorInRange(storedColor);
  lineWidth = savedLineWidth = penWidthInRange(storedWidth);
}

void HandwritingSurface::createLayers(std::int32_t width, std::int32_t height) {
  rasterizer_.endStroke();
  backgroundPicture = std::make_unique<Picture>();
  compositePicture = std::make_unique<Picture>();
  if (smoothInk_) {
    inkLayer = std::make_unique<InkLayer>(width, height);
  } else {
    inkPicture = std::make_unique<Picture>();
  }
  for (Picture* layer : {backgroundPicture.get(), inkPicture.get(), compositePicture.get()}) {
    if (!layer) continue;
    layer->setWidth(width);
    layer->setHeight(height);
  }
  history_.reset(inkRows());
}

PixelRows HandwritingSurface::inkRows() {
  if (inkLayer) {
    return {reinterpret_cast<std::uint8_t*>(inkLayer->row(0)),
            PixelRows::kBytesPerPixel * static_cast<std::size_t>(inkLayer->width()),
            inkLayer->width(), inkLayer->height()};
  }
  if (inkPicture && !inkPicture->empty()) {
    return {inkPicture->scanLine(0), inkPicture->stride(), inkPicture->width(),
            inkPicture->height()};
  }
  return {};
}

bool HandwritingSurface::hasLayers() const {
  return (inkPicture || inkLayer) && backgroundPicture && compositePicture;
}

// --- Pen tools ---

void HandwritingSurface::onColorButtonClick() {
  // The remainder keeps the sign of the dividend; the index is kept in range, so this
  // only ever steps 15 to 0.
  colorIndex = penColorInRange((colorIndex + 1) % 16);
  updatePenGlyphs();
}

void HandwritingSurface::onLineButtonClick() {
  lineWidth += 2;
  if (lineWidth > 8) lineWidth = 1;
  updatePenGlyphs();
}

void HandwritingSurface::onEraseButtonClick(bool down) {
  if (down) {
    savedColorIndex = colorIndex;
    savedLineWidth = lineWidth;
    colorIndex = kWhiteIndex;
    lineWidth = kEraserWidth;
  } else {
    colorIndex = savedColorIndex;
    lineWidth = savedLineWidth;
  }
}

void HandwritingSurface::updatePenGlyphs() {
  drawPenGlyphs();
  penStore_.storePen(colorIndex, lineWidth);
}

// The glyphs are drawn at the window's DPI, not stretched, so they stay sharp.
void HandwritingSurface::drawPenGlyphs() {
  glyphScratch = std::make_unique<Picture>(lineGlyph);
  Picture& scratch = *glyphScratch;
  const std::int32_t w = scratch.width();
  const std::int32_t h = scratch.height();
  const auto at = [this](std::int32_t length) { return scaleForDpi(length, dpi_); };

  // Line glyph: a black bar of the pen's width on white, as wide as the strokes.
  scratch.setBrushColor(colorTableEntry(kWhiteIndex));
  scratch.fillRect({0, 0, w, h});
  scratch.setPenColor(kBlack);
  scratch.setPenWidth(scaledPenWidth(lineWidth, dpi_));
  scratch.moveTo({at(20), h / 2});
  scratch.lineTo({w - at(20), h / 2});
  lineGlyph = scratch;

  // Colour glyph: a black-edged swatch on a background entry that is never the pen's
  // own colour, so the swatch never turns transparent.
  scratch.setBrushColor(colorTableEntry((colorIndex + 1) % 14 + 1));
  scratch.fillRect({0, 0, w, h});
  scratch.setPenColor(kBlack);
  scratch.setPenWidth(scaledPenWidth(1, dpi_));
  scratch.setBrushColor(colorTableEntry(colorIndex));
  const Rect swatch{at(15), at(10), w - at(15), h - at(10)};
  scratch.fillRect(swatch);
  scratch.rectangle(swatch);
  colorGlyph = scratch;
}

void HandwritingSurface::setDpi(int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  if (dpi == dpi_) return;
  dpi_ = dpi;
  const std::int32_t width = scaleForDpi(kGlyphWidth, dpi);
  const std::int32_t height = scaleForDpi(kGlyphHeight, dpi);
  lineGlyph = Picture(PixelFormat::Bits24, width, height);
  colorGlyph = Picture(PixelFormat::Bits24, width, height);
  drawPenGlyphs();
}

// --- Strokes ---

Rect HandwritingSurface::onDrawingAreaMouseDown(MouseButton button, Point at) {
  Rect changed;
  // A second button restarts the stroke where it went down.
  if (penDown && rasterizer_.inStroke()) changed = endSmoothStroke(previousPoint);
  if (!penDown) strokeButtons_ = kNoButton;
  strokeButtons_ |= button;
  penDown = true;
  if (inkPicture) inkPicture->moveTo(at);
  previousPoint = at;
  if (inkLayer && hasLayers()) changed = changed.unite(beginSmoothStroke(at));
  return changed;
}

Rect HandwritingSurface::onDrawingAreaMouseMove(unsigned held, Point at) {
  if (!penDown) return {};
  if ((held & strokeButtons_) == 0) {
    penDown = false;
    strokeButtons_ = kNoButton;
    const Rect changed = rasterizer_.inStroke() ? endSmoothStroke(previousPoint) : Rect{};
    history_.endStroke(inkRows());
    return changed;
  }
  if (rasterizer_.inStroke()) return continueSmoothStroke(at);
  return segmentTo(at);
}

Rect HandwritingSurface::onDrawingAreaMouseUp(MouseButton /*button*/, Point at) {
  if (!penDown) return {};
  const Rect changed = rasterizer_.inStroke() ? endSmoothStroke(at) : segmentTo(at);
  penDown = false;
  strokeButtons_ = kNoButton;
  history_.endStroke(inkRows());
  return changed;
}

Rect HandwritingSurface::segmentTo(Point to) {
  Rect changed;
  if (inkPicture) {
    inkPicture->setPenWidth(scaledPenWidth(lineWidth, dpi_));
    inkPicture->setPenColor(colorTableEntry(colorIndex));
    inkPicture->lineTo(to);
    // The line's pixels lie within half the pen's width of the segment. The eraser's
    // reach beyond the recomposite margin: the composite is rebuilt as far as the pen
    // reached, or the screen (and the picture Send writes) would keep erased ink.
    const std::int32_t reach = scaledPenWidth(lineWidth, dpi_) / 2 + 1;
    history_.touched(Rect{std::min(previousPoint.x, to.x), std::min(previousPoint.y, to.y),
                          std::max(previousPoint.x, to.x) + 1, std::max(previousPoint.y, to.y) + 1}
                         .widened(reach));
    changed =
        fudekko::recomposite(*inkPicture, *backgroundPicture, *compositePicture, previousPoint, to,
                             std::max(reach, scaledRecompositeMargin(dpi_)));
  }
  previousPoint = to;
  return changed;
}

Rect HandwritingSurface::recomposite(Point a, Point b) {
  if (!hasLayers()) return {};
  if (inkPicture) {
    return fudekko::recomposite(*inkPicture, *backgroundPicture, *compositePicture, a, b,
                                scaledRecompositeMargin(dpi_));
  }
  const std::int64_t margin = scaledRecompositeMargin(dpi_);
  const std::int64_t left = std::int64_t(std::min(a.x, b.x)) - margin;
  const std::int64_t top = std::int64_t(std::min(a.y, b.y)) - margin;
  const std::int64_t right = std::int64_t(std::max(a.x, b.x)) + margin;
  const std::int64_t bottom = std::int64_t(std::max(a.y, b.y)) + margin;
  const auto clamp32 = [](std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  return fudekko::recomposite(*inkLayer, *backgroundPicture, *compositePicture,
                              {clamp32(left), clamp32(top), clamp32(right), clamp32(bottom)});
}

// --- Smooth strokes ---

Rect HandwritingSurface::beginSmoothStroke(Point at) {
  // The white pen is the eraser: it takes ink away instead of laying white over it.
  rasterizer_.beginStroke(*inkLayer, colorTableEntry(colorIndex), colorIndex == kWhiteIndex,
                          scaledPenWidth(lineWidth, dpi_));
  smoother_.begin(pixelCentre(at), path_);
  lastDrawn_ = path_.front();
  return drawPath();
}

Rect HandwritingSurface::continueSmoothStroke(Point at) {
  smoother_.add(pixelCentre(at), path_);
  previousPoint = at;
  return drawPath();
}

Rect HandwritingSurface::endSmoothStroke(Point at) {
  smoother_.end(pixelCentre(at), path_);
  previousPoint = at;
  const Rect changed = drawPath();
  rasterizer_.endStroke();
  return changed;
}

Rect HandwritingSurface::drawPath() {
  Rect changed;
  for (const InkPoint& point : path_) {
    const Rect drawn = rasterizer_.segment(lastDrawn_, point);
    history_.touched(drawn);
    changed = changed.unite(drawn);
    lastDrawn_ = point;
  }
  path_.clear();
  if (!hasLayers()) return {};
  rasterizer_.takeChangedRows([this](std::int32_t y, std::int32_t left, std::int32_t right) {
    fudekko::recomposite(*inkLayer, *backgroundPicture, *compositePicture, {left, y, right, y + 1});
  });
  const Rect shown =
      changed.intersect({0, 0, compositePicture->width(), compositePicture->height()});
  return shown.empty() ? Rect{} : shown;
}

// --- Modes and sizing ---

Rect HandwritingSurface::onDrawingButtonClick(bool down, std::int32_t windowWidth,
                                              std::int32_t windowHeight, std::int32_t textAreaWidth,
                                              std::int32_t textAreaHeight,
                                              TextAreaSnapshot& snapshot) {
  savedWidth = windowWidth;
  savedHeight = windowHeight;
  if (!hasLayers()) return {};
  if (down) {
    backgroundPicture->setWidth(textAreaWidth);
    backgroundPicture->setHeight(textAreaHeight);
    if (!backgroundPicture->empty()) snapshot.paintInto(*backgroundPicture);
    // Whatever the painter did to the brush, area added by a later resize is white.
    backgroundPicture->setBrushColor(kWhite);
    // The ink keeps its pixels at the top-left: earlier strokes stay in place.
    if (inkPicture) {
      inkPicture->setWidth(textAreaWidth);
      inkPicture->setHeight(textAreaHeight);
    } else {
      inkLayer->setSize(textAreaWidth, textAreaHeight);
    }
    compositePicture->setWidth(textAreaWidth);
    compositePicture->setHeight(textAreaHeight);
    history_.rebase(inkRows());
  }
  return recomposite({0, 0}, {textAreaWidth, textAreaHeight});
}

void HandwritingSurface::onCanResize(bool drawingButtonDown, std::int32_t& width,
                                     std::int32_t& height) const {
  if (!drawingButtonDown) return;
  width = std::min(width, savedWidth);
  height = std::min(height, savedHeight);
}

void HandwritingSurface::onResize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight) {
  if (!backgroundPicture) return;
  backgroundPicture->setWidth(drawingAreaWidth);
  backgroundPicture->setHeight(drawingAreaHeight);
  if (inkPicture) {
    inkPicture->setWidth(drawingAreaWidth);
    inkPicture->setHeight(drawingAreaHeight);
  }
  if (inkLayer) inkLayer->setSize(drawingAreaWidth, drawingAreaHeight);
  history_.rebase(inkRows());
}

// --- History ---

Rect HandwritingSurface::undo() {
  if (penDown || !hasLayers()) return {};
  return showRestored(history_.undo(inkRows()));
}

Rect HandwritingSurface::redo() {
  if (penDown || !hasLayers()) return {};
  return showRestored(history_.redo(inkRows()));
}

Rect HandwritingSurface::showRestored(const Rect& restored) {
  if (restored.empty()) return {};
  // Exactly the restored pixels: no margin is needed around what is known.
  if (inkLayer) {
    return fudekko::recomposite(*inkLayer, *backgroundPicture, *compositePicture, restored);
  }
  // The spanned rectangle's right and bottom edges are exclusive, as `restored`'s are.
  return fudekko::recomposite(*inkPicture, *backgroundPicture, *compositePicture,
                              {restored.left, restored.top}, {restored.right, restored.bottom}, 0);
}

void HandwritingSurface::onClose() {
  backgroundPicture.reset();
  rasterizer_.endStroke();
  inkPicture.reset();
  inkLayer.reset();
  compositePicture.reset();
  glyphScratch.reset();
}

}  // namespace fudekko
