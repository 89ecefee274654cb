#include "surface/ink.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "common/dpi.h"
#include "surface/brush_pressure.h"
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

bool marks(const StrokePen& pen) {
  return pen.tool == StrokeTool::Highlighter;
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
  return {clampToInt32(std::floor(left - by)), clampToInt32(std::floor(top - by)),
          clampToInt32(std::ceil(right + by) + 1), clampToInt32(std::ceil(bottom + by) + 1)};
}

// Classic ink keeps the highlighter's marks in a picture of their own (pure white marks
// nothing), made at the first highlighter stroke; a stroke being marked is drawn black
// into a mask first, so that where it crosses itself it still multiplies only once.
class ClassicInk final : public Ink {
 public:
  ClassicInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite) {
    setSize(width, height);
  }

  void setSize(std::int32_t width, std::int32_t height) override {
    for (Picture* picture : {&picture_, &marks_, &marksBefore_, &mask_}) {
      if (picture == &picture_ || !picture->empty()) {
        picture->setBrushColor(kWhite);
        picture->setSize(width, height);
      }
    }
  }
  std::int32_t width() const override { return picture_.width(); }
  std::int32_t height() const override { return picture_.height(); }

  InkCell cell(std::int32_t x, std::int32_t y) const override {
    const Color color = picture_.pixel(x, y);
    return color == kWhite ? kNoInk : inkCell(storedColorOf(color), 255);
  }

  // Every position is a corner of the line.
  Rect beginStroke(Stroke& stroke, StrokePoint at, StrokeInput /*input*/) override {
    pen_ = stroke.pen;
    last_ = pixelOf(at);
    picture_.moveTo(last_);
    stroke.points.push_back(at);
    if (marks(pen_)) beginMarking({0, 0, width(), height()});
    return {};
  }
  Rect continueStroke(Stroke& stroke, StrokePoint to) override {
    stroke.points.push_back(to);
    return segmentTo(pixelOf(to));
  }
  Rect continueStroke(Stroke& stroke, std::span<const StrokePoint> to) override {
    Rect changed;
    for (const StrokePoint& point : to) changed = changed.unite(continueStroke(stroke, point));
    return changed;
  }
  Rect endStroke(Stroke& stroke, StrokePoint at) override {
    const Rect shown = continueStroke(stroke, at);
    endMarking();
    return shown;
  }
  // The segments reach the last position already.
  Rect breakOffStroke(Stroke& /*stroke*/) override {
    endMarking();
    return {};
  }

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

  Rect compose(Rect part) override {
    if (marks_.empty()) return recomposite(picture_, background_, composite_, part);
    return recomposite(picture_, marks_, background_, composite_, part);
  }

 protected:
  void clear(const Rect& part) override {
    for (Picture* picture : {&picture_, &marks_}) {
      if (picture->empty()) continue;
      picture->setBrushColor(kWhite);
      picture->fillRect(part);
    }
  }

  void render(const Stroke& stroke, const Rect& clip) override {
    if (stroke.points.empty()) return;
    if (!stroke.cuts.empty()) {
      renderWithCuts(stroke, clip);
      return;
    }
    pen_ = stroke.pen;
    if (marks(pen_)) beginMarking(reach(stroke).intersect(clip));
    // Each position is a corner: the lines from the first, as drawn while writing.
    Point from = pixelOf(stroke.points.front());
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
      const Point to = pixelOf(stroke.points[i]);
      drawLine(from, to, clip);
      from = to;
    }
    endMarking();
  }

 private:
  // Pen ink and eraser lines into the ink's picture, eraser lines into the marks too,
  // the highlighter's through the mask into the marks; returns the part drawn on.
  Rect drawLine(Point from, Point to, const std::optional<Rect>& clip) {
    const std::int32_t width = strokeDiameter(pen_);
    const auto line = [&](Picture& picture, Color color) {
      if (clip) picture.setClip(*clip);
      picture.setPenWidth(width);
      picture.setPenColor(color);
      picture.moveTo(from);
      picture.lineTo(to);
      picture.clearClip();
    };
    Rect drawn = spannedRect(from, to, width / 2 + 1).intersect({0, 0, this->width(), height()});
    if (clip) drawn = drawn.intersect(*clip);
    if (!marks(pen_)) {
      line(picture_, pen_.color);
      if (erases(pen_) && !marks_.empty()) line(marks_, kWhite);
      return drawn;
    }
    line(mask_, kBlack);
    masked_ = masked_.unite(drawn);
    const InkCell mark = inkCell(storedColorOf(pen_.color), 255);
    for (std::int32_t y = drawn.top; y < drawn.bottom; ++y) {
      for (std::int32_t x = drawn.left; x < drawn.right; ++x) {
        if (mask_.pixel(x, y) != kBlack) continue;
        const std::uint32_t before = storedColorOf(marksBefore_.pixel(x, y));
        marks_.setPixel(x, y, colorOfStored(markedPixel(mark, before)));
      }
    }
    return drawn;
  }

  // A stroke with cuts is drawn alone on a white scratch picture, its cuts in white over
  // it, and what is left laid over the ink (or multiplied into the marks).
  void renderWithCuts(const Stroke& stroke, const Rect& clip) {
    const Rect area = stroke.bounds.intersect(clip).intersect({0, 0, width(), height()});
    if (area.empty()) return;
    if (scratch_.width() != width() || scratch_.height() != height()) {
      scratch_.setBrushColor(kWhite);
      scratch_.setSize(width(), height());
      scratch_.fillRect({0, 0, width(), height()});
    }
    const auto alone = [&](const Stroke& drawn, Color color) {
      if (drawn.points.empty()) return;
      scratch_.setClip(area);
      scratch_.setPenWidth(strokeDiameter(drawn.pen));
      scratch_.setPenColor(color);
      scratch_.moveTo(pixelOf(drawn.points.front()));
      for (std::size_t i = 1; i < drawn.points.size(); ++i) {
        scratch_.lineTo(pixelOf(drawn.points[i]));
      }
      scratch_.clearClip();
    };
    alone(stroke, stroke.pen.color);
    for (const Stroke& cut : stroke.cuts) alone(cut, kWhite);
    const bool marking = marks(stroke.pen);
    if (marking) beginMarking(area);
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      for (std::int32_t x = area.left; x < area.right; ++x) {
        const Color ink = scratch_.pixel(x, y);
        if (ink == kWhite) continue;
        if (marking) {
          const std::uint32_t before = storedColorOf(marks_.pixel(x, y));
          marks_.setPixel(x, y,
                          colorOfStored(markedPixel(inkCell(storedColorOf(ink), 255), before)));
        } else {
          picture_.setPixel(x, y, ink);
        }
      }
    }
    scratch_.setBrushColor(kWhite);
    scratch_.fillRect(area);
  }

  // A highlighter stroke starts: the marks in `area` as they were, and an empty mask
  // (one that was being marked and is drawn anew leaves none behind).
  void beginMarking(const Rect& area) {
    endMarking();
    for (Picture* picture : {&marks_, &marksBefore_, &mask_}) {
      if (!picture->empty()) continue;
      picture->setBrushColor(kWhite);
      picture->setSize(width(), height());
      picture->fillRect({0, 0, width(), height()});
    }
    for (std::int32_t y = std::max(area.top, 0); y < std::min(area.bottom, height()); ++y) {
      for (std::int32_t x = std::max(area.left, 0); x < std::min(area.right, width()); ++x) {
        marksBefore_.setPixel(x, y, marks_.pixel(x, y));
      }
    }
    masked_ = {};
  }
  void endMarking() {
    if (masked_.empty()) return;
    mask_.setBrushColor(kWhite);
    mask_.fillRect(masked_);
    masked_ = {};
  }

  Rect segmentTo(Point to) {
    const std::int32_t width = strokeDiameter(pen_);
    drawLine(last_, to, std::nullopt);
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
  // The highlighter's marks, the marks as the stroke being marked found them, and its
  // mask; all empty until the first highlighter stroke.
  Picture marks_;
  Picture marksBefore_;
  Picture mask_;
  Rect masked_;
  // Where a stroke with cuts is drawn alone: white outside a render. Made at the first.
  Picture scratch_;
  StrokePen pen_;
  Point last_;
};

