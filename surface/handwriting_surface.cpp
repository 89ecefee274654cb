#include "surface/handwriting_surface.h"

#include <algorithm>

#include "surface/compositing.h"

namespace fudekko {

HandwritingSurface::HandwritingSurface(PenStore& penStore)
    : LineGlyph(PixelFormat::Bits24, kGlyphWidth, kGlyphHeight),
      ColorGlyph(PixelFormat::Bits24, kGlyphWidth, kGlyphHeight),
      penStore_(penStore) {}

void HandwritingSurface::setStartPen(std::int32_t colorIndex, std::int32_t lineWidth) {
  ColorIndex = SavedColorIndex = penColorInRange(colorIndex);
  LineWidth = SavedLineWidth = penWidthInRange(lineWidth);
}

void HandwritingSurface::createLayers(std::int32_t width, std::int32_t height) {
  BackgroundPicture = std::make_unique<Picture>();
  InkPicture = std::make_unique<Picture>();
  CompositePicture = std::make_unique<Picture>();
  for (Picture* layer : {BackgroundPicture.get(), InkPicture.get(), CompositePicture.get()}) {
    layer->setWidth(width);
    layer->setHeight(height);
  }
}

// --- Pen tools ---

void HandwritingSurface::ColorButtonClick() {
  // The remainder keeps the sign of the dividend; the index is kept in range, so this
  // only ever steps 15 to 0.
  ColorIndex = penColorInRange((ColorIndex + 1) % 16);
  UpdatePenGlyphs();
}

void HandwritingSurface::LineButtonClick() {
  LineWidth += 2;
  if (LineWidth > 8) LineWidth = 1;
  UpdatePenGlyphs();
}

void HandwritingSurface::EraseButtonClick(bool down) {
  if (down) {
    SavedColorIndex = ColorIndex;
    SavedLineWidth = LineWidth;
    ColorIndex = kWhiteIndex;
    LineWidth = kEraserWidth;
  } else {
    ColorIndex = SavedColorIndex;
    LineWidth = SavedLineWidth;
  }
}

void HandwritingSurface::UpdatePenGlyphs() {
  GlyphScratch = std::make_unique<Picture>(LineGlyph);
  Picture& scratch = *GlyphScratch;
  const std::int32_t w = scratch.width();
  const std::int32_t h = scratch.height();

  // Line glyph: a black bar of the pen's width on white.
  scratch.setBrushColor(colorTableEntry(kWhiteIndex));
  scratch.fillRect({0, 0, w, h});
  scratch.setPenColor(kBlack);
  scratch.setPenWidth(LineWidth);
  scratch.moveTo({20, h / 2});
  scratch.lineTo({w - 20, h / 2});
  LineGlyph = scratch;

  // Colour glyph: a black-edged swatch on a background entry that is never the pen's
  // own colour, so the swatch never turns transparent.
  scratch.setBrushColor(colorTableEntry((ColorIndex + 1) % 14 + 1));
  scratch.fillRect({0, 0, w, h});
  scratch.setPenColor(kBlack);
  scratch.setPenWidth(1);
  scratch.setBrushColor(colorTableEntry(ColorIndex));
  const Rect swatch{15, 10, w - 15, h - 10};
  scratch.fillRect(swatch);
  scratch.rectangle(swatch);
  ColorGlyph = scratch;

  penStore_.storePen(ColorIndex, LineWidth);
}

// --- Strokes ---

Rect HandwritingSurface::Image1MouseDown(MouseButton button, Point at) {
  if (!PenDown) strokeButtons_ = kNoButton;
  strokeButtons_ |= button;
  PenDown = true;
  if (InkPicture) InkPicture->moveTo(at);
  PrevPoint = at;
  return {};
}

Rect HandwritingSurface::Image1MouseMove(unsigned held, Point at) {
  if (!PenDown) return {};
  if ((held & strokeButtons_) == 0) {
    PenDown = false;
    strokeButtons_ = kNoButton;
    return {};
  }
  return segmentTo(at);
}

Rect HandwritingSurface::Image1MouseUp(MouseButton /*button*/, Point at) {
  if (!PenDown) return {};
  const Rect changed = segmentTo(at);
  PenDown = false;
  strokeButtons_ = kNoButton;
  return changed;
}

Rect HandwritingSurface::segmentTo(Point to) {
  Rect changed;
  if (InkPicture) {
    InkPicture->setPenWidth(LineWidth);
    InkPicture->setPenColor(colorTableEntry(ColorIndex));
    InkPicture->lineTo(to);
    changed = Recomposite(PrevPoint, to);
  }
  PrevPoint = to;
  return changed;
}

Rect HandwritingSurface::Recomposite(Point a, Point b) {
  if (!InkPicture || !BackgroundPicture || !CompositePicture) return {};
  return recomposite(*InkPicture, *BackgroundPicture, *CompositePicture, a, b);
}

// --- Modes and sizing ---

Rect HandwritingSurface::DrawingButtonClick(bool down, std::int32_t windowWidth,
                                            std::int32_t windowHeight, std::int32_t textAreaWidth,
                                            std::int32_t textAreaHeight,
                                            TextAreaSnapshot& snapshot) {
  SavedWidth = windowWidth;
  SavedHeight = windowHeight;
  if (!InkPicture || !BackgroundPicture || !CompositePicture) return {};
  if (down) {
    BackgroundPicture->setWidth(textAreaWidth);
    BackgroundPicture->setHeight(textAreaHeight);
    if (!BackgroundPicture->empty()) snapshot.paintInto(*BackgroundPicture);
    // Whatever the painter did to the brush, area added by a later resize is white.
    BackgroundPicture->setBrushColor(kWhite);
    // The ink keeps its pixels at the top-left: earlier strokes stay in place.
    InkPicture->setWidth(textAreaWidth);
    InkPicture->setHeight(textAreaHeight);
    CompositePicture->setWidth(textAreaWidth);
    CompositePicture->setHeight(textAreaHeight);
  }
  return Recomposite({0, 0}, {textAreaWidth, textAreaHeight});
}

void HandwritingSurface::FormCanResize(bool drawingButtonDown, std::int32_t& width,
                                       std::int32_t& height) const {
  if (!drawingButtonDown) return;
  width = std::min(width, SavedWidth);
  height = std::min(height, SavedHeight);
}

void HandwritingSurface::FormResize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight) {
  if (!BackgroundPicture) return;
  BackgroundPicture->setWidth(drawingAreaWidth);
  BackgroundPicture->setHeight(drawingAreaHeight);
  if (!InkPicture) return;
  InkPicture->setWidth(drawingAreaWidth);
  InkPicture->setHeight(drawingAreaHeight);
}

void HandwritingSurface::FormClose() {
  BackgroundPicture.reset();
  InkPicture.reset();
  CompositePicture.reset();
  GlyphScratch.reset();
}

}  // namespace fudekko
