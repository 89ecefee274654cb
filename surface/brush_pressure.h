#pragma once
// The brush pen's width along a stroke: pressure simulated from the speed of writing
// (a mouse has none: slow is full, fast is thin), the taper at the stroke's two ends,
// and the radius that both give a point. Pure functions of their inputs, so a stroke
// drawn again from its samples comes out as it was drawn live.

namespace fudekko {

// One input sample: the position in pixels at the stroke's DPI, the time in ms.
struct PenSample {
  double x = 0;
  double y = 0;
  double timeMs = 0;
};

// Pressure from speed, one sample at a time. The speed is measured in 96-DPI pixels per
// ms, so a stroke looks the same at every scaling, and the pressure follows it with a
// time constant, so it never jumps from one sample to the next.
class SpeedPressure {
 public:
  // Where a stroke starts: between full and the thinnest, until the speed is known.
  static constexpr double kStartPressure = 0.8;
  // The pressure at a very high speed, and the speed (96-DPI pixels per ms) at which
  // the pressure lies halfway between that and full.
  static constexpr double kFastestPressure = 0.2;
  static constexpr double kHalfSpeed = 1.0;
  // How quickly the pressure follows the speed (ms to come within 1/e).
  static constexpr double kFollowMs = 50;

  explicit SpeedPressure(int dpi);
  // The pressure in (0, 1] at the next sample of the stroke; the first starts it.
  // Samples at the same time as the one before (merged moves) keep the pressure and
  // carry their distance to the next sample that is later.
  double next(const PenSample& sample);

 private:
  double scale_;  // to 96-DPI pixels
  bool started_ = false;
  PenSample last_;
  double lastTimeMs_ = 0;
  double distance_ = 0;  // since lastTimeMs_, in 96-DPI pixels
  double pressure_ = kStartPressure;
};

// The brush's radius factor at a point `fromStart` pixels along the stroke from its
// start and `toEnd` pixels before its end, for a pen `penWidth` pixels wide: it grows
// over the first few pen widths and narrows over the last few, never below kMinTaper.
// A stroke shorter than both tapers together keeps more of its width, a dot all of it,
// so that a short stroke or a dot still shows.
inline constexpr double kStartTaperWidths = 2;
inline constexpr double kEndTaperWidths = 4;
inline constexpr double kMinTaper = 0.3;
double brushTaper(double fromStart, double toEnd, double penWidth);

// The radius in pixels at a point of a stroke of `baseDiameter` with `pressure` (0..1)
// and `taper` (a brushTaper factor): exactly baseDiameter / 2 at pressure 1 without a
// taper, so an even pen keeps its width; at pressure 0 kThinnestWidth of it.
inline constexpr double kThinnestWidth = 0.3;
double brushRadius(double baseDiameter, double pressure, double taper);

}  // namespace fudekko
