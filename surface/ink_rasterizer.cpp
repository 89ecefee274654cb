#include "surface/ink_rasterizer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>

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

// Coverage of the pixels around one segment with a round end of its own radius at each
// end: the hull of the two circles. Where the hull's edge is straight (the two outer
// tangents) it is the exact share of the pixel inside the band between them; at the
// round ends the usual approximation by the centre's distance from the disc's edge.
// When one circle holds the other the piece is the larger disc.
class Capsule {
 public:
  Capsule(InkPoint a, double radiusA, InkPoint b, double radiusB)
      : a_(a),
        b_(b),
        vx_(b.x - a.x),
        vy_(b.y - a.y),
        radiusA_(radiusA),
        radiusB_(radiusB),
        lengthSquared_(vx_ * vx_ + vy_ * vy_),
        length_(std::sqrt(lengthSquared_)),
        // Equal radii keep the plain band so that an even stroke stays as it always was.
        even_(radiusA == radiusB),
        band_(even_ ? length_ > 1e-9 : length_ > std::abs(radiusA - radiusB) + 1e-9),
        alongScale_(band_ ? 1 / lengthSquared_ : 0),
        acrossScale_(band_ ? 1 / length_ : 0),
        // The tangents' normals lean towards the smaller end by asin(slope).
        slope_(band_ ? (radiusA - radiusB) / length_ : 0),
        rise_(std::sqrt(1 - slope_ * slope_)),
        upper_(normalX(1), normalY(1)),
        lower_(normalX(-1), normalY(-1)) {}

  double coverage(double cx, double cy) const {
    const double px = cx - a_.x, py = cy - a_.y;
    if (!band_) {
      if (radiusB_ > radiusA_) return disc(cx - b_.x, cy - b_.y, radiusB_);
      return disc(px, py, radiusA_);
    }
    // Signed distance of the centre from the segment's line.
    const double u = (py * vx_ - px * vy_) * acrossScale_;
    // Where along the edge on the centre's side the centre lies: 0 at the tangent
    // point of the first circle, rise_ at the second's (the axis's 0 and 1 when even).
    const double t = (rise_ * (px * vx_ + py * vy_) - slope_ * std::abs(u) * length_) * alongScale_;
    if (t < 0) return disc(px, py, radiusA_);
    if (t > rise_) return disc(cx - b_.x, cy - b_.y, radiusB_);
    if (even_) return upper_.below(radiusA_ - u) - upper_.below(-radiusA_ - u);
    // Distances along each tangent's normal (in the segment's frame: slope_ along it,
    // rise_ across it); share below the upper edge plus share above the lower, less 1.
    const double along = (px * vx_ + py * vy_) * acrossScale_;
    return upper_.below(radiusA_ - (slope_ * along + rise_ * u)) -
           lower_.below(-radiusA_ + (slope_ * along - rise_ * u));
  }

 private:
  // The unit normal of the outer tangent on side `side` (+1 the side u > 0), flipped
  // for the lower one so that both profiles measure across the band the same way.
  double normalX(int side) const {
    if (!band_) return 0;
    return (side * slope_ * vx_ - rise_ * vy_) / length_;
  }
  double normalY(int side) const {
    if (!band_) return 1;
    return (side * slope_ * vy_ + rise_ * vx_) / length_;
  }

