#include "surface/ink_rasterizer.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "common/errors.h"

namespace fudekko {

namespace {

// The share of a unit pixel that lies below a straight edge, as a function of the
// edge's signed distance t from the pixel's centre along the edge's unit normal
// (a, b). Along the normal the pixel spreads as the sum of two uniform spreads of
// widths |a| and |b|: a trapezoid, whose integral is quadratic on its ramps and
// linear between them. Axis-parallel edges have no ramps.
class EdgeProfile {
 public:
  EdgeProfile(double nx, double ny)
      : high_(std::max(std::abs(nx), std::abs(ny))),
        low_(std::min(std::abs(nx), std::abs(ny))),
        outer_((high_ + low_) / 2),
        inner_((high_ - low_) / 2),
        rampScale_(low_ > 0 ? 1 / (2 * high_ * low_) : 0) {}

  double below(double t) const {
    if (t <= -outer_) return 0;
    if (t >= outer_) return 1;
    if (t < -inner_) {
      const double d = t + outer_;
      return d * d * rampScale_;
    }
    if (t <= inner_) return low_ / (2 * high_) + (t + inner_) / high_;
    const double d = outer_ - t;
    return 1 - d * d * rampScale_;
  }

 private:
  double high_, low_, outer_, inner_, rampScale_;
};

// Coverage of the pixels around one segment with round ends (a capsule). Beside the
// segment it is the exact share of the pixel inside the band; at the round ends the
// usual approximation by the centre's distance from the disc's edge.
class Capsule {
 public:
  Capsule(InkPoint a, InkPoint b, double radius)
      : a_(a),
        b_(b),
        vx_(b.x - a.x),
        vy_(b.y - a.y),
        radius_(radius),
        lengthSquared_(vx_ * vx_ + vy_ * vy_),
        length_(std::sqrt(lengthSquared_)),
        alongScale_(length_ > 1e-9 ? 1 / lengthSquared_ : 0),
        acrossScale_(length_ > 1e-9 ? 1 / length_ : 0),
        edge_(length_ > 0 ? -vy_ / length_ : 0, length_ > 0 ? vx_ / length_ : 1) {}

  double coverage(double cx, double cy) const {
    const double px = cx - a_.x, py = cy - a_.y;
    if (length_ > 1e-9) {
      const double t = (px * vx_ + py * vy_) * alongScale_;
      if (t >= 0 && t <= 1) {
        // Signed distance of the centre from the segment's line.
        const double u = (py * vx_ - px * vy_) * acrossScale_;
        return edge_.below(radius_ - u) - edge_.below(-radius_ - u);
      }
      if (t > 1) return disc(cx - b_.x, cy - b_.y);
    }
    return disc(px, py);
  }

