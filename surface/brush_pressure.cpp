#include "surface/brush_pressure.h"

#include <algorithm>
#include <cmath>

#include "common/dpi.h"

namespace fudekko {

namespace {

// 0 at 0, 1 at 1, rising fast at first: the width swells quickly out of a taper.
double easeOut(double t) {
  return t * (2 - t);
}

// The taper over `length` pixels at `along` pixels from its thin end.
double taperOver(double along, double length) {
  if (!(length > 0)) return 1;
  const double t = along / length;
  return t >= 1 ? 1 : easeOut(t > 0 ? t : 0);
}

}  // namespace

SpeedPressure::SpeedPressure(int dpi) : scale_(double(kBaseDpi) / (dpi > 0 ? dpi : kBaseDpi)) {}

double SpeedPressure::next(const PenSample& sample) {
  if (!started_) {
    started_ = true;
    last_ = sample;
    lastTimeMs_ = sample.timeMs;
    return pressure_;
  }
  const double step = std::hypot(sample.x - last_.x, sample.y - last_.y) * scale_;
  if (std::isfinite(step)) distance_ += step;
  last_ = sample;
  const double elapsed = sample.timeMs - lastTimeMs_;
  if (!(elapsed > 0) || !std::isfinite(elapsed)) return pressure_;
  const double speed = distance_ / elapsed;
  const double relative = speed / kHalfSpeed;
  const double target = kFastestPressure + (1 - kFastestPressure) / (1 + relative * relative);
  pressure_ += (target - pressure_) * (1 - std::exp(-elapsed / kFollowMs));
  pressure_ = std::clamp(pressure_, kFastestPressure, 1.0);
  lastTimeMs_ = sample.timeMs;
  distance_ = 0;
  return pressure_;
}

double brushTaper(double fromStart, double toEnd, double penWidth) {
  const double start = kStartTaperWidths * penWidth, end = kEndTaperWidths * penWidth;
  const double factor = std::min(taperOver(fromStart, start), taperOver(toEnd, end));
  // The shorter the stroke, the fuller its thinnest point, up to a dot's full width: a
  // click or a short dab shows as the brush's mark, not a speck.
  const double length = fromStart + toEnd;
  const double shortness = length < start + end ? std::min(1 - length / (start + end), 1.0) : 0;
  return std::max(factor, kMinTaper + (1 - kMinTaper) * shortness);
}

double brushRadius(double baseDiameter, double pressure, double taper) {
  const double p = pressure >= 0 ? std::min(pressure, 1.0) : 0;
  const double t = taper >= 0 ? std::min(taper, 1.0) : 1;
  return baseDiameter / 2 * (1 - (1 - p) * (1 - kThinnestWidth)) * t;
}

}  // namespace fudekko