  static double disc(double dx, double dy, double radius) {
    return std::clamp(radius + 0.5 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
  }

  InkPoint a_, b_;
  double vx_, vy_, radiusA_, radiusB_, lengthSquared_, length_;
  bool even_, band_;
  double alongScale_, acrossScale_, slope_, rise_;
  EdgeProfile upper_, lower_;
};

// Half a pixel's diagonal, a hair over.
constexpr double kHalfDiagonal = 0.7072;

// The stretch of the horizontal line at `cy` within `near` of the segment from `a` to
// `b`: the union of the two end discs' chords and the band's, one stretch as the
// capsule is convex. Nothing when the line passes it by.
struct Chord {
  double left;
  double right;
};
std::optional<Chord> capsuleChord(InkPoint a, InkPoint b, double near, double cy) {
  double left = std::numeric_limits<double>::infinity(), right = -left;
  for (const InkPoint end : {a, b}) {
    const double dy = cy - end.y;
    if (std::abs(dy) > near) continue;
    const double half = std::sqrt(near * near - dy * dy);
    left = std::min(left, end.x - half);
    right = std::max(right, end.x + half);
  }
  const double vx = b.x - a.x, vy = b.y - a.y, lengthSquared = vx * vx + vy * vy;
  if (lengthSquared > 0) {
    // Along the segment, (x - a.x) vx + (cy - a.y) vy within 0 .. |v|^2; across it,
    // (x - a.x) vy - (cy - a.y) vx within -near |v| .. near |v|.
    double low = -std::numeric_limits<double>::infinity(), high = -low;
    bool missed = false;
    const auto keep = [&](double slope, double offset, double from, double to) {
      if (slope == 0) {
        missed = missed || offset < from || offset > to;
        return;
      }
      const double x0 = a.x + (from - offset) / slope, x1 = a.x + (to - offset) / slope;
      low = std::max(low, std::min(x0, x1));
      high = std::min(high, std::max(x0, x1));
    };
    const double across = near * std::sqrt(lengthSquared);
    keep(vx, (cy - a.y) * vy, 0, lengthSquared);
    keep(vy, -(cy - a.y) * vx, -across, across);
    if (!missed && low <= high) {
      left = std::min(left, low);
      right = std::max(right, high);
    }
  }
  if (!(left <= right)) return std::nullopt;
  return Chord{left, right};
}

std::int32_t floorClamped(double value, std::int32_t low, std::int32_t high) {
  return static_cast<std::int32_t>(std::floor(std::clamp(value, double(low), double(high))));
}

// Rounded division by 255 of a value up to 255 * 255 * 255.
std::uint32_t divideBy255(std::uint32_t value) {
  return (value + 127) / 255;
}

// A radius as drawn: at least half a pixel (a stroke is never thinner than one pixel),
// at most far beyond any layer, and NaN taken as the thinnest.
double drawnRadius(double radius) {
  return radius >= 0.5 ? std::min(radius, 1e6) : 0.5;
}

Rect extended(Rect rect, std::int32_t x, std::int32_t y) {
  if (rect.empty()) return {x, y, x + 1, y + 1};
  return {std::min(rect.left, x), std::min(rect.top, y), std::max(rect.right, x + 1),
          std::max(rect.bottom, y + 1)};
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

std::uint32_t markMultiplier(InkCell mark) {
  // White towards the mark's colour by its coverage.
  const std::uint32_t coverage = coverageOf(mark);
  std::uint32_t multiplier = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t channel = (mark >> shift) & 0xFF;
    multiplier |= (255 - divideBy255((255 - channel) * coverage)) << shift;
  }
  return multiplier;
}

std::uint32_t markedPixel(InkCell mark, std::uint32_t back) {
  const std::uint32_t coverage = coverageOf(mark);
  if (coverage == 0) return back & kStoredColorBits;
  // Marks the highlighter laid are whole multipliers already; erased ones are partial.
  const std::uint32_t multiplier = coverage == 255 ? mark & kStoredColorBits : markMultiplier(mark);
  std::uint32_t product = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    product |= divideBy255(((multiplier >> shift) & 0xFF) * ((back >> shift) & 0xFF)) << shift;
  }
  return product;
}

namespace {

// The marks `under` multiplied by a whole multiplier.
InkCell multipliedBy(InkCell under, std::uint32_t multiplier) {
  const std::uint32_t product = markedPixel(under, multiplier);
  return product == kStoredWhite ? kNoInk : inkCell(product, 255);
}

}  // namespace

InkCell inkMultiplied(InkCell under, std::uint32_t storedColor, std::uint32_t coverage) {
  if (coverage == 0) return under;
  return multipliedBy(under, markMultiplier(inkCell(storedColor, std::min(coverage, 255u))));
}