CarriedPoint carriedPointOf(const StrokePoint& point) {
  return {{point.x, point.y}, point.pressure};
}

// Pressure this near full draws the even pen's width exactly (the curve's interpolation
// of full pressure may fall short of 1 by a rounding error).
constexpr double kFullPressure = 0.999;

// The width of a smooth stroke along its path. An even pen draws every piece at the
// pen's radius, narrower where a pen pressed less; the brush takes each point's pressure
// and the taper at its distance from the stroke's start and end.
class StrokeWidth {
 public:
  explicit StrokeWidth(const StrokePen& pen, StrokeInput input = StrokeInput::Mouse)
      : pen_(pen), input_(input), diameter_(strokeDiameter(pen)), speed_(pen.dpi) {}

  // The pressure at the next input sample, in the order the stroke was drawn: a pen's
  // own; else the brush's from the speed of writing, the even pen's full.
  double pressureAt(const StrokePoint& sample) {
    if (input_ == StrokeInput::PenPressure) return std::clamp(double(sample.pressure), 0.0, 1.0);
    if (!pen_.brush) return 1;
    return speed_.next({sample.x, sample.y, double(sample.time)});
  }

  // Draws the piece from `from`, `along` pixels from the start, to `to`, with the end
  // `toEnd` pixels beyond `to` (far while it is not known yet); returns the rectangle
  // changed.
  Rect piece(InkRasterizer& rasterizer, const CarriedPoint& from, double along,
             const CarriedPoint& to, double length, double toEnd, bool provisional) const {
    const bool even = from.value >= kFullPressure && to.value >= kFullPressure;
    if (!pen_.brush && even) {
      return provisional ? rasterizer.provisionalSegment(from.at, to.at)
                         : rasterizer.segment(from.at, to.at);
    }
    const double fromRadius = pen_.brush ? radius(from.value, along, toEnd + length)
                                         : brushRadius(diameter_, from.value, 1);
    const double toRadius =
        pen_.brush ? radius(to.value, along + length, toEnd) : brushRadius(diameter_, to.value, 1);
    return provisional ? rasterizer.provisionalSegment(from.at, fromRadius, to.at, toRadius)
                       : rasterizer.segment(from.at, fromRadius, to.at, toRadius);
  }

