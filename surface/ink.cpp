#include "surface/ink.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "common/dpi.h"
#include "surface/compositing.h"
#include "surface/stroke_smoother.h"

namespace fudekko {

void Ink::redraw(Rect part, std::span<const Stroke> strokes) {
  part = part.intersect({0, 0, width(), height()});
  if (part.empty()) return;
  clear(part);
  for (const Stroke& stroke : strokes) {
    if (!stroke.bounds.intersect(part).empty()) render(stroke, part);
  }
}

namespace {

std::int32_t strokeDiameter(const StrokePen& pen) {
  return scaledPenWidth(pen.lineWidth, pen.dpi);
}

bool erases(const StrokePen& pen) {
  return pen.tool == StrokeTool::PartialEraser;
}

// The points' box widened by `by`, each side kept within 32 bits.
Rect boxAround(const std::vector<StrokePoint>& points, double by) {
  if (points.empty()) return {};
  double left = points.front().x, right = left, top = points.front().y, bottom = top;
  for (const StrokePoint& point : points) {
    left = std::min(left, double(point.x));
    right = std::max(right, double(point.x));
    top = std::min(top, double(point.y));
    bottom = std::max(bottom, double(point.y));
  }
  const auto clamped = [](double value) {
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, low, high));
  };
  return {clamped(std::floor(left - by)), clamped(std::floor(top - by)),
          clamped(std::ceil(right + by) + 1), clamped(std::ceil(bottom + by) + 1)};
}

class ClassicInk final : public Ink {
 public:
  ClassicInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite) {
    setSize(width, height);
  }

  void setSize(std::int32_t width, std::int32_t height) override {
    picture_.setBrushColor(kWhite);
    picture_.setSize(width, height);
  }
  std::int32_t width() const override { return picture_.width(); }
  std::int32_t height() const override { return picture_.height(); }

  InkCell cell(std::int32_t x, std::int32_t y) const override {
    const Color color = picture_.pixel(x, y);
    return color == kWhite ? kNoInk : inkCell(storedColorOf(color), 255);
  }

  Rect beginStroke(const StrokePen& pen, StrokePoint at) override {
    pen_ = pen;
    last_ = pixelOf(at);
    picture_.moveTo(last_);
    return {};
  }
  Rect continueStroke(StrokePoint to) override { return segmentTo(pixelOf(to)); }
  Rect endStroke(StrokePoint at) override { return segmentTo(pixelOf(at)); }
  // The segments reach the last position already.
  Rect breakOffStroke() override { return {}; }

  Rect reach(const Stroke& stroke) const override {
    return boxAround(stroke.points, strokeDiameter(stroke.pen) / 2 + 1);
  }

  StrokeOutline outline(const Stroke& stroke) const override {
    StrokeOutline outline{{}, std::max(strokeDiameter(stroke.pen), 1) / 2.0};
    for (const StrokePoint& point : stroke.points) {
      const Point pixel = pixelOf(point);
      outline.path.push_back(pixelCentre(pixel));
    }
    return outline;
  }

  Rect compose(Rect part) override { return recomposite(picture_, background_, composite_, part); }

 protected:
  void clear(const Rect& part) override {
    picture_.setBrushColor(kWhite);
    picture_.fillRect(part);
  }

  void render(const Stroke& stroke, const Rect& clip) override {
    if (stroke.points.empty()) return;
    picture_.setClip(clip);
    picture_.setPenWidth(strokeDiameter(stroke.pen));
    picture_.setPenColor(stroke.pen.color);
    picture_.moveTo(pixelOf(stroke.points.front()));
    for (std::size_t i = 1; i < stroke.points.size(); ++i)
      picture_.lineTo(pixelOf(stroke.points[i]));
    picture_.clearClip();
  }

 private:
  Rect segmentTo(Point to) {
    const std::int32_t width = strokeDiameter(pen_);
    picture_.setPenWidth(width);
    picture_.setPenColor(pen_.color);
    picture_.moveTo(last_);
    picture_.lineTo(to);
    // The line's pixels lie within half the pen's width of the segment. The eraser
    // reaches beyond the recomposite margin: the composite is rebuilt as far as the pen
    // reached, or the screen (and the picture Send writes) would keep erased ink.
    const std::int32_t reach = width / 2 + 1;
    const Rect shown =
        compose(spannedRect(last_, to, std::max(reach, scaledRecompositeMargin(pen_.dpi))));
    last_ = to;
    return shown;
  }

  const Picture& background_;
  Picture& composite_;
  Picture picture_;
  StrokePen pen_;
  Point last_;
};

InkPoint inkPointOf(const StrokePoint& point) {
  return {point.x, point.y};
}

