#pragma once
// The handwriting surface of the main window: the pen, the three layers (text
// snapshot, ink, composite), strokes, their history and the two modes. MainWindow owns
// one and tells it what the user does; everything here runs without a window.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "common/dpi.h"
#include "imaging/geometry.h"
#include "imaging/picture.h"
#include "surface/ink.h"
#include "surface/journal_writer.h"
#include "surface/pen_frames.h"
#include "surface/pen_tools.h"
#include "surface/stroke.h"
#include "surface/stroke_list.h"

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

class HandwritingSurface {
 public:
  // A stroke longer than this goes on as a new one.
  static constexpr std::size_t kMaxStrokePoints = std::size_t{1} << 20;

  // --- Creation sequence ---
  // Smooth ink (the default) or the classic look (see surface/ink.h). Set before
  // createLayers.
  void setSmoothInk(bool smooth) { smoothInk_ = smooth; }
  bool smoothInk() const { return smoothInk_; }
  // The pen read from the settings, brought into range.
  void setStartPen(const Pen& stored);
  // Last creation step: background, ink and composite, white (the ink empty), at the
  // text area's size.
  void createLayers(std::int32_t width, std::int32_t height);

  // --- The pen ---
  // The pen in force: the eraser's while it is on.
  const Pen& pen() const { return pen_; }
  // The next colour of the table, after white the first; returns the new pen, which the
  // program keeps between runs.
  const Pen& cyclePenColor();
  // Two pixels wider, or 1 past 8 (so 1, 3, 5, 7 in turn); returns the new pen.
  const Pen& cyclePenWidth();
  // The eraser is the white pen, kEraserWidth wide; turning it off brings back the pen
  // it replaced. Nothing to keep between runs.
  void setEraser(bool on);
  bool eraser() const { return eraser_; }
  // The partial eraser (the default) draws eraser strokes; the stroke eraser removes
  // the strokes its sweep touches, in one step. Takes effect at the next stroke.
  void setEraserKind(EraserKind kind) { eraserKind_ = kind; }
  EraserKind eraserKind() const { return eraserKind_; }
  // The brush pen: strokes start and end tapered and their width follows the speed of
  // writing. Takes effect at the next stroke.
  void setBrushPen(bool on) { brushPen_ = on; }
  bool brushPen() const { return brushPen_; }

  // --- DPI ---
  // The DPI of the window the surface is shown in (96 until set). The pen keeps its
  // 96-DPI width, as stored; strokes are drawn scaledPenWidth(width, dpi) device pixels
  // wide and recomposited with the margin scaled alike. The layers keep their pixels
  // (ink stays as it was drawn).
  void setDpi(int dpi);
  int dpi() const { return dpi_; }

  // --- Strokes (drawing-area coordinates) ---
  // Each returns the rectangle of the composite that changed (possibly empty): the
  // shell copies it onto the screen at once.
  // `button` went down; a second button restarts the stroke where it went down.
  Rect penDown(MouseButton button, Point at, std::uint32_t time = 0);
  // `held`: the buttons held during the move (a MouseButton combination). A move that
  // comes while none of the buttons that started the stroke is held means their
  // release was missed (it happened outside the drawing area, which keeps the mouse
  // only for the left button): the stroke ends without drawing towards `at` (smooth
  // ink completes its last piece up to the previous position).
  Rect penMove(unsigned held, Point at, std::uint32_t time = 0);
  Rect penUp(MouseButton button, Point at, std::uint32_t time = 0);
  // A stroke from a pen's own input: points with sub-pixel positions and, where
  // `contact` says so, the pen's pressure (the width along the stroke; the brush's
  // instead of the speed of writing). A stroke that erases does so with the eraser of
  // the chosen kind, leaving the pen and the tool buttons as they are. Mouse moves and
  // releases are ignored while it lasts; a pen down during a mouse stroke, or a button
  // pressed during a pen's, ends the stroke being drawn first.
  Rect penStrokeDown(StrokePoint at, PenContact contact);
  // The samples of one message in order; the ink's unsettled tail is drawn once, after
  // the last.
  Rect penStrokeMove(std::span<const StrokePoint> to);
  Rect penStrokeUp(StrokePoint at);
  // Between a button's press (or a pen's contact) and the end of its stroke.
  bool isDrawing() const { return drawing_; }
  // The last position a stroke was given.
  Point penPosition() const { return penPosition_; }