  std::int32_t diameter() const { return diameter_; }

 private:
  double radius(double pressure, double fromStart, double toEnd) const {
    return brushRadius(diameter_, pressure, brushTaper(fromStart, toEnd, diameter_));
  }

  StrokePen pen_;
  StrokeInput input_;
  std::int32_t diameter_;
  SpeedPressure speed_;
};

double distanceBetween(const CarriedPoint& a, const CarriedPoint& b) {
  return std::hypot(b.at.x - a.at.x, b.at.y - a.at.y);
}

// While drawn live, the end of a stroke is still far.
constexpr double kEndNotKnown = 1e9;

// Smooth ink keeps the highlighter's marks in a layer of their own, made at the first
// highlighter stroke: pen ink lies over them whatever the order, erasers take both away.
class SmoothInk final : public Ink {
 public:
  SmoothInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite), layer_(width, height) {}

  void setSize(std::int32_t width, std::int32_t height) override {
    layer_.setSize(width, height);
    if (!marks_.empty()) marks_.setSize(width, height);
  }
  std::int32_t width() const override { return layer_.width(); }
  std::int32_t height() const override { return layer_.height(); }

  InkCell cell(std::int32_t x, std::int32_t y) const override { return layer_.cell(x, y); }

  Rect beginStroke(Stroke& stroke, StrokePoint at, StrokeInput input) override {
    width_.emplace(stroke.pen, input);
    beginRasterizers(stroke.pen, width_->diameter(), std::nullopt);
    smoother_ = {};
    smoother_.begin(kept(stroke, at), path_);
    lastDrawn_ = path_.front();
    along_ = 0;
    return drawPath(false);
  }

  Rect continueStroke(Stroke& stroke, StrokePoint to) override {
    return continueStroke(stroke, std::span(&to, 1));
  }

  Rect continueStroke(Stroke& stroke, std::span<const StrokePoint> points) override {
    if (!inStroke() || points.empty()) return {};
    for (StrokePoint to : points) {
      to.pressure = static_cast<float>(width_->pressureAt(to));
      const CarriedPoint point = carriedPointOf(to);
      // A position the path skips (too near the last one it took) is not kept: it only
      // shows in the provisional tail.
      if (smoother_.takes(point.at)) stroke.points.push_back(to);
      smoother_.add(point, path_);
      last_ = to;
    }
    return drawPath(true);
  }

  Rect endStroke(Stroke& stroke, StrokePoint at) override {
    if (!inStroke()) return {};
    smoother_.end(kept(stroke, at), path_);
    const Rect shown = drawPath(false);
    endRasterizers();
    return shown;
  }

  // The smoothed path ends its last piece at the last position, as if released there.
  Rect breakOffStroke(Stroke& stroke) override {
    if (!inStroke()) return {};
    smoother_.end(carriedPointOf(last_), path_);
    stroke.points.push_back(last_);
    const Rect shown = drawPath(false);
    endRasterizers();
    return shown;
  }

  Rect reach(const Stroke& stroke) const override {
    // The curve keeps within the box of the positions it is drawn through.
    return boxAround(stroke.points, std::max(strokeDiameter(stroke.pen), 1) / 2.0 + 1);
  }

  StrokeOutline outline(const Stroke& stroke) const override {
    StrokeOutline outline{{}, std::max(strokeDiameter(stroke.pen), 1) / 2.0};
    for (const CarriedPoint& point : smoothPath(stroke)) outline.path.push_back(point.at);
    return outline;
  }

  Rect compose(Rect part) override {
    if (marks_.empty()) return recomposite(layer_, background_, composite_, part);
    return recomposite(layer_, marks_, background_, composite_, part);
  }

 protected:
  void clear(const Rect& part) override {
    for (InkLayer* layer : {&layer_, &marks_}) {
      if (layer->empty()) continue;
      for (std::int32_t y = part.top; y < part.bottom; ++y) {
        std::fill(layer->row(y) + part.left, layer->row(y) + part.right, kNoInk);
      }
    }
  }

  void render(const Stroke& stroke, const Rect& clip) override {
    if (!stroke.cuts.empty()) {
      renderWithCuts(stroke, clip);
      return;
    }
    beginRasterizers(stroke.pen, strokeDiameter(stroke.pen), clip);
    drawFinished(stroke);
    endRasterizers();
  }

 private:
  // The whole path of a finished stroke through the rasterizers begun for it.
  void drawFinished(const Stroke& stroke) {
    const std::vector<CarriedPoint> path = smoothPath(stroke);
    if (path.empty()) return;
    double length = 0;
    for (std::size_t i = 1; i < path.size(); ++i) length += distanceBetween(path[i - 1], path[i]);
    const StrokeWidth width(stroke.pen);
    double along = 0;
    CarriedPoint from = path.front();
    for (const CarriedPoint& to : path) {
      const double piece = distanceBetween(from, to);
      forEachRasterizer([&](InkRasterizer& rasterizer) {
        width.piece(rasterizer, from, along, to, piece, length - along - piece, false);
      });
      along += piece;
      from = to;
    }
    forEachRasterizer([](InkRasterizer& rasterizer) {
      rasterizer.takeChangedRows([](std::int32_t, std::int32_t, std::int32_t) {});
    });
  }

  // A stroke with cuts is drawn alone on a scratch layer, its cuts erased there, and the
  // result laid over the ink (or multiplied into the marks): its gaps show what lies
  // beneath it, and nothing beneath is taken away.
  void renderWithCuts(const Stroke& stroke, const Rect& clip) {
    const Rect area = stroke.bounds.intersect(clip).intersect({0, 0, width(), height()});
    if (area.empty()) return;
    if (scratch_.width() != width() || scratch_.height() != height()) {
      scratch_ = InkLayer(width(), height());
    }
    endRasterizers();
    const auto alone = [&](const Stroke& drawn, InkBlend blend) {
      rasterizer_.beginStroke(scratch_, drawn.pen.color, blend, strokeDiameter(drawn.pen), area);
      drawFinished(drawn);
      rasterizer_.endStroke();
    };
    alone(stroke, InkBlend::Over);
    for (const Stroke& cut : stroke.cuts) alone(cut, InkBlend::Erase);
    const bool marking = marks(stroke.pen);
    if (marking && marks_.empty()) marks_ = InkLayer(width(), height());
    InkLayer& target = marking ? marks_ : layer_;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      InkCell* from = scratch_.row(y);
      InkCell* to = target.row(y);
      for (std::int32_t x = area.left; x < area.right; ++x) {
        const std::uint32_t coverage = coverageOf(from[x]);
        if (coverage > 0) {
          to[x] = marking ? inkMultiplied(to[x], from[x] & kStoredColorBits, coverage)
                          : inkOver(to[x], from[x] & kStoredColorBits, coverage);
        }
        from[x] = kNoInk;
      }
    }
  }

  // Pen ink goes to the ink's layer, the highlighter to the marks, an eraser to both.
  void beginRasterizers(const StrokePen& pen, std::int32_t diameter,
                        const std::optional<Rect>& clip) {
    if (marks(pen) && marks_.empty()) marks_ = InkLayer(layer_.width(), layer_.height());
    const InkBlend blend = erases(pen) ? InkBlend::Erase : InkBlend::Over;
    if (!marks(pen)) rasterizer_.beginStroke(layer_, pen.color, blend, diameter, clip);
    if (marks(pen) || (erases(pen) && !marks_.empty())) {
      markRasterizer_.beginStroke(marks_, pen.color, marks(pen) ? InkBlend::Multiply : blend,
                                  diameter, clip);
    }
  }
  template <typename Each>
  void forEachRasterizer(Each each) {
    for (InkRasterizer* rasterizer : {&rasterizer_, &markRasterizer_}) {
      if (rasterizer->inStroke()) each(*rasterizer);
    }
  }
  bool inStroke() const { return rasterizer_.inStroke() || markRasterizer_.inStroke(); }
  void endRasterizers() {
    rasterizer_.endStroke();
    markRasterizer_.endStroke();
  }

  // The path the smoother makes of the stroke's points, with the pressure drawn at each,
  // as it made it while drawing.
  static std::vector<CarriedPoint> smoothPath(const Stroke& stroke) {
    std::vector<CarriedPoint> path;
    if (stroke.points.empty()) return path;
    StrokeSmoother smoother;
    smoother.begin(carriedPointOf(stroke.points.front()), path);
    for (std::size_t i = 1; i + 1 < stroke.points.size(); ++i) {
      smoother.add(carriedPointOf(stroke.points[i]), path);
    }
    smoother.end(carriedPointOf(stroke.points.back()), path);
    return path;
  }

  // `at` with the pressure drawn there, kept in `stroke`.
  CarriedPoint kept(Stroke& stroke, StrokePoint at) {
    at.pressure = static_cast<float>(width_->pressureAt(at));
    stroke.points.push_back(at);
    last_ = at;
    return carriedPointOf(at);
  }

  // Takes back the provisional tail, draws the path as the smoother settled it, then,
  // with `withTail`, the tail from there to the pointer provisionally, so the ink ends
  // where the pointer is; recomposites the rows that changed.
  Rect drawPath(bool withTail) {
    Rect changed;
    forEachRasterizer([&](InkRasterizer& rasterizer) {
      changed = changed.unite(rasterizer.retractProvisional());
      double along = along_;
      CarriedPoint from = lastDrawn_;
      for (const CarriedPoint& point : path_) {
        const double piece = distanceBetween(from, point);
        changed = changed.unite(
            width_->piece(rasterizer, from, along, point, piece, kEndNotKnown, false));
        along += piece;
        from = point;
      }
    });
    for (const CarriedPoint& point : path_) {
      along_ += distanceBetween(lastDrawn_, point);
      lastDrawn_ = point;
    }
    path_.clear();
    if (withTail) {
      smoother_.provisionalTail(tail_);
      forEachRasterizer([&](InkRasterizer& rasterizer) {
        double along = along_;
        for (std::size_t i = 1; i < tail_.size(); ++i) {
          const double piece = distanceBetween(tail_[i - 1], tail_[i]);
          changed = changed.unite(
              width_->piece(rasterizer, tail_[i - 1], along, tail_[i], piece, kEndNotKnown, true));
          along += piece;
        }
      });
      tail_.clear();
    }
    forEachRasterizer([this](InkRasterizer& rasterizer) {
      rasterizer.takeChangedRows([this](std::int32_t y, std::int32_t left, std::int32_t right) {
        compose({left, y, right, y + 1});
      });
    });
    const Rect shown = changed.intersect({0, 0, composite_.width(), composite_.height()});
    return shown.empty() ? Rect{} : shown;
  }

  const Picture& background_;
  Picture& composite_;
  InkLayer layer_;
  // Empty until the first highlighter stroke.
  InkLayer marks_;
  // Where a stroke with cuts is drawn alone; no ink outside a render. Made at the first.
  InkLayer scratch_;
  // The stroke being drawn, or a finished one rendered anew, in the ink and the marks.
  InkRasterizer rasterizer_;
  InkRasterizer markRasterizer_;
  StrokeSmoother smoother_;
  std::optional<StrokeWidth> width_;
  std::vector<CarriedPoint> path_;
  std::vector<CarriedPoint> tail_;
  CarriedPoint lastDrawn_;
  double along_ = 0;  // the path's length up to lastDrawn_
  StrokePoint last_;
};

}  // namespace

std::unique_ptr<Ink> makeInk(bool smooth, std::int32_t width, std::int32_t height,
                             const Picture& background, Picture& composite) {
  if (smooth) return std::make_unique<SmoothInk>(width, height, background, composite);
  return std::make_unique<ClassicInk>(width, height, background, composite);
}

}  // namespace fudekko
