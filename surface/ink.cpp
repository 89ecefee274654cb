#include "surface/ink.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
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

  // Every position is a corner of the line.
  Rect beginStroke(Stroke& stroke, StrokePoint at, StrokeInput /*input*/) override {
    pen_ = stroke.pen;
    last_ = pixelOf(at);
    picture_.moveTo(last_);
    stroke.points.push_back(at);
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
  Rect endStroke(Stroke& stroke, StrokePoint at) override { return continueStroke(stroke, at); }
  // The segments reach the last position already.
  Rect breakOffStroke(Stroke& /*stroke*/) override { return {}; }

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

// The path the smoother makes of the stroke's points, with the pressure drawn at each, as
// it made it while drawing.
std::vector<CarriedPoint> smoothPath(const Stroke& stroke) {
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

// Draws a finished stroke over `layer`, changing only the pixels within `clip`.
void renderStroke(InkRasterizer& rasterizer, InkLayer& layer, const Stroke& stroke,
                  const Rect& clip) {
  const std::vector<CarriedPoint> path = smoothPath(stroke);
  if (path.empty()) return;
  double length = 0;
  for (std::size_t i = 1; i < path.size(); ++i) length += distanceBetween(path[i - 1], path[i]);
  const StrokeWidth width(stroke.pen);
  rasterizer.beginStroke(layer, stroke.pen.color, erases(stroke.pen), width.diameter(), clip);
  double along = 0;
  CarriedPoint from = path.front();
  for (const CarriedPoint& to : path) {
    const double piece = distanceBetween(from, to);
    width.piece(rasterizer, from, along, to, piece, length - along - piece, false);
    along += piece;
    from = to;
  }
  rasterizer.takeChangedRows([](std::int32_t, std::int32_t, std::int32_t) {});
  rasterizer.endStroke();
}

// A redraw is split into bands of rows at least this tall (at most kMaxBands), rendered
// side by side by as many threads as the hardware runs: restoring a page of strokes
// costs a fraction. The bands depend on the part alone, the threads only on the machine.
constexpr std::int32_t kMinBandRows = 64;
constexpr std::int32_t kMaxBands = 16;

class SmoothInk final : public Ink {
 public:
  SmoothInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite), layer_(width, height) {}

  // A stroke's ink within a band is the same whether the stroke is drawn whole or
  // clipped to the band, so the bands are rendered apart, each by a rasterizer of its
  // own, on the threads there are.
  void redraw(Rect part, std::span<const Stroke> strokes) override {
    part = part.intersect({0, 0, width(), height()});
    const std::int32_t bands = std::min(part.height() / kMinBandRows, kMaxBands);
    if (bands < 2) return Ink::redraw(part, strokes);
    clear(part);
    std::atomic<std::int32_t> nextBand = 0;
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto renderBands = [&] {
      InkRasterizer rasterizer;
      for (std::int32_t index; (index = nextBand++) < bands;) {
        const Rect band{part.left, part.top + part.height() * index / bands, part.right,
                        part.top + part.height() * (index + 1) / bands};
        try {
          rasterizer.limitToRows(band.top, band.bottom);
          for (const Stroke& stroke : strokes) {
            if (!stroke.bounds.intersect(band).empty()) {
              renderStroke(rasterizer, layer_, stroke, band);
            }
          }
        } catch (...) {
          const std::lock_guard lock(failureMutex);
          failure = std::current_exception();
        }
      }
    };
    const auto threads = std::min<std::int32_t>(
        bands, static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency())));
    std::vector<std::thread> helpers;
    for (std::int32_t i = 1; i < threads; ++i) {
      try {
        helpers.emplace_back(renderBands);
      } catch (const std::system_error&) {
        break;  // the bands wait for the threads there are
      }
    }
    renderBands();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
  }

  void setSize(std::int32_t width, std::int32_t height) override { layer_.setSize(width, height); }
  std::int32_t width() const override { return layer_.width(); }
  std::int32_t height() const override { return layer_.height(); }

  InkCell cell(std::int32_t x, std::int32_t y) const override { return layer_.cell(x, y); }

  Rect beginStroke(Stroke& stroke, StrokePoint at, StrokeInput input) override {
    width_.emplace(stroke.pen, input);
    rasterizer_.beginStroke(layer_, stroke.pen.color, erases(stroke.pen), width_->diameter());
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
    if (!rasterizer_.inStroke() || points.empty()) return {};
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
    if (!rasterizer_.inStroke()) return {};
    smoother_.end(kept(stroke, at), path_);
    const Rect shown = drawPath(false);
    rasterizer_.endStroke();
    return shown;
  }

  // The smoothed path ends its last piece at the last position, as if released there.
  Rect breakOffStroke(Stroke& stroke) override {
    if (!rasterizer_.inStroke()) return {};
    smoother_.end(carriedPointOf(last_), path_);
    stroke.points.push_back(last_);
    const Rect shown = drawPath(false);
    rasterizer_.endStroke();
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

  Rect compose(Rect part) override { return recomposite(layer_, background_, composite_, part); }

 protected:
  void clear(const Rect& part) override {
    for (std::int32_t y = part.top; y < part.bottom; ++y) {
      std::fill(layer_.row(y) + part.left, layer_.row(y) + part.right, kNoInk);
    }
  }

  void render(const Stroke& stroke, const Rect& clip) override {
    renderStroke(rasterizer_, layer_, stroke, clip);
  }

 private:
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
    Rect changed = rasterizer_.retractProvisional();
    for (const CarriedPoint& point : path_) {
      const double piece = distanceBetween(lastDrawn_, point);
      changed = changed.unite(
          width_->piece(rasterizer_, lastDrawn_, along_, point, piece, kEndNotKnown, false));
      along_ += piece;
      lastDrawn_ = point;
    }
    path_.clear();
    if (withTail) {
      smoother_.provisionalTail(tail_);
      double along = along_;
      for (std::size_t i = 1; i < tail_.size(); ++i) {
        const double piece = distanceBetween(tail_[i - 1], tail_[i]);
        changed = changed.unite(
            width_->piece(rasterizer_, tail_[i - 1], along, tail_[i], piece, kEndNotKnown, true));
        along += piece;
      }
      tail_.clear();
    }
    rasterizer_.takeChangedRows([this](std::int32_t y, std::int32_t left, std::int32_t right) {
      compose({left, y, right, y + 1});
    });
    const Rect shown = changed.intersect({0, 0, composite_.width(), composite_.height()});
    return shown.empty() ? Rect{} : shown;
  }

  const Picture& background_;
  Picture& composite_;
  InkLayer layer_;
  // The stroke being drawn, or a finished one rendered anew.
  InkRasterizer rasterizer_;
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
