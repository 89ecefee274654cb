#include "surface/ink.h"

#include <algorithm>
#include <vector>

#include "common/dpi.h"
#include "surface/compositing.h"
#include "surface/ink_rasterizer.h"
#include "surface/stroke_smoother.h"

namespace fudekko {

namespace {

class ClassicInk final : public Ink {
 public:
  ClassicInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite) {
    setSize(width, height);
  }

  void setSize(std::int32_t width, std::int32_t height) override {
    picture_.setWidth(width);
    picture_.setHeight(height);
  }

  InkCell cell(std::int32_t x, std::int32_t y) const override {
    const Color color = picture_.pixel(x, y);
    return color == kWhite ? kNoInk : inkCell(storedColorOf(color), 255);
  }

  PixelRows rows() override {
    if (picture_.empty()) return {};
    return {picture_.scanLine(0), picture_.stride(), picture_.width(), picture_.height()};
  }

  InkChange beginStroke(const InkPen& pen, Point at) override {
    pen_ = pen;
    picture_.moveTo(at);
    last_ = at;
    return {};
  }
  InkChange continueStroke(Point to) override { return segmentTo(to); }
  InkChange endStroke(Point at) override { return segmentTo(at); }
  // The segments reach the last position already.
  InkChange breakOffStroke() override { return {}; }

  Rect compose(Rect part) override { return recomposite(picture_, background_, composite_, part); }

 private:
  InkChange segmentTo(Point to) {
    const std::int32_t width = scaledPenWidth(pen_.lineWidth, pen_.dpi);
    picture_.setPenWidth(width);
    picture_.setPenColor(pen_.color);
    picture_.lineTo(to);
    // The line's pixels lie within half the pen's width of the segment. The eraser
    // reaches beyond the recomposite margin: the composite is rebuilt as far as the pen
    // reached, or the screen (and the picture Send writes) would keep erased ink.
    const std::int32_t reach = width / 2 + 1;
    InkChange change;
    change.ink = Rect{std::min(last_.x, to.x), std::min(last_.y, to.y), std::max(last_.x, to.x) + 1,
                      std::max(last_.y, to.y) + 1}
                     .widened(reach);
    change.shown =
        compose(spannedRect(last_, to, std::max(reach, scaledRecompositeMargin(pen_.dpi))));
    last_ = to;
    return change;
  }

  const Picture& background_;
  Picture& composite_;
  Picture picture_;
  InkPen pen_;
  Point last_;
};

class SmoothInk final : public Ink {
 public:
  SmoothInk(std::int32_t width, std::int32_t height, const Picture& background, Picture& composite)
      : background_(background), composite_(composite), layer_(width, height) {}

  void setSize(std::int32_t width, std::int32_t height) override { layer_.setSize(width, height); }

  InkCell cell(std::int32_t x, std::int32_t y) const override { return layer_.cell(x, y); }

  PixelRows rows() override {
    return {reinterpret_cast<std::uint8_t*>(layer_.row(0)),
            PixelRows::kBytesPerPixel * static_cast<std::size_t>(layer_.width()), layer_.width(),
            layer_.height()};
  }

  InkChange beginStroke(const InkPen& pen, Point at) override {
    rasterizer_.beginStroke(layer_, pen.color, pen.erases, scaledPenWidth(pen.lineWidth, pen.dpi));
    smoother_.begin(pixelCentre(at), path_);
    lastDrawn_ = path_.front();
    last_ = at;
    return drawPath();
  }

  InkChange continueStroke(Point to) override {
    if (!rasterizer_.inStroke()) return {};
    smoother_.add(pixelCentre(to), path_);
    last_ = to;
    return drawPath();
  }

  InkChange endStroke(Point at) override {
    if (!rasterizer_.inStroke()) return {};
    smoother_.end(pixelCentre(at), path_);
    last_ = at;
    const InkChange change = drawPath();
    rasterizer_.endStroke();
    return change;
  }

  // The smoothed path ends its last piece at the last position.
  InkChange breakOffStroke() override { return endStroke(last_); }

  Rect compose(Rect part) override { return recomposite(layer_, background_, composite_, part); }

 private:
  // Draws the path as the smoother settled it and recomposites the rows it changed.
  InkChange drawPath() {
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
    return {changed, shown.empty() ? Rect{} : shown};
  }

  const Picture& background_;
  Picture& composite_;
  InkLayer layer_;
  InkRasterizer rasterizer_;
  StrokeSmoother smoother_;
  std::vector<InkPoint> path_;
  InkPoint lastDrawn_;
  Point last_;
};

}  // namespace

std::unique_ptr<Ink> makeInk(bool smooth, std::int32_t width, std::int32_t height,
                             const Picture& background, Picture& composite) {
  if (smooth) return std::make_unique<SmoothInk>(width, height, background, composite);
  return std::make_unique<ClassicInk>(width, height, background, composite);
}

}  // namespace fudekko
