#pragma once
// The handwriting surface of the main window: the pen, its tool glyphs, the three
// layers (text snapshot, ink, composite), strokes and the two modes. MainWindow owns
// one and forwards its handlers to it; everything here runs without a window.

#include <cstdint>
#include <memory>

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink_layer.h"
#include "surface/ink_rasterizer.h"
#include "surface/pen_tools.h"
#include "surface/stroke_history.h"
#include "surface/stroke_smoother.h"

namespace fudekko {

// Mouse buttons, as flags so that a set of held buttons fits in one value.
enum MouseButton : unsigned {
  kNoButton = 0,
  kLeftButton = 1,
  kRightButton = 2,
  kMiddleButton = 4,
};

// The text area paints what it shows into a picture (for the handwriting snapshot).
class TextAreaSnapshot {
 public:
  virtual ~TextAreaSnapshot() = default;
  // `picture` is a device picture of the text area's size: fill all of it.
  virtual void paintInto(Picture& picture) = 0;
};

// Captions of DrawingButton, UTF-8.
inline constexpr const char* kDrawingCaptionUp = "手書き";
inline constexpr const char* kDrawingCaptionDown = "手書き中";
inline const char* drawingButtonCaption(bool down) {
  return down ? kDrawingCaptionDown : kDrawingCaptionUp;
}

// Size of the design-time glyph of the colour and line buttons, at 96 DPI.
inline constexpr std::int32_t kGlyphWidth = 64;
inline constexpr std::int32_t kGlyphHeight = 45;

class HandwritingSurface {
 public:
  // `penStore` receives the pen on every glyph redraw; it must outlive this object.
  explicit HandwritingSurface(PenStore& penStore);

  // --- Creation sequence ---
  // Smooth ink (the default): anti-aliased strokes along a smoothed path, held as
  // colour plus coverage in inkLayer. Classic ink: aliased straight segments between
  // the mouse positions in inkPicture, white being transparent. Set before createLayers.
  void setSmoothInk(bool smooth) { smoothInk_ = smooth; }
  bool smoothInk() const { return smoothInk_; }
  // The pen read from the settings (brought into range), also as the saved pen.
  void setStartPen(std::int32_t storedColor, std::int32_t storedWidth);
  // Last creation step: background, ink and composite, white (the ink empty), at the
  // text area's size.
  void createLayers(std::int32_t width, std::int32_t height);

  // --- Pen tools ---
  void onColorButtonClick();
  void onLineButtonClick();
  // `down`: the button's state after the platform toggled it.
  void onEraseButtonClick(bool down);
  // Redraws lineGlyph and colorGlyph from the pen, then stores the pen, which may
  // throw; the glyphs and the pen are in force by then.
  void updatePenGlyphs();

  // --- DPI ---
  // The DPI of the window the surface is shown in (96 until set). lineWidth keeps its
  // 96-DPI meaning, as stored; strokes are drawn scaledPenWidth(lineWidth, dpi) device
  // pixels wide and recomposited with the margin scaled alike. The glyphs are redrawn
  // at the scaled size; the layers keep their pixels (ink stays as it was drawn).
  void setDpi(int dpi);
  int dpi() const { return dpi_; }

  // --- Strokes (drawing-area coordinates) ---
  // Each returns the rectangle of compositePicture that changed (possibly empty): the
  // shell copies it onto the screen at once.
  // `button`: the button that went down.
  Rect onDrawingAreaMouseDown(MouseButton button, Point at);
  // `held`: the buttons held during the move (a MouseButton combination). A move that
  // comes while none of the buttons that started the stroke is held means their
  // release was missed (it happened outside the drawing area, which keeps the mouse
  // only for the left button): the stroke ends without drawing towards `at` (smooth
  // ink completes its last piece up to the previous position).
  Rect onDrawingAreaMouseMove(unsigned held, Point at);
  Rect onDrawingAreaMouseUp(MouseButton button, Point at);
  // Rebuilds the composite around the rectangle spanned by `a` and `b`, widened by the
  // margin; returns the rebuilt part. Nothing after onClose.
  Rect recomposite(Point a, Point b);

  // --- History of strokes ---
  // A stroke runs from a button's press to its release (or to the move that finds the
  // release missed); eraser strokes are strokes too. Undo takes the last one back, redo
  // brings it again; each returns the rectangle of the composite to show. Nothing
  // while a stroke is being drawn. The history lasts through mode changes and Sends.
  bool canUndo() const { return history_.canUndo(); }
  bool canRedo() const { return history_.canRedo(); }
  Rect undo();
  Rect redo();

  // --- Modes and sizing ---
  // `down`: DrawingButton's state after the platform toggled it (down: the mode is
  // being entered, the text area is still visible). `windowWidth/Height`: the main
  // window's outer size; `textArea*`: the text area's size. On entry `snapshot`
  // paints the background. Recomposites everything and returns the rectangle to show.
  // The shell sets the caption (drawingButtonCaption) and shows the text area exactly
  // when the button is up.
  Rect onDrawingButtonClick(bool down, std::int32_t windowWidth, std::int32_t windowHeight,
                            std::int32_t textAreaWidth, std::int32_t textAreaHeight,
                            TextAreaSnapshot& snapshot);
  // Lowers a proposed outer size to the one recorded at the last DrawingButton click
  // while the button is down.
  void onCanResize(bool drawingButtonDown, std::int32_t& width, std::int32_t& height) const;
  // After every size change: background and ink follow the drawing area; the composite
  // keeps its size. Nothing before createLayers or after onClose.
  void onResize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight);
  // Frees the background, ink, composite and glyph scratch pictures.
  void onClose();

  // The main window's fields that live here, in the window's field order. A picture
  // pointer is null while the picture is absent.
  bool penDown = false;
  Point previousPoint;
  std::int32_t lineWidth = kDefaultPenWidth;
  std::int32_t colorIndex = kDefaultPenColor;
  std::unique_ptr<Picture> glyphScratch;
  std::unique_ptr<Picture> inkPicture;  // classic ink only
  std::unique_ptr<InkLayer> inkLayer;   // smooth ink only
  std::unique_ptr<Picture> backgroundPicture;
  std::unique_ptr<Picture> compositePicture;
  std::int32_t savedWidth = 0;
  std::int32_t savedHeight = 0;
  std::int32_t savedColorIndex = kDefaultPenColor;
  std::int32_t savedLineWidth = kDefaultPenWidth;

  // The glyphs of LineButton and ColorButton (24-bit, 64 x 45 at 96 DPI); their bottom-left
  // pixel is the transparent colour that shows as the button face.
  Picture lineGlyph;
  Picture colorGlyph;

 private:
  Rect segmentTo(Point to);
  bool hasLayers() const;
  void drawPenGlyphs();
  // Smooth ink: the stroke's path as the smoother settles it, drawn and recomposited.
  Rect beginSmoothStroke(Point at);
  Rect continueSmoothStroke(Point at);
  Rect endSmoothStroke(Point at);
  Rect drawPath();
  // The ink, as the history sees it.
  PixelRows inkRows();
  // Recomposites what undo or redo put back into the ink.
  Rect showRestored(const Rect& restored);

  PenStore& penStore_;
  int dpi_ = kBaseDpi;
  bool smoothInk_ = true;
  InkRasterizer rasterizer_;
  StrokeSmoother smoother_;
  std::vector<InkPoint> path_;
  InkPoint lastDrawn_;
  StrokeHistory history_;
  // The buttons pressed since the stroke began.
  unsigned strokeButtons_ = kNoButton;
};

}  // namespace fudekko
