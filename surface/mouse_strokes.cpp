#include "surface/mouse_strokes.h"

namespace fudekko {

SurfaceOutcome MouseStrokes::press(MouseButton button, Point at, std::uint32_t time) {
  if (!surface_.isDrawing(StrokeSource::Mouse)) buttons_ = kNoButton;
  buttons_ |= button;
  return surface_.beginStroke(StrokeSource::Mouse, strokePointAt(at, time));
}

SurfaceOutcome MouseStrokes::move(unsigned held, std::span<const StrokePoint> to, bool straight) {
  if (!surface_.isDrawing(StrokeSource::Mouse)) return {};
  if ((held & buttons_) == 0) {
    buttons_ = kNoButton;
    return surface_.endStroke(StrokeSource::Mouse, std::nullopt);
  }
  return surface_.extendStroke(StrokeSource::Mouse, to, straight);
}

SurfaceOutcome MouseStrokes::move(unsigned held, Point at, std::uint32_t time, bool straight) {
  const StrokePoint point = strokePointAt(at, time);
  return move(held, std::span(&point, 1), straight);
}

SurfaceOutcome MouseStrokes::release(Point at, std::uint32_t time, bool straight) {
  if (!surface_.isDrawing(StrokeSource::Mouse)) return {};
  buttons_ = kNoButton;
  return surface_.endStroke(StrokeSource::Mouse, strokePointAt(at, time), straight);
}

}  // namespace fudekko