class SmoothInk final : public Ink {
 public:
  SmoothInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite), layer_(width, height) {}

  void setSize(std::int32_t width, std::int32_t height) override { layer_.setSize(width, height); }
  std::int32_t width() const override { return layer_.width(); }
  std::int32_t height() const override { return layer_.height(); }

  InkCell cell(std::int32_t x, std::int32_t y) const override { return layer_.cell(x, y); }

  Rect beginStroke(const StrokePen& pen, StrokePoint at) override {
    rasterizer_.beginStroke(layer_, pen.color, erases(pen), strokeDiameter(pen));
    smoother_.begin(inkPointOf(at), path_);
    lastDrawn_ = path_.front();
    last_ = at;
    return drawPath();
  }

  Rect continueStroke(StrokePoint to) override {
    if (!rasterizer_.inStroke()) return {};
    smoother_.add(inkPointOf(to), path_);
    last_ = to;
    return drawPath();
  }

  Rect endStroke(StrokePoint at) override {
    if (!rasterizer_.inStroke()) return {};
    smoother_.end(inkPointOf(at), path_);
    last_ = at;
    const Rect shown = drawPath();
    rasterizer_.endStroke();
    return shown;
  }

  // The smoothed path ends its last piece at the last position.
  Rect breakOffStroke() override { return endStroke(last_); }

  Rect reach(const Stroke& stroke) const override {
    // The curve keeps within the box of the positions it is drawn through.
    return boxAround(stroke.points, std::max(strokeDiameter(stroke.pen), 1) / 2.0 + 1);
  }

  StrokeOutline outline(const Stroke& stroke) const override {
    return {smoothPath(stroke), std::max(strokeDiameter(stroke.pen), 1) / 2.0};
  }

  Rect compose(Rect part) override { return recomposite(layer_, background_, composite_, part); }

 protected:
  void clear(const Rect& part) override {
    for (std::int32_t y = part.top; y < part.bottom; ++y) {
      std::fill(layer_.row(y) + part.left, layer_.row(y) + part.right, kNoInk);
    }
  }

  void render(const Stroke& stroke, const Rect& clip) override {
    const std::vector<InkPoint> path = smoothPath(stroke);
    if (path.empty()) return;
    rasterizer_.beginStroke(layer_, stroke.pen.color, erases(stroke.pen),
                            strokeDiameter(stroke.pen), clip);
    InkPoint from = path.front();
    for (const InkPoint& to : path) {
      rasterizer_.segment(from, to);
      from = to;
    }
    rasterizer_.takeChangedRows([](std::int32_t, std::int32_t, std::int32_t) {});
    rasterizer_.endStroke();
  }

 private:
  // The path the smoother makes of the stroke's points, as it made it while drawing.
  static std::vector<InkPoint> smoothPath(const Stroke& stroke) {
    std::vector<InkPoint> path;
    if (stroke.points.empty()) return path;
    StrokeSmoother smoother;
    smoother.begin(inkPointOf(stroke.points.front()), path);
    // A released stroke's last point is its release, the end of the last piece; a
    // broken-off one's last position was added like the others before the stroke ended.
    const std::size_t added = stroke.released ? stroke.points.size() - 1 : stroke.points.size();
    for (std::size_t i = 1; i < added; ++i) smoother.add(inkPointOf(stroke.points[i]), path);
    smoother.end(inkPointOf(stroke.points.back()), path);
    return path;
  }

  // Draws the path as the smoother settled it and recomposites the rows it changed.
  Rect drawPath() {
    Rect changed;
    for (const InkPoint& point : path_) {
      changed = changed.unite(rasterizer_.segment(lastDrawn_, point));
      lastDrawn_ = point;
    }
    path_.clear();
    rasterizer_.takeChangedRows([this](std::int32_t y, std::int32_t left, std::int32_t right) {
      compose({left, y, right, y + 1});
    });
    const Rect shown = changed.intersect({0, 0, composite_.width(), composite_.height()});
    return shown.empty() ? Rect{} : shown;
  }

  const Picture& background_;
  Picture& composite_;
  InkLayer layer_;
  InkRasterizer rasterizer_;
  StrokeSmoother smoother_;
  std::vector<InkPoint> path_;
  InkPoint lastDrawn_;
  StrokePoint last_;
};

}  // namespace

std::unique_ptr<Ink> makeInk(bool smooth, std::int32_t width, std::int32_t height,
                             const Picture& background, Picture& composite) {
  if (smooth) return std::make_unique<SmoothInk>(width, height, background, composite);
  return std::make_unique<ClassicInk>(width, height, background, composite);
}

}  // namespace fudekko
