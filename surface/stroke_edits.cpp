#include "surface/stroke_edits.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

StrokePoint StrokeTransform::apply(StrokePoint point) const {
  point.x = anchorX + (point.x - anchorX) * scale + dx;
  point.y = anchorY + (point.y - anchorY) * scale + dy;
  return point;
}

Rect StrokeTransform::apply(const Rect& box) const {
  if (box.empty()) return box;
  const auto x = [this](double value) { return anchorX + (value - anchorX) * scale + dx; };
  const auto y = [this](double value) { return anchorY + (value - anchorY) * scale + dy; };
  // A pen's width scales about its centre line: a pixel more each side covers the rounding.
  return {clampToInt32(std::floor(x(box.left)) - 1), clampToInt32(std::floor(y(box.top)) - 1),
          clampToInt32(std::ceil(x(box.right)) + 1), clampToInt32(std::ceil(y(box.bottom)) + 1)};
}

namespace {

Stroke transformed(Stroke stroke, const StrokeTransform& transform) {
  for (StrokePoint& point : stroke.points) point = transform.apply(point);
  if (transform.scale != 1) {
    stroke.pen.lineWidth = std::max<std::int32_t>(
        1, static_cast<std::int32_t>(std::lround(stroke.pen.lineWidth * double(transform.scale))));
  }
  stroke.bounds = transform.apply(stroke.bounds);
  for (Stroke& cut : stroke.cuts) cut = transformed(std::move(cut), transform);
  return stroke;
}

}  // namespace

std::vector<Stroke> transformedStrokes(std::span<const Stroke> strokes,
                                       std::span<const std::uint32_t> selected,
                                       const StrokeTransform& transform) {
  std::vector<Stroke> result;
  result.reserve(selected.size());
  for (const std::uint32_t index : selected) {
    Stroke stroke = strokes[index];
    for (std::size_t later = index + 1; later < strokes.size(); ++later) {
      const Stroke& eraser = strokes[later];
      if (eraser.pen.tool == StrokeTool::PartialEraser &&
          !eraser.bounds.intersect(stroke.bounds).empty()) {
        Stroke cut = eraser;
        cut.cuts.clear();
        stroke.cuts.push_back(std::move(cut));
      }
    }
    result.push_back(transformed(std::move(stroke), transform));
  }
  return result;
}

std::vector<Stroke> recolouredStrokes(std::span<const Stroke> strokes,
                                      std::span<const std::uint32_t> selected, Color color) {
  std::vector<Stroke> result;
  result.reserve(selected.size());
  for (const std::uint32_t index : selected) {
    result.push_back(strokes[index]);
    // An eraser's stroke takes ink away whatever its colour: it keeps its own.
    if (result.back().pen.tool != StrokeTool::PartialEraser) result.back().pen.color = color;
  }
  return result;
}

}  // namespace fudekko