 private:
  double disc(double dx, double dy) const {
    return std::clamp(radius_ + 0.5 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
  }

  InkPoint a_, b_;
  double vx_, vy_, radius_, lengthSquared_, length_, alongScale_, acrossScale_;
  EdgeProfile edge_;
};

std::int32_t floorClamped(double value, std::int32_t low, std::int32_t high) {
  return static_cast<std::int32_t>(std::floor(std::clamp(value, double(low), double(high))));
}

// Rounded division by 255 of a value up to 255 * 255 * 255.
std::uint32_t divideBy255(std::uint32_t value) {
  return (value + 127) / 255;
}

}  // namespace

InkCell inkOver(InkCell under, std::uint32_t storedColor, std::uint32_t coverage) {
  if (coverage == 0) return under;
  const std::uint32_t old = coverageOf(under);
  if (coverage >= 255 || old == 0) return inkCell(storedColor, std::min(coverage, 255u));
  // Both weighted by what each contributes to the pixel, so the colour stays straight
  // (not premultiplied) and the coverage is the union of the two.
  const std::uint32_t weightNew = coverage * 255;
  const std::uint32_t weightOld = old * (255 - coverage);
  const std::uint32_t total = weightNew + weightOld;
  std::uint32_t color = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t mixed = ((storedColor >> shift) & 0xFF) * weightNew +
                                ((under >> shift) & 0xFF) * weightOld + total / 2;
    color |= (mixed / total) << shift;
  }
  return inkCell(color, divideBy255(total));
}

InkCell inkErased(InkCell under, std::uint32_t coverage) {
  return inkCell(under, divideBy255(coverageOf(under) * (255 - std::min(coverage, 255u))));
}

void InkRasterizer::beginStroke(InkLayer& layer, Color color, bool erases, double diameter,
                                const std::optional<Rect>& clip) {
  endStroke();
  const std::size_t cells = std::size_t(layer.width()) * std::size_t(layer.height());
  if (layer.width() != scratchWidth_ || layer.height() != scratchHeight_) {
    try {
      strokeCoverage_.assign(cells, 0);
      before_.resize(cells);
    } catch (const std::bad_alloc&) {
      strokeCoverage_.clear();
      before_.clear();
      scratchWidth_ = scratchHeight_ = 0;
      throw OutOfResources();
    }
    scratchWidth_ = layer.width();
    scratchHeight_ = layer.height();
    changedLeft_.assign(std::size_t(scratchHeight_), scratchWidth_);
    changedRight_.assign(std::size_t(scratchHeight_), 0);
    changedTop_ = changedBottom_ = 0;
  }
  layer_ = &layer;
  color_ = storedColorOf(color);
  erases_ = erases;
  radius_ = std::max(diameter, 1.0) / 2;
  clip_ = clip;
}

void InkRasterizer::endStroke() {
  clearStrokeCoverage();
  layer_ = nullptr;
}

void InkRasterizer::clearStrokeCoverage() {
  for (std::int32_t y = touched_.top; y < touched_.bottom; ++y) {
    std::uint8_t* row = strokeCoverage_.data() + std::size_t(y) * std::size_t(scratchWidth_);
    std::fill(row + touched_.left, row + touched_.right, std::uint8_t{0});
  }
  touched_ = {};
}

Rect InkRasterizer::segment(InkPoint from, InkPoint to) {
  if (!layer_ || layer_->empty()) return {};
  if (layer_->width() != scratchWidth_ || layer_->height() != scratchHeight_) {
    // The layer was resized during the stroke: carry on as a new stroke.
    beginStroke(*layer_, colorOfStored(color_), erases_, radius_ * 2, clip_);
  }
  const std::int32_t width = layer_->width(), height = layer_->height();
  Rect area{0, 0, width, height};
  if (clip_) area = area.intersect(*clip_);
  if (area.empty()) return {};
  // Pixels whose centre lies farther than this from the segment get nothing.
  const double reach = radius_ + 1;
  const Capsule capsule(from, to, radius_);
  const double vx = to.x - from.x, vy = to.y - from.y;

  Rect changed{width, height, 0, 0};
  const std::int32_t firstRow =
      floorClamped(std::min(from.y, to.y) - reach, area.top, area.bottom - 1);
  const std::int32_t lastRow =
      floorClamped(std::max(from.y, to.y) + reach, area.top - 1, area.bottom - 1);
  for (std::int32_t y = firstRow; y <= lastRow; ++y) {
    const double cy = y + 0.5;
    // The piece of the segment within reach of this row, and its columns.
    double s0 = 0, s1 = 1;
    if (std::abs(vy) > 1e-12) {
      s0 = (cy - reach - from.y) / vy;
      s1 = (cy + reach - from.y) / vy;
      if (s0 > s1) std::swap(s0, s1);
      s0 = std::max(s0, 0.0);
      s1 = std::min(s1, 1.0);
      if (s0 > s1) continue;
    } else if (std::abs(from.y - cy) > reach) {
      continue;
    }
    const double x0 = from.x + s0 * vx, x1 = from.x + s1 * vx;
    const std::int32_t firstColumn =
        floorClamped(std::min(x0, x1) - reach, area.left, area.right - 1);
    const std::int32_t lastColumn =
        floorClamped(std::max(x0, x1) + reach, area.left - 1, area.right - 1);
    std::int32_t rowLeft = width, rowRight = 0;
    for (std::int32_t x = firstColumn; x <= lastColumn; ++x) {
      const double share = capsule.coverage(x + 0.5, cy);
      const auto coverage = static_cast<std::uint32_t>(share * 255 + 0.5);
      if (coverage == 0) continue;
      cover(x, y, coverage);
      rowLeft = std::min(rowLeft, x);
      rowRight = x + 1;
    }
    if (rowLeft >= rowRight) continue;
    changed = {std::min(changed.left, rowLeft), std::min(changed.top, y),
               std::max(changed.right, rowRight), std::max(changed.bottom, y + 1)};
    changedLeft_[std::size_t(y)] = std::min(changedLeft_[std::size_t(y)], rowLeft);
    changedRight_[std::size_t(y)] = std::max(changedRight_[std::size_t(y)], rowRight);
    changedTop_ = changedTop_ < changedBottom_ ? std::min(changedTop_, y) : y;
    changedBottom_ = std::max(changedBottom_, y + 1);
  }
  return changed.empty() ? Rect{} : changed;
}

void InkRasterizer::takeChangedRows(
    const std::function<void(std::int32_t, std::int32_t, std::int32_t)>& row) {
  for (std::int32_t y = changedTop_; y < changedBottom_; ++y) {
    std::int32_t& left = changedLeft_[std::size_t(y)];
    std::int32_t& right = changedRight_[std::size_t(y)];
    if (left < right) row(y, left, right);
    left = scratchWidth_;
    right = 0;
  }
  changedTop_ = changedBottom_ = 0;
}

void InkRasterizer::cover(std::int32_t x, std::int32_t y, std::uint32_t coverage) {
  const std::size_t at = std::size_t(y) * std::size_t(scratchWidth_) + std::size_t(x);
  const std::uint32_t before = strokeCoverage_[at];
  if (coverage <= before) return;
  InkCell& cell = layer_->row(y)[x];
  if (before == 0) {
    before_[at] = cell;
    if (touched_.empty()) {
      touched_ = {x, y, x + 1, y + 1};
    } else {
      touched_ = {std::min(touched_.left, x), std::min(touched_.top, y),
                  std::max(touched_.right, x + 1), std::max(touched_.bottom, y + 1)};
    }
  }
  strokeCoverage_[at] = static_cast<std::uint8_t>(coverage);
  cell = erases_ ? inkErased(before_[at], coverage) : inkOver(before_[at], color_, coverage);
}

}  // namespace fudekko