  // --- The strokes and their history ---
  // A stroke runs from a button's press to its release (or to the move that finds the
  // release missed); partial-eraser strokes are strokes too, and a sweep of the stroke
  // eraser is a step. Undo takes the last step back, redo brings it again; each
  // returns the rectangle of the composite to show. Nothing while a stroke is being
  // drawn. The history lasts through mode changes and Sends.
  std::span<const Stroke> strokes() const { return strokes_.strokes(); }
  const StrokeList& strokeList() const { return strokes_; }
  bool canUndo() const { return strokes_.canUndo(); }
  bool canRedo() const { return strokes_.canRedo(); }
  Rect undo();
  Rect redo();
  // Each finished stroke, sweep, undo and redo is appended to `journal` (none: not
  // journaled).
  void setJournal(JournalAppender* journal) { journal_ = journal; }
  // Strokes and history as a journal left them; the ink is rendered from them. Returns
  // the part of the composite to show.
  Rect restoreStrokes(StrokeList strokes);

  // --- Modes and sizing ---
  // Entering handwriting mode while the text area, `width` x `height`, is still visible:
  // `snapshot` paints the background, the ink and the composite take the text area's
  // size. Entering and leaving recomposite the text area's rectangle and return what to
  // show. Nothing before createLayers or after releaseLayers.
  Rect enterHandwriting(TextAreaSnapshot& snapshot, std::int32_t width, std::int32_t height);
  Rect leaveHandwriting(std::int32_t width, std::int32_t height);
  // After every size change: background and ink follow the drawing area (new ink area
  // is rendered from the strokes); the composite keeps its size. A stroke being drawn
  // ends there and goes on as a new one. Nothing before createLayers or after
  // releaseLayers.
  void resize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight);
  // Frees the background, ink and composite.
  void releaseLayers();

  // --- The layers, read-only; null while absent ---
  // The picture the screen shows and Send writes.
  const Picture* composite() const { return composite_.get(); }
  const Picture* background() const { return background_.get(); }
  const Ink* ink() const { return ink_.get(); }

 private:
  // The eraser's, when the eraser is on or the pen's stroke erases.
  bool erasing() const { return eraser_ || penContact_.erases; }
  StrokePen strokePen() const;
  bool sweepsStrokes() const { return erasing() && eraserKind_ == EraserKind::Stroke; }
  // Goes on with the stroke or sweep being drawn to `point`.
  Rect continueTo(StrokePoint point);
  // The stroke or sweep that `button` starts at `at`.
  Rect startStroke(StrokePoint at);
  // Ends the stroke or sweep being drawn: released at `at`, or broken off.
  Rect finishStroke(std::optional<StrokePoint> releasedAt);
  // The stroke eraser's sweep reaches `to`: the strokes it touches go.
  Rect sweepTo(StrokePoint to);
  // Sets the ink's size, rendering the area it gained from the strokes.
  void resizeInk(std::int32_t width, std::int32_t height);
  // Renders `part` of the ink anew from the strokes and recomposites it.
  Rect redrawAndShow(const Rect& part);
  // Rebuilds the composite around the rectangle spanned by `a` and `b`, widened by the
  // margin; returns the rebuilt part.
  Rect recomposeAround(Point a, Point b);

  int dpi_ = kBaseDpi;
  bool smoothInk_ = true;
  Pen pen_;
  // The pen that the eraser replaced.
  Pen penBeforeEraser_;
  bool eraser_ = false;
  EraserKind eraserKind_ = EraserKind::Partial;
  bool brushPen_ = false;
  bool drawing_ = false;
  Point penPosition_;
  // The buttons pressed since the stroke began.
  unsigned strokeButtons_ = kNoButton;
  // The stroke being drawn is a pen's, drawn as `penContact_` says; otherwise the
  // contact is the mouse's (no pressure, no erasing of its own).
  bool penStroke_ = false;
  PenContact penContact_;
  // The ink is laid over the background into the composite; all three exist together
  // (the ink refers to the other two, which are declared first and freed last).
  std::unique_ptr<Picture> background_;
  std::unique_ptr<Picture> composite_;
  std::unique_ptr<Ink> ink_;
  StrokeList strokes_;
  // The stroke being drawn (its pen and points so far), or the sweep's path.
  Stroke live_;
  bool sweeping_ = false;
  // The indices the sweep in progress took, in order, for the journal.
  std::vector<std::uint32_t> swept_;
  JournalAppender* journal_ = nullptr;
};

}  // namespace fudekko
