#include "surface/lasso.h"

#include <algorithm>
#include <cmath>

namespace fudekko {

namespace {

// A stroke's length is judged in this many pieces of equal length, each inside or out by
// its middle: a crossing misjudges at most one piece, whatever the number of points.
constexpr int kPieces = 32;
// The loop's height is cut into bands of about this many edges each, at most kMaxBands:
// a point is tested against its band's edges only.
constexpr std::size_t kEdgesPerBand = 4;
constexpr std::size_t kMaxBands = 1024;
constexpr double kCopiesPerEdge = 4;

InkPoint inkPointOf(const StrokePoint& point) {
  return {point.x, point.y};
}
InkPoint inkPointOf(const InkPoint& point) {
  return point;
}

// Coordinates come from floats or pixels, whose squares stay far from overflowing.
double distance(InkPoint a, InkPoint b) {
  return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

std::int32_t pixelCoordinate(double value) {
  return static_cast<std::int32_t>(std::clamp(std::floor(value), -2147483648.0, 2147483646.0));
}

}  // namespace

Lasso::Lasso(std::span<const StrokePoint> path) {
  std::vector<InkPoint> loop;
  loop.reserve(path.size());
  for (const StrokePoint& point : path) {
    const InkPoint at = inkPointOf(point);
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) continue;
    if (loop.empty() || loop.back() != at) loop.push_back(at);
  }
  if (loop.size() > 1 && loop.back() == loop.front()) loop.pop_back();
  if (loop.size() < 3) return;

  // All on one line: nothing inside (the winding would say so too, at more cost).
  const InkPoint origin = loop.front();
  const InkPoint farthest = *std::max_element(
      loop.begin(), loop.end(),
      [&](InkPoint a, InkPoint b) { return distance(a, origin) < distance(b, origin); });
  const double reach = distance(farthest, origin);
  const bool flat = std::all_of(loop.begin(), loop.end(), [&](InkPoint p) {
    const double cross =
        (farthest.x - origin.x) * (p.y - origin.y) - (farthest.y - origin.y) * (p.x - origin.x);
    return std::abs(cross) <= 1e-9 * reach * reach;
  });
  if (flat) return;

  std::vector<Edge> edges;
  left_ = right_ = origin.x;
  top_ = bottom_ = origin.y;
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const InkPoint a = loop[i], b = loop[(i + 1) % loop.size()];
    left_ = std::min(left_, a.x), right_ = std::max(right_, a.x);
    top_ = std::min(top_, a.y), bottom_ = std::max(bottom_, a.y);
    if (a.y == b.y) continue;  // a level edge crosses no row
    const double slope = (b.x - a.x) / (b.y - a.y);
    edges.push_back(a.y < b.y ? Edge{a.y, b.y, a.x, slope, 1} : Edge{b.y, a.y, b.x, slope, -1});
  }
  pixels_ = {pixelCoordinate(left_), pixelCoordinate(top_), pixelCoordinate(right_) + 1,
             pixelCoordinate(bottom_) + 1};

  // A loop scribbled up and down its whole height would put each edge in every band:
  // fewer bands then keep the copies to about kCopiesPerEdge an edge.
  double spanned = 0;
  for (const Edge& edge : edges) spanned += edge.high - edge.low;
  const double copiesAllowed = kCopiesPerEdge * double(edges.size()) * (bottom_ - top_) / spanned;
  const std::size_t bands = std::clamp<std::size_t>(
      std::min(edges.size() / kEdgesPerBand, std::size_t(copiesAllowed)), 1, kMaxBands);
  bandHeight_ = (bottom_ - top_) / double(bands);
  bandStart_.assign(bands + 1, 0);
  for (const Edge& edge : edges)
    for (std::size_t b = bandOf(edge.low); b <= bandOf(edge.high); ++b) ++bandStart_[b + 1];
  for (std::size_t b = 0; b < bands; ++b) bandStart_[b + 1] += bandStart_[b];
  bandEdges_.resize(bandStart_.back());
  std::vector<std::uint32_t> filled(bandStart_.begin(), bandStart_.end() - 1);
  for (const Edge& edge : edges)
    for (std::size_t b = bandOf(edge.low); b <= bandOf(edge.high); ++b)
      bandEdges_[filled[b]++] = edge;
}

std::size_t Lasso::bandOf(double y) const {
  const double band = std::floor((y - top_) / bandHeight_);
  return std::size_t(std::clamp(band, 0.0, double(bandStart_.size() - 2)));
}

bool Lasso::encloses(InkPoint at) const {
  // Written so that a coordinate that is not a number is outside.
  if (bandEdges_.empty() || !(at.x >= left_ && at.x <= right_ && at.y >= top_ && at.y <= bottom_))
    return false;
  const std::size_t band = bandOf(at.y);
  int winding = 0;
  for (std::uint32_t i = bandStart_[band]; i < bandStart_[band + 1]; ++i) {
    const Edge& edge = bandEdges_[i];
    // The edges crossing the row of `at` to its right, counted by the way they run.
    if (at.y >= edge.low && at.y < edge.high && edge.xAtLow + (at.y - edge.low) * edge.slope > at.x)
      winding += edge.winding;
  }
  return winding != 0;
}

template <typename PointSpan>
bool Lasso::selectsPath(PointSpan points) const {
  if (bandEdges_.empty() || points.empty()) return false;
  const InkPoint first = inkPointOf(points[0]);
  double total = 0, left = first.x, right = left, top = first.y, bottom = top;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const InkPoint at = inkPointOf(points[i]);
    left = std::min(left, at.x), right = std::max(right, at.x);
    top = std::min(top, at.y), bottom = std::max(bottom, at.y);
    total += distance(inkPointOf(points[i - 1]), at);
  }
  if (right < left_ || left > right_ || bottom < top_ || top > bottom_) return false;
  if (!(total > 0)) return encloses(first);

  // The middles of kPieces pieces of equal length along the stroke, in order.
  const double piece = total / kPieces;
  int inside = 0, outside = 0;
  double walked = 0;  // the length up to points[i - 1]
  std::size_t i = 1;
  for (int k = 0; k < kPieces; ++k) {
    const double target = (k + 0.5) * piece;
    InkPoint a = inkPointOf(points[i - 1]), b = inkPointOf(points[i]);
    double length = distance(a, b);
    while (walked + length < target && i + 1 < points.size()) {
      walked += length;
      ++i;
      a = b, b = inkPointOf(points[i]);
      length = distance(a, b);
    }
    const double t = length > 0 ? std::clamp((target - walked) / length, 0.0, 1.0) : 0;
    ++(encloses({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}) ? inside : outside);
    if (2 * inside >= kPieces) return true;
    if (2 * outside > kPieces) return false;
  }
  return false;
}

bool Lasso::selects(std::span<const StrokePoint> points) const {
  return selectsPath(points);
}

bool Lasso::selects(std::span<const InkPoint> points) const {
  return selectsPath(points);
}

std::vector<std::uint32_t> selectedStrokes(const Lasso& lasso, std::span<const Stroke> strokes) {
  std::vector<std::uint32_t> selected;
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    const Stroke& stroke = strokes[i];
    if (!stroke.bounds.empty() && stroke.bounds.intersect(lasso.bounds()).empty()) continue;
    if (lasso.selects(stroke.points)) selected.push_back(std::uint32_t(i));
  }
  return selected;
}

}  // namespace fudekko