void InkRasterizer::beginStroke(InkLayer& layer, Color color, InkBlend blend, double diameter,
                                const std::optional<Rect>& clip) {
  endStroke();
  const std::size_t cells = std::size_t(layer.width()) * std::size_t(layer.height());
  if (layer.width() != scratchWidth_ || layer.height() != scratchHeight_) {
    try {
      strokeCoverage_.assign(cells, 0);
      provisionalCoverage_.assign(cells, 0);
      before_.resize(cells);
    } catch (const std::bad_alloc&) {
      strokeCoverage_.clear();
      provisionalCoverage_.clear();
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
  blend_ = blend;
  if (blend == InkBlend::Multiply) {
    // Each pixel is blended again as the coverage grows: the multipliers are worked out once.
    for (std::uint32_t coverage = 0; coverage < multipliers_.size(); ++coverage) {
      multipliers_[coverage] = markMultiplier(inkCell(color_, coverage));
    }
  }
  radius_ = std::max(diameter, 1.0) / 2;
  clip_ = clip;
}

void InkRasterizer::endStroke() {
  clearStrokeCoverage();
  layer_ = nullptr;
}

void InkRasterizer::clearStrokeCoverage() {
  for (std::int32_t y = touched_.top; y < touched_.bottom; ++y) {
    const std::size_t row = std::size_t(y) * std::size_t(scratchWidth_);
    std::fill(strokeCoverage_.begin() + row + touched_.left,
              strokeCoverage_.begin() + row + touched_.right, std::uint8_t{0});
    std::fill(provisionalCoverage_.begin() + row + touched_.left,
              provisionalCoverage_.begin() + row + touched_.right, std::uint8_t{0});
  }
  touched_ = {};
  provisional_ = {};
}

Rect InkRasterizer::segment(InkPoint from, InkPoint to) {
  return draw(from, radius_, to, radius_, false);
}

Rect InkRasterizer::segment(InkPoint from, double fromRadius, InkPoint to, double toRadius) {
  return draw(from, drawnRadius(fromRadius), to, drawnRadius(toRadius), false);
}

Rect InkRasterizer::provisionalSegment(InkPoint from, InkPoint to) {
  return draw(from, radius_, to, radius_, true);
}

Rect InkRasterizer::provisionalSegment(InkPoint from, double fromRadius, InkPoint to,
                                       double toRadius) {
  return draw(from, drawnRadius(fromRadius), to, drawnRadius(toRadius), true);
}

Rect InkRasterizer::draw(InkPoint from, double fromRadius, InkPoint to, double toRadius,
                         bool provisional) {
  if (!layer_ || layer_->empty()) return {};
  if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
      !std::isfinite(to.y)) {
    return {};
  }
  restartIfResized();
  const std::int32_t width = layer_->width(), height = layer_->height();
  Rect area{0, 0, width, height};
  if (clip_) area = area.intersect(*clip_);
  if (area.empty()) return {};
  // Pixels whose centre lies farther than this from the segment get nothing.
  const double reach = std::max(fromRadius, toRadius) + 1;
  const Capsule capsule(from, fromRadius, to, toRadius);

  // A pixel gets ink only where its square meets the piece, so its centre lies within
  // half a diagonal of the piece's widest circle around the segment: only the row's
  // chord of that capsule is worth a look, for the short pieces a smooth stroke is mostly
  // made of much less than the box around the piece.
  const double near = std::max(fromRadius, toRadius) + kHalfDiagonal;

  Rect changed{width, height, 0, 0};
  const std::int32_t firstRow =
      floorClamped(std::min(from.y, to.y) - reach, area.top, area.bottom - 1);
  const std::int32_t lastRow =
      floorClamped(std::max(from.y, to.y) + reach, area.top - 1, area.bottom - 1);
  for (std::int32_t y = firstRow; y <= lastRow; ++y) {
    const double cy = y + 0.5;
    const std::optional<Chord> chord = capsuleChord(from, to, near, cy);
    if (!chord) continue;
    // The pixels whose centres lie on the chord.
    const std::int32_t firstColumn = floorClamped(chord->left - 0.5, area.left, area.right - 1);
    const std::int32_t lastColumn = floorClamped(chord->right - 0.5, area.left - 1, area.right - 1);
    std::int32_t rowLeft = width, rowRight = 0;
    const std::uint8_t* settled =
        strokeCoverage_.data() + std::size_t(y) * std::size_t(scratchWidth_);
    for (std::int32_t x = firstColumn; x <= lastColumn; ++x) {
      // A pixel the stroke covers fully already cannot change: by the maximum rule no
      // piece, settled or provisional, gives it more. Most of a stroke's pixels are
      // such, under its many short overlapping pieces.
      if (settled[x] == 255) continue;
      const double share = capsule.coverage(x + 0.5, cy);
      const auto coverage = static_cast<std::uint32_t>(share * 255 + 0.5);
      if (coverage == 0) continue;
      if (provisional) {
        coverProvisionally(x, y, coverage);
      } else {
        cover(x, y, coverage);
      }
      rowLeft = std::min(rowLeft, x);
      rowRight = x + 1;
    }
    if (rowLeft >= rowRight) continue;
    changed = {std::min(changed.left, rowLeft), std::min(changed.top, y),
               std::max(changed.right, rowRight), std::max(changed.bottom, y + 1)};
    noteChangedRow(y, rowLeft, rowRight);
  }
  return changed.empty() ? Rect{} : changed;
}

Rect InkRasterizer::retractProvisional() {
  if (!layer_) return {};
  restartIfResized();
  if (provisional_.empty()) return {};
  Rect changed;
  for (std::int32_t y = provisional_.top; y < provisional_.bottom; ++y) {
    const std::size_t row = std::size_t(y) * std::size_t(scratchWidth_);
    InkCell* cells = layer_->row(y);
    std::int32_t rowLeft = provisional_.right, rowRight = provisional_.left;
    for (std::int32_t x = provisional_.left; x < provisional_.right; ++x) {
      const std::size_t at = row + std::size_t(x);
      const std::uint32_t shown = provisionalCoverage_[at];
      if (shown == 0) continue;
      provisionalCoverage_[at] = 0;
      // Shown with the settled coverage where that is as large: nothing to take back.
      if (shown <= strokeCoverage_[at]) continue;
      cells[x] = strokeCoverage_[at] == 0 ? before_[at] : blended(at, strokeCoverage_[at]);
      rowLeft = std::min(rowLeft, x);
      rowRight = x + 1;
    }
    if (rowLeft >= rowRight) continue;
    changed = changed.unite({rowLeft, y, rowRight, y + 1});
    noteChangedRow(y, rowLeft, rowRight);
  }
  provisional_ = {};
  return changed;
}

void InkRasterizer::restartIfResized() {
  // The layer was resized during the stroke: its cells are no longer the ones the
  // stroke began over, so carry on as a new stroke.
  if (layer_->width() != scratchWidth_ || layer_->height() != scratchHeight_) {
    beginStroke(*layer_, colorOfStored(color_), blend_, radius_ * 2, clip_);
  }
}

void InkRasterizer::noteChangedRow(std::int32_t y, std::int32_t left, std::int32_t right) {
  changedLeft_[std::size_t(y)] = std::min(changedLeft_[std::size_t(y)], left);
  changedRight_[std::size_t(y)] = std::max(changedRight_[std::size_t(y)], right);
  changedTop_ = changedTop_ < changedBottom_ ? std::min(changedTop_, y) : y;
  changedBottom_ = std::max(changedBottom_, y + 1);
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

InkCell InkRasterizer::blended(std::size_t at, std::uint32_t coverage) const {
  switch (blend_) {
    case InkBlend::Erase:
      return inkErased(before_[at], coverage);
    case InkBlend::Multiply:
      return coverage == 0 ? before_[at] : multipliedBy(before_[at], multipliers_[coverage]);
    case InkBlend::Over:
      break;
  }
  return inkOver(before_[at], color_, coverage);
}

void InkRasterizer::cover(std::int32_t x, std::int32_t y, std::uint32_t coverage) {
  const std::size_t at = std::size_t(y) * std::size_t(scratchWidth_) + std::size_t(x);
  const std::uint32_t before = strokeCoverage_[at];
  if (coverage <= before) return;
  const std::uint32_t provisional = provisionalCoverage_[at];
  if (before == 0 && provisional == 0) {
    before_[at] = layer_->row(y)[x];
    touched_ = extended(touched_, x, y);
  }
  strokeCoverage_[at] = static_cast<std::uint8_t>(coverage);
  layer_->row(y)[x] = blended(at, std::max(coverage, provisional));
}

void InkRasterizer::coverProvisionally(std::int32_t x, std::int32_t y, std::uint32_t coverage) {
  const std::size_t at = std::size_t(y) * std::size_t(scratchWidth_) + std::size_t(x);
  const std::uint32_t settled = strokeCoverage_[at];
  const std::uint32_t provisional = provisionalCoverage_[at];
  if (coverage <= provisional) return;
  if (settled == 0 && provisional == 0) {
    before_[at] = layer_->row(y)[x];
    touched_ = extended(touched_, x, y);
  }
  provisionalCoverage_[at] = static_cast<std::uint8_t>(coverage);
  provisional_ = extended(provisional_, x, y);
  if (coverage > std::max(settled, provisional)) layer_->row(y)[x] = blended(at, coverage);
}

}  // namespace fudekko
