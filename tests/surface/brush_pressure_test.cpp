// The brush pen: pressure from speed, the taper at the ends, the radius they give.

#include "surface/brush_pressure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "surface/ink_layer.h"
#include "surface/ink_rasterizer.h"
#include "surface/stroke_smoother.h"

namespace fudekko {
namespace {

// A gentle arc 300 pixels long (at 96 DPI) written at `speed` 96-DPI pixels per ms,
// sampled every 8 ms as a mouse reports it.
std::vector<PenSample> arc(double speed, int dpi) {
  const double scale = dpi / 96.0;
  std::vector<PenSample> samples;
  for (double time = 0, along = 0; along <= 300; time += 8, along += 8 * speed) {
    samples.push_back({scale * (20 + along), scale * (60 + 30 * std::sin(along / 100)), time});
  }
  return samples;
}

std::vector<double> pressures(const std::vector<PenSample>& samples, int dpi) {
  SpeedPressure pressure(dpi);
  std::vector<double> out;
  for (const PenSample& sample : samples) out.push_back(pressure.next(sample));
  return out;
}

// The samples drawn as the brush draws them: smoothed with their pressure, tapered over
// the stroke's length; the sum of the coverage.
double inkDrawn(const std::vector<PenSample>& samples, double diameter) {
  const std::vector<double> pressure = pressures(samples, 96);
  StrokeSmoother smoother;
  std::vector<CarriedPoint> path;
  smoother.begin({{samples[0].x, samples[0].y}, pressure[0]}, path);
  for (std::size_t i = 1; i + 1 < samples.size(); ++i) {
    smoother.add({{samples[i].x, samples[i].y}, pressure[i]}, path);
  }
  smoother.end({{samples.back().x, samples.back().y}, pressure.back()}, path);
  std::vector<double> along{0};
  for (std::size_t i = 1; i < path.size(); ++i) {
    along.push_back(along.back() +
                    std::hypot(path[i].at.x - path[i - 1].at.x, path[i].at.y - path[i - 1].at.y));
  }
  const auto radius = [&](std::size_t i) {
    return brushRadius(diameter, path[i].value,
                       brushTaper(along[i], along.back() - along[i], diameter));
  };
  InkLayer layer(360, 120);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(layer, kBlack, InkBlend::Over, diameter);
  for (std::size_t i = 1; i < path.size(); ++i) {
    rasterizer.segment(path[i - 1].at, radius(i - 1), path[i].at, radius(i));
  }
  rasterizer.endStroke();
  double sum = 0;
  for (std::int32_t y = 0; y < 120; ++y) {
    for (std::int32_t x = 0; x < 360; ++x) sum += layer.coverage(x, y);
  }
  return sum;
}

TEST(BrushPressure, FastIsThinnerThanSlowAlikeAtEveryScalingWithoutJumps) {
  const double slow = inkDrawn(arc(0.3, 96), 7), fast = inkDrawn(arc(3, 96), 7);
  EXPECT_LT(fast, 0.7 * slow);
  EXPECT_GT(fast, 0.25 * slow);  // thin, not gone

  // The same writing at 200 % gives the same pressures; drawn again, the same again.
  const std::vector<double> at96 = pressures(arc(1.5, 96), 96);
  const std::vector<double> at192 = pressures(arc(1.5, 192), 192);
  ASSERT_EQ(at96.size(), at192.size());
  for (std::size_t i = 0; i < at96.size(); ++i) EXPECT_NEAR(at96[i], at192[i], 1e-9) << i;
  EXPECT_EQ(pressures(arc(1.5, 96), 96), at96);

  // A writer who stops dead after a fast sweep: the pressure rises over several samples.
  std::vector<PenSample> sweep = arc(4, 96);
  for (int i = 1; i <= 20; ++i)
    sweep.push_back({sweep.back().x, sweep.back().y, sweep.back().timeMs + 8});
  const std::vector<double> pressure = pressures(sweep, 96);
  for (std::size_t i = 1; i < pressure.size(); ++i) {
    EXPECT_LE(std::abs(pressure[i] - pressure[i - 1]), 0.2) << i;
  }
  EXPECT_LT(pressure[pressure.size() - 21], 0.5);
  EXPECT_GT(pressure.back(), 0.9);
}

TEST(BrushPressure, DegenerateSamplesStayFiniteAndInRange) {
  // Merged moves at one time, a pointer that stays put, time running back, NaN.
  SpeedPressure pressure(0);
  const PenSample samples[] = {
      {5, 5, 100},           {5, 5, 100},           {40, 5, 100},   {40, 5, 100},
      {40, 5, 90},           {90, 5, 100.5},        {90, 5, 1e300}, {std::nan(""), 5, 2e300},
      {95, 5, std::nan("")}, {1e308, -1e308, 3e300}};
  for (const PenSample& sample : samples) {
    const double p = pressure.next(sample);
    EXPECT_TRUE(p > 0 && p <= 1) << p << " at " << sample.x << "," << sample.timeMs;
  }
}

TEST(BrushPressure, TaperNarrowsTheEndsAndKeepsAMinimum) {
  constexpr double kWidth = 10;
  // Full in the middle of a long stroke, less towards either end, growing all the way.
  EXPECT_EQ(brushTaper(200, 200, kWidth), 1);
  double previous = 0;
  for (double along = 0; along <= 60; along += 2) {
    const double start = brushTaper(along, 500, kWidth), end = brushTaper(500, along, kWidth);
    EXPECT_GE(start, previous);
    EXPECT_GE(end, kMinTaper);
    EXPECT_LE(end, start);  // the end tapers over a longer run than the start
    previous = start;
  }
  EXPECT_LT(brushTaper(kWidth, 500, kWidth), 0.9);
  EXPECT_LT(brushTaper(500, 2 * kWidth, kWidth), 0.9);
  // A dot keeps the full width, a short stroke more than the minimum at its ends; NaN
  // or a zero width taper nothing away.
  EXPECT_EQ(brushTaper(0, 0, kWidth), 1);
  EXPECT_GT(brushTaper(0, 5, kWidth), 0.8);
  EXPECT_EQ(brushTaper(0, 500, kWidth), kMinTaper);
  EXPECT_EQ(brushTaper(1, 1, 0), 1);
  EXPECT_GE(brushTaper(std::nan(""), 3, kWidth), kMinTaper);

  // Pressure 1 without a taper is exactly the even pen; less pressure, less width.
  for (const double diameter : {1.0, 3.0, 7.0, 14.0, 19.0}) {
    EXPECT_EQ(brushRadius(diameter, 1, 1), diameter / 2);
    EXPECT_DOUBLE_EQ(brushRadius(diameter, 0, 1), diameter / 2 * kThinnestWidth);
    EXPECT_LT(brushRadius(diameter, 0.5, 1), diameter / 2);
    EXPECT_EQ(brushRadius(diameter, 1, 0.5), diameter / 4);
    EXPECT_TRUE(std::isfinite(brushRadius(diameter, std::nan(""), std::nan(""))));
  }
}

}  // namespace
}  // namespace fudekko
