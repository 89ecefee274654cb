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
#include "surface/drawing_change.h"
#include "surface/ink.h"
#include "surface/pen_frames.h"
#include "surface/pen_tools.h"
#include "surface/stroke.h"
#include "surface/stroke_edits.h"
#include "surface/stroke_list.h"

namespace fudekko {

// The input a stroke comes from. A stroke belongs to the input that began it: another
// input's moves and ends leave it alone, and another's begin ends it first.
enum class StrokeSource { Mouse, Pen };

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
  // The pen and the highlighter read from the settings, brought into range.
  void setStartPen(const Pen& stored);
  void setStartHighlighter(const Pen& stored);
  // Last creation step: background, ink and composite, white (the ink empty), at the
  // text area's size.
  void createLayers(std::int32_t width, std::int32_t height);

  // --- The pen and the tool ---
  // The pen in force: the eraser's while the eraser is chosen.
  const Pen& pen() const { return choice_.pen; }
  const Pen& highlighter() const { return choice_.highlighter; }
  // What the colour and line buttons show and change: the highlighter's colour and
  // width while it is chosen, else the pen in force.
  const Pen& toolPen() const;
  // The next colour of the table, after white the first; returns the new tool pen,
  // which the program keeps between runs.
  const Pen& cyclePenColor();
  // The pen: two pixels wider, or 1 past 8 (so 1, 3, 5, 7 in turn). The highlighter:
  // four pixels wider, or 8 past 24. Returns the new tool pen.
  const Pen& cyclePenWidth();
  // Choosing the eraser puts the white pen, kEraserWidth wide, in force; choosing
  // another tool brings back the pen it replaced. Nothing to keep between runs. Takes
  // effect at the next stroke.
  void chooseTool(ChosenTool tool);
  ChosenTool chosenTool() const { return choice_.chosen; }
  // The partial eraser (the default) draws eraser strokes; the stroke eraser removes
  // the strokes its sweep touches, in one step. Takes effect at the next stroke.
  void setEraserKind(EraserKind kind) { choice_.eraserKind = kind; }
  EraserKind eraserKind() const { return choice_.eraserKind; }
  // The brush pen: strokes start and end tapered and their width follows the speed of
  // writing. Takes effect at the next stroke.
  void setBrushPen(bool on) { choice_.brushPen = on; }
  bool brushPen() const { return choice_.brushPen; }
  // What a stroke begun now by the mouse or a pen's tip does (surface/pen_tools.h).
  ToolInForce toolInForce() const { return decideTool(choice_); }

  // --- DPI ---
  // The DPI of the window the surface is shown in (96 until set). The pen keeps its
  // 96-DPI width, as stored; strokes are drawn scaledPenWidth(width, dpi) device pixels
  // wide and recomposited with the margin scaled alike. The layers keep their pixels
  // (ink stays as it was drawn).
  void setDpi(int dpi);
  int dpi() const { return dpi_; }

  // --- Strokes (drawing-area coordinates) ---
  // One API for every input. A stroke goes down at a point, is extended through the
  // points that follow (those of one input message together: smooth ink draws its
  // unsettled tail once, after the last), and ends where it is released, or where it
  // reached when it is broken off (nothing: a missed release, another input's begin).
  // `contact`: a pen's pressure (the width along the stroke; the brush's instead of the
  // speed of writing) and its eraser end, which erases with the eraser of the chosen
  // kind, leaving the chosen tool as it is. A begin while a stroke is being drawn ends
  // that stroke first; an extend or end of another source than the stroke's does nothing.
  // `straight` (Shift held): the stroke is drawn anew as a straight line from where it
  // began to the last point; without it the stroke goes on from there as drawn.
  SurfaceOutcome beginStroke(StrokeSource source, StrokePoint at, PenContact contact = {});
  SurfaceOutcome extendStroke(StrokeSource source, std::span<const StrokePoint> to,
                              bool straight = false);
  SurfaceOutcome endStroke(StrokeSource source, std::optional<StrokePoint> releasedAt,
                           bool straight = false);
  // The stroke being drawn, held still, becomes the shape it resembles
  // (surface/shape_recognizer.h), drawn with the same pen at once; later moves and Shift
  // leave it so. Released, it is two steps: the freehand stroke as drawn, then its
  // replacement by the shape, so that the first undo gives the freehand stroke back.
  // Nothing for a stroke that resembles no shape, a sweep, or one snapped already.
  SurfaceOutcome snapToShape();
  // Between a begin and the end of its stroke.
  bool isDrawing() const { return drawing_.has_value(); }
  bool isDrawing(StrokeSource source) const { return drawing_ == source; }
  // The pixel the stroke being drawn last reached.
  Point position() const { return position_; }

