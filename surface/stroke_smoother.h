#pragma once
// The path of a smooth stroke: mouse positions in, a finely divided curve out.
//
// The curve runs through the midpoints of successive positions, as quadratic pieces
// whose control points are the positions themselves: it is smooth at every joint
// (both pieces leave a midpoint in the same direction) and trails the pointer by only
// half a step. Positions closer than a small step to the last one taken are held back
// (the mouse's one-pixel jitter would otherwise show as kinks); release takes the last
// position whatever its distance, so the stroke ends where the pointer did.

#include <vector>

#include "surface/ink_rasterizer.h"

namespace fudekko {

// A position with a value carried along the curve (a pressure or a radius), which the
// curve interpolates with the same weights as the position.
struct CarriedPoint {
  InkPoint at;
  double value = 0;
  friend bool operator==(const CarriedPoint&, const CarriedPoint&) = default;
};

class StrokeSmoother {
 public:
  // Positions nearer than this to the last one taken wait for the next.
  static constexpr double kMinStep = 1.5;
  // The curve is divided until each chord lies within this of the curve and turns by
  // no more than kMaxTurn radians from the one before.
  static constexpr double kTolerance = 0.1;
  static constexpr double kMaxTurn = 0.15;

  // Each call appends to `out` the points of the curve that are now settled; the
  // stroke is the chain of segments between successive points of everything appended
  // since begin. begin appends the first point itself (a dot).
  void begin(InkPoint at, std::vector<InkPoint>& out);
  void add(InkPoint at, std::vector<InkPoint>& out);
  // The last piece, up to `at`.
  void end(InkPoint at, std::vector<InkPoint>& out);
  // Whether add would take `at` into the curve rather than hold it back.
  bool takes(InkPoint at) const;

  // The same with a value carried along; the positions are the same as above.
  void begin(CarriedPoint at, std::vector<CarriedPoint>& out);
  void add(CarriedPoint at, std::vector<CarriedPoint>& out);
  void end(CarriedPoint at, std::vector<CarriedPoint>& out);

  // The part of the stroke not settled yet, from the last settled point on to the last
  // position added (held back or not): what end would append there, preceded by the
  // last settled point. Nothing while the pointer has not left the first point.
  void provisionalTail(std::vector<CarriedPoint>& out) const;
  void provisionalTail(std::vector<InkPoint>& out) const;

 private:
  void take(CarriedPoint at, std::vector<CarriedPoint>& out);
  void appendPositions(std::vector<InkPoint>& out);

  // The last two positions taken (previous_ only once count_ >= 2), the last point
  // appended, and the last position added.
  CarriedPoint previous_;
  CarriedPoint last_;
  CarriedPoint settled_;
  CarriedPoint pointer_;
  int count_ = 0;
  std::vector<CarriedPoint> carried_;
};

}  // namespace fudekko