  // --- Editing strokes (what the lasso selected) ---
  // `selected`: indices into strokes(), ascending, without repeats. Each edit is one step
  // and does nothing while a stroke is being drawn or for a selection that is not one.
  // Moved and scaled strokes come to the top, looking as they looked (their erased gaps
  // go with them); recoloured ones keep their kind and place.
  SurfaceOutcome transformStrokes(std::span<const std::uint32_t> selected,
                                  const StrokeTransform& transform);
  SurfaceOutcome recolourStrokes(std::span<const std::uint32_t> selected, Color color);
  SurfaceOutcome removeStrokes(std::span<const std::uint32_t> selected);

  // --- The strokes and their history ---
  // Partial-eraser strokes are strokes too, and a sweep of the stroke eraser is a step.
  // Undo takes the last step back, redo brings it again. Nothing while a stroke is being
  // drawn. The history lasts through mode changes and Sends.
  std::span<const Stroke> strokes() const { return strokes_.strokes(); }
  bool canUndo() const { return strokes_.canUndo(); }
  bool canRedo() const { return strokes_.canRedo(); }
  SurfaceOutcome undo();
  SurfaceOutcome redo();
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
  SurfaceOutcome resize(std::int32_t drawingAreaWidth, std::int32_t drawingAreaHeight);
  // Frees the background, ink and composite.
  void releaseLayers();

  // --- The layers, read-only; null while absent ---
  // The picture the screen shows and Send writes.
  const Picture* composite() const { return composite_.get(); }
  const Picture* background() const { return background_.get(); }
  const Ink* ink() const { return ink_.get(); }

 private:
  // Goes on with the stroke or sweep being drawn to `point`.
  SurfaceOutcome continueTo(StrokePoint point);
  // The stroke or sweep that the tool in force starts at `at`.
  SurfaceOutcome startStroke(StrokePoint at);
  // Ends the stroke or sweep being drawn: released at `at`, or broken off.
  SurfaceOutcome finishStroke(std::optional<StrokePoint> releasedAt);
  // Takes back what the stroke being drawn drew and begins it again at `from`.
  Rect restartLiveStroke(StrokePoint from);
  StrokeInput liveInput() const;
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
  ToolChoice choice_;
  // The pen that the eraser replaced.
  Pen penBeforeEraser_;
  // The input of the stroke being drawn, and how a pen touches.
  std::optional<StrokeSource> drawing_;
  PenContact contact_;
  // The last position a stroke was given: a stroke cut by a resize goes on from there.
  Point position_;
  // The ink is laid over the background into the composite; all three exist together
  // (the ink refers to the other two, which are declared first and freed last).
  std::unique_ptr<Picture> background_;
  std::unique_ptr<Picture> composite_;
  std::unique_ptr<Ink> ink_;
  StrokeList strokes_;
  // The stroke being drawn (its pen and points so far), or the sweep's path; where it
  // began, and the part of the composite it has drawn on.
  Stroke live_;
  StrokePoint liveStart_;
  StrokePoint liveEnd_;
  Rect liveArea_;
  // Once the stroke being drawn snapped to a shape: the freehand stroke as drawn, and the
  // shape's last point, where it ends whatever the pointer does.
  std::optional<Stroke> freehand_;
  StrokePoint shapeEnd_;
  bool sweeping_ = false;
  // The indices the sweep in progress took, in order.
  std::vector<std::uint32_t> swept_;
};

}  // namespace fudekko
