// Smooth ink: the rasteriser's coverage against the exact area, the path's smoothness,
// the blend over the background and the smooth strokes of the surface.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

#include "surface/compositing.h"
#include "surface/handwriting_surface.h"
#include "surface/ink_layer.h"
#include "surface/ink_rasterizer.h"
#include "surface/mouse_strokes.h"
#include "surface/stroke_smoother.h"

namespace fudekko {
namespace {

constexpr Color kRed = 0x0000FF;

// The share of pixel (x, y) within `radius` of the infinite line through a and b, by
// counting a fine grid of sample points: independent of the rasteriser's formula.
double bandArea(int x, int y, InkPoint a, InkPoint b, double radius) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  const double nx = -(b.y - a.y) / length, ny = (b.x - a.x) / length;
  constexpr int kSamples = 256;
  int inside = 0;
  for (int i = 0; i < kSamples; ++i) {
    for (int j = 0; j < kSamples; ++j) {
      const double px = x + (i + 0.5) / kSamples, py = y + (j + 0.5) / kSamples;
      if (std::abs((px - a.x) * nx + (py - a.y) * ny) <= radius) ++inside;
    }
  }
  return double(inside) / (kSamples * kSamples);
}

InkLayer stroke(std::int32_t width, std::int32_t height, const std::vector<InkPoint>& points,
                double diameter, Color color = kRed) {
  InkLayer layer(width, height);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(layer, color, InkBlend::Over, diameter);
  if (points.size() == 1) rasterizer.segment(points[0], points[0]);
  for (std::size_t i = 1; i < points.size(); ++i) rasterizer.segment(points[i - 1], points[i]);
  rasterizer.endStroke();
  return layer;
}

// ---- Rasteriser ----

TEST(InkRasterizer, CoverageOfSegmentsIsTheExactArea) {
  struct Case {
    InkPoint a, b;
    double diameter;
  };
  const Case cases[] = {
      {{5.5, 20.5}, {75.5, 20.5}, 5},  // horizontal, centred on a row
      {{5.2, 20.3}, {75.2, 20.3}, 5},  // horizontal, between rows
      {{30.7, 3.0}, {30.7, 37.0}, 3},  // vertical, sub-pixel
      {{5.0, 5.0}, {65.0, 35.0}, 5},   // shallow diagonal
      {{10.5, 2.5}, {40.5, 32.5}, 7},  // 45 degrees
      {{10.3, 30.1}, {60.9, 8.4}, 1},  // thin, rising
  };
  int partial = 0;
  for (const Case& c : cases) {
    const InkLayer layer = stroke(80, 40, {c.a, c.b}, c.diameter);
    const double vx = c.b.x - c.a.x, vy = c.b.y - c.a.y;
    int checked = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) {
        // Beside the segment, well away from its round ends.
        const double t = ((x + 0.5 - c.a.x) * vx + (y + 0.5 - c.a.y) * vy) / (vx * vx + vy * vy);
        if (t < 0.15 || t > 0.85) continue;
        const double area = bandArea(x, y, c.a, c.b, c.diameter / 2);
        const int expected = static_cast<int>(area * 255 + 0.5);
        ASSERT_NEAR(int(layer.coverage(x, y)), expected, 3)
            << "pixel " << x << "," << y << " of " << c.a.x << "," << c.a.y;
        if (expected > 0 && expected < 255) ++partial;
        ++checked;
      }
    }
    EXPECT_GT(checked, 400);
    EXPECT_EQ(layer.color(int((c.a.x + c.b.x) / 2), int((c.a.y + c.b.y) / 2)), kRed);
  }
  EXPECT_GT(partial, 300) << "too few edge pixels checked";
}

TEST(InkRasterizer, WidthOnePenIsAThinUnbrokenLine) {
  // Every column crossed by a shallow thin line holds at least half a pixel of ink.
  const InkLayer layer = stroke(80, 40, {{3.5, 6.2}, {76.5, 31.7}}, 1);
  for (int x = 4; x < 76; ++x) {
    std::uint32_t column = 0;
    for (int y = 0; y < 40; ++y) column += layer.coverage(x, y);
    EXPECT_GE(column, 200u) << x;
    EXPECT_LE(column, 300u) << x;
  }
}

TEST(InkRasterizer, CapsAndDotsAreRound) {
  // A dot of diameter 7 centred on pixel (20, 20): symmetric, full within the radius,
  // empty beyond it; the corners of its bounding square stay empty.
  const InkLayer dot = stroke(40, 40, {{20.5, 20.5}}, 7);
  for (int dy = -5; dy <= 5; ++dy) {
    for (int dx = -5; dx <= 5; ++dx) {
      const std::uint32_t c = dot.coverage(20 + dx, 20 + dy);
      EXPECT_EQ(c, dot.coverage(20 - dx, 20 + dy));
      EXPECT_EQ(c, dot.coverage(20 + dy, 20 + dx));
      const double distance = std::hypot(dx, dy);
      if (distance <= 2.8) {
        EXPECT_EQ(c, 255u) << dx << "," << dy;
      } else if (distance >= 4.1) {
        EXPECT_EQ(c, 0u) << dx << "," << dy;
      } else if (distance > 3.1 && distance < 3.9) {
        EXPECT_TRUE(c > 0 && c < 255) << dx << "," << dy;
      }
    }
  }
  EXPECT_EQ(dot.coverage(23, 23), 0u);  // a square pen would fill the corner

  // The end of a segment is the same half disc.
  const InkLayer line = stroke(40, 40, {{5.5, 20.5}, {20.5, 20.5}}, 7);
  for (int dy = -5; dy <= 5; ++dy) {
    for (int dx = 0; dx <= 5; ++dx) {
      EXPECT_EQ(line.coverage(20 + dx, 20 + dy), dot.coverage(20 + dx, 20 + dy));
    }
  }
}

TEST(InkRasterizer, OverlapWithinAStrokeDoesNotDarken) {
  // A slow stroke of quarter-pixel steps, then back over itself, covers exactly as one
  // quick segment does.
  std::vector<InkPoint> slow;
  for (int i = 0; i <= 240; ++i) slow.push_back({10.5 + i / 4.0, 20.3});
  for (int i = 240; i >= 0; --i) slow.push_back({10.5 + i / 4.0, 20.3});
  EXPECT_EQ(stroke(80, 40, slow, 5), stroke(80, 40, {{10.5, 20.3}, {70.5, 20.3}}, 5));

  // Along a curve, the joints are no darker than the segments beside them.
  std::vector<InkPoint> arc;
  for (int i = 0; i <= 40; ++i) {
    const double angle = i * std::numbers::pi / 40;
    arc.push_back({40 + 25 * std::cos(angle), 35 - 25 * std::sin(angle)});
  }
  const InkLayer curved = stroke(80, 40, arc, 3, kBlack);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 80; ++x) {
      const double distance = std::abs(std::hypot(x + 0.5 - 40, y + 0.5 - 35) - 25);
      // Far from the curve's edge the pixel is inside or outside, nothing between.
      if (y >= 34) continue;
      if (distance > 2.3) {
        EXPECT_EQ(curved.coverage(x, y), 0u) << x << "," << y;
      } else if (distance < 0.6) {
        EXPECT_EQ(curved.coverage(x, y), 255u) << x << "," << y;
      }
    }
  }

  // A second stroke over the first does add: its ink lies over the earlier ink.
  InkLayer layer = stroke(80, 40, {{10.5, 20}, {70.5, 20}}, 1);
  const std::uint32_t once = layer.coverage(40, 20);
  ASSERT_GT(once, 0u);
  ASSERT_LT(once, 255u);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(layer, kRed, InkBlend::Over, 1);
  rasterizer.segment({10.5, 20}, {70.5, 20});
  rasterizer.endStroke();
  EXPECT_GT(layer.coverage(40, 20), once);
}

TEST(InkRasterizer, BlendsNewInkOverOldAndErasesByCoverage) {
  const std::uint32_t blue = storedColorOf(0xFF0000), red = storedColorOf(kRed);
  // Exact at the ends, the union of the coverages between them.
  EXPECT_EQ(inkOver(inkCell(blue, 200), red, 255), inkCell(red, 255));
  EXPECT_EQ(inkOver(inkCell(blue, 0), red, 90), inkCell(red, 90));
  EXPECT_EQ(inkOver(inkCell(blue, 200), red, 0), inkCell(blue, 200));
  const InkCell mixed = inkOver(inkCell(blue, 255), red, 128);
  EXPECT_EQ(coverageOf(mixed), 255u);
  EXPECT_EQ(colorOfStored(mixed), rgb(128, 0, 127));
  EXPECT_EQ(coverageOf(inkOver(inkCell(blue, 100), red, 100)), 161u);  // 1 - 155/255 * 155/255
  EXPECT_EQ(inkErased(inkCell(blue, 200), 255), inkCell(blue, 0));
  EXPECT_EQ(inkErased(inkCell(blue, 200), 0), inkCell(blue, 200));
  EXPECT_EQ(inkErased(inkCell(blue, 200), 64), inkCell(blue, 150));

  // The eraser along a line: gone in the middle, an anti-aliased edge at its border,
  // untouched beyond, the colour kept where ink remains.
  InkLayer layer = stroke(80, 40, {{5.5, 20.5}, {75.5, 20.5}}, 7);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(layer, kWhite, InkBlend::Erase, 20);
  rasterizer.segment({40.5, 5.5}, {40.5, 35.5});
  rasterizer.endStroke();
  for (int x = 31; x <= 49; ++x) EXPECT_EQ(layer.coverage(x, 20), 0u) << x;
  EXPECT_TRUE(layer.coverage(30, 20) > 0 && layer.coverage(30, 20) < 255);
  EXPECT_EQ(layer.color(30, 20), kRed);
  EXPECT_EQ(layer.coverage(28, 20), 255u);
  EXPECT_EQ(layer.coverage(52, 20), 255u);
}

TEST(InkRasterizer, ChangedRectangleHoldsEveryChangeAndClipsToTheLayer) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> position(-20, 100);
  InkLayer layer(80, 40);
  InkRasterizer rasterizer;
  for (int strokeIndex = 0; strokeIndex < 20; ++strokeIndex) {
    const InkBlend blend = std::array{InkBlend::Erase, InkBlend::Over, InkBlend::Multiply,
                                      InkBlend::Over}[strokeIndex % 4];
    rasterizer.beginStroke(layer, blend == InkBlend::Erase ? kWhite : kRed, blend,
                           1 + strokeIndex % 8);
    InkPoint from{position(random), position(random)};
    for (int i = 0; i < 5; ++i) {
      const InkPoint to{position(random), position(random)};
      const InkLayer before = layer;
      const Rect changed = rasterizer.segment(from, to);
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 80; ++x) {
          if (layer.cell(x, y) == before.cell(x, y)) continue;
          ASSERT_TRUE(x >= changed.left && x < changed.right && y >= changed.top &&
                      y < changed.bottom)
              << x << "," << y;
        }
      }
      EXPECT_TRUE(changed.empty() || (changed.left >= 0 && changed.top >= 0 &&
                                      changed.right <= 80 && changed.bottom <= 40));
      from = to;
    }
    rasterizer.endStroke();
  }
  // Far outside, or at absurd positions, nothing is drawn and nothing breaks.
  rasterizer.beginStroke(layer, kRed, InkBlend::Over, 5);
  EXPECT_TRUE(rasterizer.segment({-500, -500}, {-400, -300}).empty());
  EXPECT_TRUE(rasterizer.segment({1e12, 5}, {1e12, 30}).empty());
  EXPECT_FALSE(rasterizer.segment({-1e9, 20.5}, {1e9, 20.5}).empty());
  EXPECT_EQ(layer.coverage(40, 20), 255u);
  EXPECT_TRUE(rasterizer.segment({std::nan(""), 5}, {10, 10}).empty());
  EXPECT_TRUE(rasterizer.provisionalSegment({10, 10}, 3, {10, -INFINITY}, 3).empty());
  // A provisional piece, then the layer shrinks under the stroke: nothing to take back.
  rasterizer.provisionalSegment({10.5, 30.5}, {70.5, 35.5});
  layer.setSize(20, 10);
  EXPECT_TRUE(rasterizer.retractProvisional().empty());
}

// How far (px, py) lies outside the hull of the circles (a, ra) and (b, rb), negative
// inside: the least excess over the discs between them, convex along the segment.
double outsideHull(double px, double py, InkPoint a, double ra, InkPoint b, double rb) {
  const auto excess = [&](double t) {
    return std::hypot(px - a.x - t * (b.x - a.x), py - a.y - t * (b.y - a.y)) - ra - t * (rb - ra);
  };
  double low = 0, high = 1;
  for (int i = 0; i < 40; ++i) {
    const double m1 = low + (high - low) / 3, m2 = high - (high - low) / 3;
    if (excess(m1) < excess(m2)) {
      high = m2;
    } else {
      low = m1;
    }
  }
  return std::min({excess(0), excess(1), excess(low)});
}

TEST(InkRasterizer, TaperedPiecesCoverTheHullOfTheirEndCircles) {
  struct Case {
    InkPoint a;
    double ra;
    InkPoint b;
    double rb;
  };
  const Case cases[] = {
      {{8.5, 20.5}, 1, {70.5, 20.5}, 6},    // horizontal, widening
      {{70.2, 8.3}, 5, {12.6, 31.1}, 1.5},  // shallow, narrowing
      {{15.5, 3.5}, 0.5, {50.5, 38.5}, 4},  // 45 degrees from a hairline
      {{40.3, 36.2}, 2.5, {34.1, 4.4}, 7},  // steep
      {{30.5, 20.5}, 9, {33.5, 22.5}, 2},   // the first circle holds the second
  };
  // Where a straight edge crosses a pixel, 16 x 16 samples miss its area by half a
  // sample in each of the 16 columns, errors that mostly cancel: about 2 levels, 6 at
  // worst here. The round ends are drawn by the centre's distance from the circle,
  // within 15 levels of the area for these radii; 20 leaves room for the sampling.
  constexpr int kSamples = 16;
  for (const Case& c : cases) {
    InkLayer layer(80, 40);
    InkRasterizer rasterizer;
    rasterizer.beginStroke(layer, kRed, InkBlend::Over, 1);
    rasterizer.segment(c.a, c.ra, c.b, c.rb);
    double drawn = 0, area = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) {
        // Sampled only where the edge may cross the pixel.
        const double outside = outsideHull(x + 0.5, y + 0.5, c.a, c.ra, c.b, c.rb);
        int inside = outside < -0.75 ? kSamples * kSamples : 0;
        for (int i = 0; std::abs(outside) <= 0.75 && i < kSamples * kSamples; ++i) {
          inside += outsideHull(x + (i % kSamples + 0.5) / kSamples,
                                y + (i / kSamples + 0.5) / kSamples, c.a, c.ra, c.b, c.rb) <= 0;
        }
        const double expected = 255.0 * inside / (kSamples * kSamples);
        const double got = layer.coverage(x, y);
        drawn += got;
        area += expected;
        // Along the straight edges, away from where they meet the circles.
        const double vx = c.b.x - c.a.x, vy = c.b.y - c.a.y;
        const double t = ((x + 0.5 - c.a.x) * vx + (y + 0.5 - c.a.y) * vy) / (vx * vx + vy * vy);
        const bool straight = t > 0.2 && t < 0.8 && std::hypot(vx, vy) > 20;
        ASSERT_NEAR(got, expected, straight ? 6 : 20) << "pixel " << x << "," << y;
      }
    }
    EXPECT_NEAR(drawn, area, area * 0.01) << c.a.x << "," << c.a.y;
  }

  // Equal radii draw as the stroke's own width does; coincident points and zero or
  // undefined radii still draw a pixel-wide dot.
  const InkPoint from{10.3, 12.7}, to{61.8, 29.2};
  InkLayer even(80, 40), tapered(80, 40);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(even, kRed, InkBlend::Over, 5);
  rasterizer.segment(from, to);
  rasterizer.beginStroke(tapered, kRed, InkBlend::Over, 1);
  rasterizer.segment(from, 2.5, to, 2.5);
  EXPECT_EQ(even, tapered);
  for (const double radius : {0.0, -3.0, std::nan("")}) {
    InkLayer dot(10, 10);
    rasterizer.beginStroke(dot, kRed, InkBlend::Over, 1);
    rasterizer.segment({5.5, 5.5}, radius, {5.5, 5.5}, radius);
    EXPECT_EQ(dot.coverage(5, 5), 255u) << radius;
    EXPECT_EQ(dot.coverage(6, 5), 0u) << radius;
  }
  rasterizer.endStroke();
}

TEST(InkRasterizer, RetractedProvisionalSegmentsLeaveTheSettledStroke) {
  // Settled segments interleaved with provisional ones and retractions, for the pen,
  // the eraser and the highlighter over earlier ink, against the settled segments
  // drawn alone.
  std::mt19937 random(11);
  std::uniform_real_distribution<double> position(-10, 90), radius(0, 6);
  for (const InkBlend blend : {InkBlend::Over, InkBlend::Erase, InkBlend::Multiply}) {
    InkLayer alone = stroke(80, 40, {{5.5, 10.5}, {75.5, 30.5}, {5.5, 30.5}}, 9, 0xFF0000);
    InkLayer mixed = alone;
    InkRasterizer settledOnly, withTail;
    settledOnly.beginStroke(alone, kRed, blend, 3);
    withTail.beginStroke(mixed, kRed, blend, 3);
    InkPoint last{40, 20};
    double lastRadius = 2;
    for (int step = 0; step < 200; ++step) {
      const InkPoint next{position(random), position(random)};
      const double nextRadius = radius(random);
      if (random() % 3 != 0) {
        withTail.provisionalSegment(last, lastRadius, next, nextRadius);
        continue;
      }
      if (random() % 2 == 0) {
        withTail.takeChangedRows([](std::int32_t, std::int32_t, std::int32_t) {});
        const InkLayer before = mixed;
        const Rect changed = withTail.retractProvisional();
        std::vector<std::pair<std::int32_t, std::int32_t>> rows(40, {0, 0});
        withTail.takeChangedRows([&](std::int32_t y, std::int32_t left, std::int32_t right) {
          rows[std::size_t(y)] = {left, right};
        });
        for (int y = 0; y < 40; ++y) {
          for (int x = 0; x < 80; ++x) {
            if (mixed.cell(x, y) == before.cell(x, y)) continue;
            ASSERT_TRUE(x >= changed.left && x < changed.right && y >= changed.top &&
                        y < changed.bottom && x >= rows[std::size_t(y)].first &&
                        x < rows[std::size_t(y)].second)
                << x << "," << y;
          }
        }
        ASSERT_EQ(mixed, alone) << "step " << step;
      }
      settledOnly.segment(last, lastRadius, next, nextRadius);
      withTail.segment(last, lastRadius, next, nextRadius);
      last = next;
      lastRadius = nextRadius;
    }
    withTail.retractProvisional();
    settledOnly.endStroke();
    withTail.endStroke();
    EXPECT_EQ(mixed, alone) << static_cast<int>(blend);
  }
}

// ---- Ink layer ----

TEST(InkLayer, CopiedPartsPutBackRestoreExactCells) {
  InkLayer layer = stroke(50, 30, {{5.2, 5.7}, {44.1, 24.9}}, 5);
  const InkLayer original = layer;
  const InkLayer part = layer.copy({10, 8, 30, 20});
  EXPECT_EQ(part.width(), 20);
  EXPECT_EQ(part.height(), 12);
  InkRasterizer rasterizer;
  rasterizer.beginStroke(layer, kBlack, InkBlend::Over, 7);
  rasterizer.segment({0, 15}, {50, 15});
  rasterizer.endStroke();
  layer.paste({10, 8}, part);
  EXPECT_EQ(layer.copy({10, 8, 30, 20}), part);
  EXPECT_NE(layer, original);  // outside the part, the new stroke stays
  // A part of the whole layer restores it all; parts reaching outside are clipped.
  layer.paste({0, 0}, original.copy({-5, -5, 60, 40}));
  EXPECT_EQ(layer, original);
  layer.paste({45, 25}, part);
  EXPECT_EQ(layer.cell(45, 25), part.cell(0, 0));
  EXPECT_EQ(layer.copy({45, 25, 50, 30}), part.copy({0, 0, 5, 5}));

  // Resizing keeps the top-left; new area holds no ink.
  InkLayer resized = original;
  resized.setSize(30, 40);
  EXPECT_EQ(resized.copy({0, 0, 30, 30}), original.copy({0, 0, 30, 30}));
  EXPECT_EQ(resized.cell(10, 35), kNoInk);
  EXPECT_EQ(resized.cell(-1, 0), kNoInk);
}

// ---- Compositing ----

std::uint32_t exactBlend(std::uint32_t ink, std::uint32_t back, std::uint32_t coverage) {
  return static_cast<std::uint32_t>(
      std::lround((double(ink) * coverage + double(back) * (255 - coverage)) / 255));
}

TEST(InkCompositing, BlendIsRoundedExactlyAndKeepsBytesAtNoneAndFullCoverage) {
  // Every ink value at every coverage, over a range of background values.
  InkLayer ink(256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      ink.setCell(x, y, inkCell(storedColorOf(rgb(x, 255 - x, x ^ 0x5A)), y));
    }
  }
  for (const std::uint32_t back : {0u, 1u, 77u, 127u, 128u, 200u, 254u, 255u}) {
    Picture background;
    background.setBrushColor(rgb(back, 255 - back, back / 2));
    background.setSize(256, 256);
    Picture composite(PixelFormat::Device, 256, 256);
    EXPECT_EQ(recomposite(ink, background, composite, {0, 0, 256, 256}), (Rect{0, 0, 256, 256}));
    for (int y = 0; y < 256; ++y) {
      const std::uint8_t* row = composite.scanLine(y);
      for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(row[4 * x + 2], exactBlend(x, back, y)) << x << "," << y << " over " << back;
        ASSERT_EQ(row[4 * x + 1], exactBlend(255 - x, 255 - back, y));
        ASSERT_EQ(row[4 * x + 0], exactBlend(x ^ 0x5A, back / 2, y));
        ASSERT_EQ(row[4 * x + 3], 0);
      }
    }
  }

  // Without ink the composite is the background byte for byte.
  std::mt19937 random(3);
  Picture background(PixelFormat::Device, 97, 31);
  for (int y = 0; y < 31; ++y) {
    for (int x = 0; x < 97; ++x) background.setPixel(x, y, random() & 0xFFFFFF);
  }
  Picture composite(PixelFormat::Device, 97, 31);
  recomposite(InkLayer(97, 31), background, composite, {0, 0, 97, 31});
  for (int y = 0; y < 31; ++y) {
    ASSERT_EQ(std::memcmp(composite.scanLine(y), background.scanLine(y), 4 * 97), 0) << y;
  }
}

TEST(InkCompositing, EdgesBlendWithTextWithoutAHalo) {
  // Black text in the left half, white paper in the right; a red stroke across both.
  Picture background(PixelFormat::Device, 60, 20);
  background.setBrushColor(kWhite);
  background.fillRect({30, 0, 60, 20});
  const InkLayer ink = stroke(60, 20, {{2.5, 10.2}, {57.5, 10.2}}, 5);
  Picture composite(PixelFormat::Device, 60, 20);
  recomposite(ink, background, composite, {0, 0, 60, 20});
  int edges = 0;
  for (int y = 0; y < 20; ++y) {
    for (const int x : {15, 45}) {
      const std::uint32_t c = ink.coverage(x, y);
      const Color shown = composite.pixel(x, y);
      if (x == 15) {  // over text: red by coverage, never lighter than the ink
        EXPECT_EQ(shown, rgb(exactBlend(255, 0, c), 0, 0)) << y;
      } else {  // over paper
        EXPECT_EQ(shown, rgb(255, exactBlend(0, 255, c), exactBlend(0, 255, c))) << y;
      }
      if (c > 0 && c < 255) ++edges;
    }
  }
  EXPECT_EQ(edges, 4);  // both edges of the stroke, over text and over paper
  // Different sizes: beyond the ink there is none, beyond the background white paper.
  Picture wide(PixelFormat::Device, 70, 25);
  EXPECT_EQ(recomposite(ink, background, wide, {-10, -10, 100, 100}), (Rect{0, 0, 70, 25}));
  EXPECT_EQ(wide.pixel(65, 10), kWhite);
  EXPECT_EQ(wide.pixel(40, 10), kRed);
  EXPECT_EQ(wide.pixel(5, 22), kWhite);
  EXPECT_EQ(wide.pixel(5, 2), kBlack);
  Picture composite24(PixelFormat::Bits24, 60, 20);
  recomposite(ink, background, composite24, {0, 0, 60, 20});
  for (int y = 0; y < 20; ++y) EXPECT_EQ(composite24.pixel(15, y), composite.pixel(15, y));
}

// ---- Smoothed path ----

std::vector<InkPoint> smoothed(const std::vector<InkPoint>& positions) {
  StrokeSmoother smoother;
  std::vector<InkPoint> out;
  smoother.begin(positions.front(), out);
  for (std::size_t i = 1; i + 1 < positions.size(); ++i) smoother.add(positions[i], out);
  smoother.end(positions.back(), out);
  return out;
}

double turn(InkPoint a, InkPoint b, InkPoint c) {
  const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - b.x, vy = c.y - b.y;
  return std::abs(std::atan2(ux * vy - uy * vx, ux * vx + uy * vy));
}

TEST(StrokeSmoother, ClosedCircleHasNoCorners) {
  // Sixteen mouse positions around a circle, whole pixels as the mouse gives them:
  // straight segments would turn by 22.5 degrees at each.
  std::vector<InkPoint> positions;
  for (int i = 0; i <= 16; ++i) {
    const double angle = i * 2 * std::numbers::pi / 16;
    positions.push_back({std::round(100 + 60 * std::cos(angle)) + 0.5,
                         std::round(100 + 60 * std::sin(angle)) + 0.5});
  }
  positions.push_back(positions[1]);  // closing: once more past the start
  const std::vector<InkPoint> path = smoothed(positions);
  ASSERT_GT(path.size(), 60u);
  // Between the first and the last straight piece every turn is small.
  for (std::size_t i = 2; i + 2 < path.size(); ++i) {
    EXPECT_LE(turn(path[i - 1], path[i], path[i + 1]), 0.2) << i;
  }
  // And the curve stays near the circle.
  for (std::size_t i = 1; i + 1 < path.size(); ++i) {
    EXPECT_NEAR(std::hypot(path[i].x - 100.5, path[i].y - 100.5), 60, 3) << i;
  }
}

TEST(StrokeSmoother, PassesThroughMidpointsAndEndsAtTheRelease) {
  const std::vector<InkPoint> path = smoothed({{10, 10}, {50, 10}, {50, 50}, {90, 50}});
  const auto contains = [&](InkPoint p) {
    for (const InkPoint& q : path) {
      if (std::hypot(q.x - p.x, q.y - p.y) < 1e-9) return true;
    }
    return false;
  };
  EXPECT_EQ(path.front(), (InkPoint{10, 10}));
  EXPECT_EQ(path.back(), (InkPoint{90, 50}));
  EXPECT_TRUE(contains({30, 10}));
  EXPECT_TRUE(contains({50, 30}));
  EXPECT_TRUE(contains({70, 50}));
  EXPECT_FALSE(contains({50, 10}));  // the corner is rounded off

  // Drawn as it goes: each move settles the curve up to the midpoint before it.
  StrokeSmoother smoother;
  std::vector<InkPoint> out;
  smoother.begin({0, 0}, out);
  EXPECT_EQ(out, (std::vector<InkPoint>{{0, 0}}));
  smoother.add({20, 0}, out);
  EXPECT_EQ(out.back(), (InkPoint{10, 0}));
  // Jitter below the step waits; the release still ends on it.
  const std::size_t settled = out.size();
  smoother.add({20.5, 1}, out);
  EXPECT_EQ(out.size(), settled);
  smoother.end({21, 1}, out);
  EXPECT_EQ(out.back(), (InkPoint{21, 1}));
  // A click is a single dot.
  out.clear();
  smoother.begin({5, 5}, out);
  smoother.end({5, 5}, out);
  EXPECT_EQ(out, (std::vector<InkPoint>{{5, 5}}));
}

TEST(StrokeSmoother, CarriesAValueAlongAndShowsTheTailUpToThePointer) {
  // A value equal to each position's x follows the curve as x does, and the positions
  // are those of the plain curve.
  const std::vector<InkPoint> positions = {{10, 10}, {30, 12}, {31, 13}, {45, 40}, {20, 60}};
  StrokeSmoother plain, carrying;
  std::vector<InkPoint> path;
  std::vector<CarriedPoint> carried;
  const auto carry = [](InkPoint at) { return CarriedPoint{at, at.x}; };
  plain.begin(positions[0], path);
  carrying.begin(carry(positions[0]), carried);
  for (std::size_t i = 1; i < positions.size(); ++i) {
    plain.add(positions[i], path);
    carrying.add(carry(positions[i]), carried);
    // The tail runs from the last settled point to the last position added, even one
    // held back, and ends the stroke as a release there would.
    std::vector<CarriedPoint> tail;
    carrying.provisionalTail(tail);
    ASSERT_GE(tail.size(), 2u) << i;
    EXPECT_EQ(tail.front(), carried.back()) << i;
    EXPECT_EQ(tail.back(), carry(positions[i])) << i;
    StrokeSmoother released = carrying;
    std::vector<CarriedPoint> ending{carried.back()};
    released.end(carry(positions[i]), ending);
    EXPECT_EQ(tail, ending) << i;
  }
  plain.end({22, 61}, path);
  carrying.end(carry({22, 61}), carried);
  ASSERT_EQ(carried.size(), path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    EXPECT_EQ(carried[i].at, path[i]);
    EXPECT_NEAR(carried[i].value, path[i].x, 1e-9);
  }
  // No tail before the pointer leaves the first point, nor after the release.
  std::vector<InkPoint> tail;
  carrying.provisionalTail(tail);
  plain.begin({5, 5}, path);
  plain.provisionalTail(tail);
  EXPECT_TRUE(tail.empty());
}

// ---- The surface with smooth ink ----

class SmoothStrokeTest : public testing::Test {
 protected:
  SmoothStrokeTest() {
    surface.setStartPen({2, 5});  // red, 5 pixels
    surface.createLayers(120, 80);
  }
  // Every pixel of the composite that changed lies in the returned rectangle: the
  // screen, which is given only those rectangles, shows what Send writes.
  Rect checked(const std::function<SurfaceOutcome()>& event) {
    const Picture before = *surface.composite();
    const Rect changed = event().repaint;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (surface.composite()->pixel(x, y) == before.pixel(x, y)) continue;
        EXPECT_TRUE(x >= changed.left && x < changed.right && y >= changed.top &&
                    y < changed.bottom)
            << x << "," << y;
      }
    }
    return changed;
  }
  Color shown(int x, int y) const { return surface.composite()->pixel(x, y); }
  std::uint32_t coverage(int x, int y) const { return coverageOf(surface.ink()->cell(x, y)); }
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
};

TEST_F(SmoothStrokeTest, StrokesDrawAsTheyGoAndEndAtTheRelease) {
  ASSERT_TRUE(surface.smoothInk());
  ASSERT_TRUE(surface.ink());
  EXPECT_FALSE(checked([&] { return mouse.press(kLeftButton, {10, 40}); }).empty());
  EXPECT_EQ(shown(10, 40), kRed);  // the dot under the pointer
  // The ink reaches the pointer at every move: the tail past the first midpoint is
  // drawn provisionally.
  checked([&] { return mouse.move(kLeftButton, {50, 40}); });
  EXPECT_EQ(shown(30, 40), kRed);
  EXPECT_EQ(shown(50, 40), kRed);
  checked([&] { return mouse.move(kLeftButton, {90, 20}); });
  EXPECT_EQ(shown(90, 20), kRed);
  checked([&] { return mouse.release({100, 20}); });
  EXPECT_EQ(shown(100, 20), kRed);
  // The corner was rounded off: nothing is left of the provisional piece to it.
  EXPECT_EQ(shown(50, 41), kWhite);
  EXPECT_FALSE(surface.isDrawing());
  // Anti-aliased: partly covered pixels along the edges.
  int partial = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      const std::uint32_t c = coverage(x, y);
      if (c > 0 && c < 255) ++partial;
    }
  }
  EXPECT_GT(partial, 100);

  // The eraser takes the ink away and shows the background again.
  class GreenDot : public TextAreaSnapshot {
    void paintInto(Picture& picture) override {
      picture.setBrushColor(kWhite);
      picture.fillRect({0, 0, picture.width(), picture.height()});
      picture.setPixel(70, 30, 0x00FF00);
    }
  } snapshot;
  surface.enterHandwriting(snapshot, 120, 80);
  surface.chooseTool(ChosenTool::Eraser);
  checked([&] { return mouse.press(kLeftButton, {70, 31}); });
  checked([&] { return mouse.release({70, 31}); });
  EXPECT_EQ(coverage(70, 30), 0u);
  EXPECT_EQ(shown(70, 30), 0x00FF00u);
}

// At every move of a fast stroke the pointer's own pixel is fully inked: the distance
// between the pointer and the end of the drawn ink is 0.
TEST_F(SmoothStrokeTest, InkReachesThePointerAtEveryMove) {
  mouse.press(kLeftButton, {60, 10});
  for (int i = 1; i <= 40; ++i) {
    const Point at{60 + static_cast<std::int32_t>(35 * std::sin(i * 0.3)),
                   40 - static_cast<std::int32_t>(30 * std::cos(i * 0.3))};
    mouse.move(kLeftButton, at);
    ASSERT_EQ(coverage(at.x, at.y), 255u) << "move " << i;
  }
}

// The brush: a stroke starts and ends thinner than its middle, a fast one is thinner
// than a slow one over the same path, and without the brush the width is even.
TEST_F(SmoothStrokeTest, BrushPenTapersAndThinsWithSpeed) {
  const auto draw = [](bool brush, std::uint32_t msPerStep) {
    HandwritingSurface surface;
    MouseStrokes mouse{surface};
    surface.setStartPen({0, 7});
    surface.setBrushPen(brush);
    surface.createLayers(200, 40);
    std::uint32_t time = 0;
    mouse.press(kLeftButton, {10, 20}, time);
    for (std::int32_t x = 14; x < 190; x += 4) mouse.move(kLeftButton, {x, 20}, time += msPerStep);
    mouse.release({190, 20}, time + msPerStep);
    std::vector<std::uint32_t> columns(200);  // the coverage of each column
    for (int x = 0; x < 200; ++x) {
      for (int y = 0; y < 40; ++y) columns[x] += coverageOf(surface.ink()->cell(x, y));
    }
    return columns;
  };
  const auto total = [](const std::vector<std::uint32_t>& columns) {
    return std::accumulate(columns.begin(), columns.end(), 0u);
  };
  const std::vector<std::uint32_t> even = draw(false, 20), slow = draw(true, 20),
                                   fast = draw(true, 2);
  EXPECT_EQ(even[14], even[100]);
  EXPECT_EQ(even[186], even[100]);
  EXPECT_LT(slow[14], slow[100] * 3 / 4);
  EXPECT_LT(slow[186], slow[100] * 3 / 4);
  EXPECT_LT(total(fast), total(slow) * 4 / 5);
  EXPECT_LE(total(slow), total(even));
}

TEST_F(SmoothStrokeTest, RestartsMissedReleasesAndResizes) {
  // A second button restarts the stroke at its own position: nothing between.
  checked([&] { return mouse.press(kLeftButton, {10, 10}); });
  checked([&] { return mouse.press(kRightButton, {100, 70}); });
  EXPECT_EQ(coverage(55, 40), 0u);
  checked([&] { return mouse.release({100, 70}); });

  // A missed release completes the last piece but draws nothing towards the new position.
  checked([&] { return mouse.press(kRightButton, {10, 60}); });
  checked([&] { return mouse.move(kRightButton, {40, 60}); });
  checked([&] { return mouse.move(kNoButton, {40, 20}); });
  EXPECT_FALSE(surface.isDrawing());
  EXPECT_EQ(shown(38, 60), kRed);
  EXPECT_EQ(coverage(40, 40), 0u);

  // The drawing area shrinks and grows during a stroke: drawing goes on, clipped.
  checked([&] { return mouse.press(kLeftButton, {20, 30}); });
  surface.resize(60, 40);
  checked([&] { return mouse.move(kLeftButton, {100, 30}); });
  surface.resize(120, 80);
  checked([&] { return mouse.move(kLeftButton, {110, 50}); });
  checked([&] { return mouse.release({110, 50}); });
  EXPECT_EQ(coverage(30, 30), 255u);
  EXPECT_EQ(coverage(91, 32), 255u);

  // Entering handwriting mode recomposites everything over the snapshot.
  class Black : public TextAreaSnapshot {
    void paintInto(Picture& picture) override {
      picture.setBrushColor(kBlack);
      picture.fillRect({0, 0, picture.width(), picture.height()});
    }
  } snapshot;
  const Rect all = surface.enterHandwriting(snapshot, 120, 80);
  EXPECT_EQ(all, (Rect{0, 0, 120, 80}));
  EXPECT_EQ(shown(30, 30), kRed);
  EXPECT_EQ(shown(5, 75), kBlack);
  surface.releaseLayers();
  EXPECT_FALSE(surface.ink());
  EXPECT_TRUE(mouse.press(kLeftButton, {1, 1}).repaint.empty());
}

TEST(ClassicInk, SurfaceDrawsAsThePictureLinesDo) {
  // "SmoothInk=0": the pen's aliased lines between the very mouse positions, and the
  // white-is-transparent composite, whatever the smooth path does.
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
  surface.setSmoothInk(false);
  surface.setStartPen({2, 5});
  surface.createLayers(120, 80);
  Picture ink;
  ink.setSize(120, 80);
  ink.setPenColor(kRed);
  ink.setPenWidth(5);
  const std::vector<Point> positions{{10, 10}, {50, 12}, {51, 13}, {90, 70}, {20, 60}};
  mouse.press(kLeftButton, positions[0]);
  ink.moveTo(positions[0]);
  for (std::size_t i = 1; i < positions.size(); ++i) {
    mouse.move(kLeftButton, positions[i]);
    ink.lineTo(positions[i]);
  }
  mouse.release(positions.back());
  ink.lineTo(positions.back());
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      ASSERT_EQ(colorOfStored(surface.ink()->cell(x, y)), ink.pixel(x, y)) << x << "," << y;
    }
    ASSERT_EQ(std::memcmp(surface.composite()->scanLine(y), ink.scanLine(y), 4 * 120), 0) << y;
  }
}

// ---- Mark-up: the highlighter and straight lines, with both inks ----

// Text lines on white paper: black rows 20 to 23, the rest white.
class TextLines : public TextAreaSnapshot {
  void paintInto(Picture& picture) override {
    picture.setBrushColor(kWhite);
    picture.fillRect({0, 0, picture.width(), picture.height()});
    picture.setBrushColor(kBlack);
    picture.fillRect({0, 20, picture.width(), 24});
  }
};

class MarkUpTest : public testing::TestWithParam<bool> {
 protected:
  MarkUpTest() {
    surface.setSmoothInk(GetParam());
    surface.createLayers(120, 60);
    surface.enterHandwriting(text, 120, 60);
    surface.setStartHighlighter({kYellowIndex, 16});
  }
  void draw(ChosenTool tool, std::vector<Point> points) {
    surface.chooseTool(tool);
    mouse.press(kLeftButton, points.front());
    for (const Point& at : points) mouse.move(kLeftButton, at);
    mouse.release(points.back());
    surface.chooseTool(ChosenTool::Pen);
  }
  Color shown(int x, int y) const { return surface.composite()->pixel(x, y); }
  // Whether the screen shows what a render of the list from scratch gives.
  bool showsTheList() {
    HandwritingSurface fresh;
    fresh.setSmoothInk(GetParam());
    fresh.createLayers(120, 60);
    fresh.enterHandwriting(text, 120, 60);
    StrokeList list;
    for (const fudekko::Stroke& stroke : surface.strokes()) list.add(stroke);
    fresh.restoreStrokes(std::move(list));
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (shown(x, y) != fresh.composite()->pixel(x, y)) return false;
      }
    }
    return true;
  }
  TextLines text;
  HandwritingSurface surface;
  MouseStrokes mouse{surface};
};

// The highlighter multiplies: black text stays black, white paper takes its colour,
// nothing it passes gets lighter, and what it does not reach stays as it was.
TEST_P(MarkUpTest, MarksTheTextWithoutHidingIt) {
  const Color yellow = colorTableEntry(kYellowIndex);
  draw(ChosenTool::Highlighter, {{10, 22}, {60, 22}, {110, 22}});
  EXPECT_EQ(shown(60, 22), kBlack);
  EXPECT_EQ(shown(60, 16), yellow);
  EXPECT_EQ(shown(60, 27), yellow);
  EXPECT_EQ(shown(60, 45), kWhite);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      const Color paper = y >= 20 && y < 24 ? kBlack : kWhite;
      const Color marked = shown(x, y);
      // Between the paper and the paper times yellow, channel by channel.
      for (int shift : {0, 8, 16}) {
        const auto channel = [shift](Color c) { return (c >> shift) & 0xFF; };
        ASSERT_LE(channel(marked), channel(paper)) << x << "," << y;
        ASSERT_GE(channel(marked), channel(paper) * channel(yellow) / 255) << x << "," << y;
      }
    }
  }
  // Where a stroke crosses itself it does not darken; a second stroke over it does.
  draw(ChosenTool::Highlighter, {{30, 40}, {50, 40}, {40, 30}, {40, 55}});
  EXPECT_EQ(shown(40, 40), yellow);
  const Color silver = kColorTable[7];
  surface.setStartHighlighter({7, 8});
  draw(ChosenTool::Highlighter, {{100, 5}, {100, 55}});
  draw(ChosenTool::Highlighter, {{80, 50}, {115, 50}});
  EXPECT_EQ(shown(100, 10), silver);
  EXPECT_EQ(shown(100, 50),
            colorOfStored(markedPixel(inkCell(storedColorOf(silver), 255), storedColorOf(silver))));
}

// Pen ink lies over the highlighter in whatever order they were drawn; the partial
// eraser takes the marks away as it takes ink; the stroke eraser takes a highlighter
// stroke whole.
TEST_P(MarkUpTest, LiesUnderThePenAndBothErasersTakeIt) {
  surface.setStartPen({2, 5});
  draw(ChosenTool::Pen, {{20, 10}, {20, 50}});
  draw(ChosenTool::Highlighter, {{5, 30}, {115, 30}});
  draw(ChosenTool::Pen, {{60, 10}, {60, 50}});
  EXPECT_EQ(shown(20, 30), kColorTable[2]);
  EXPECT_EQ(shown(60, 30), kColorTable[2]);
  EXPECT_EQ(shown(40, 30), colorTableEntry(kYellowIndex));
  draw(ChosenTool::Eraser, {{90, 0}, {90, 59}});
  EXPECT_EQ(shown(90, 30), kWhite);
  EXPECT_EQ(shown(40, 30), colorTableEntry(kYellowIndex));
  surface.setEraserKind(EraserKind::Stroke);
  draw(ChosenTool::Eraser, {{40, 25}, {40, 35}});
  EXPECT_EQ(shown(40, 30), kWhite);
  EXPECT_EQ(shown(20, 30), kColorTable[2]);
  surface.undo();
  EXPECT_EQ(shown(40, 30), colorTableEntry(kYellowIndex));
}

// Shift held: the stroke is drawn anew as a straight line from where it began, leaving
// nothing of the path the pointer took; let go, the stroke goes on from the line's end.
TEST_P(MarkUpTest, ShiftDrawsAStraightLineLive) {
  surface.setStartPen({2, 5});
  HandwritingSurface plain;
  plain.setSmoothInk(GetParam());
  plain.createLayers(120, 60);
  plain.enterHandwriting(text, 120, 60);
  plain.setStartPen({2, 5});
  MouseStrokes plainMouse(plain);
  plainMouse.press(kLeftButton, {10, 10});
  plainMouse.release({100, 40});

  mouse.press(kLeftButton, {10, 10});
  for (const Point at : {Point{40, 50}, Point{70, 5}, Point{110, 55}}) {
    mouse.move(kLeftButton, at, 0, true);
  }
  mouse.release({100, 40}, 0, true);
  ASSERT_EQ(surface.strokes().size(), 1u);
  EXPECT_EQ(surface.strokes()[0].points, plain.strokes()[0].points);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x)
      ASSERT_EQ(shown(x, y), plain.composite()->pixel(x, y)) << x << "," << y;
  }

  mouse.press(kLeftButton, {10, 55});
  mouse.move(kLeftButton, {60, 55}, 0, true);
  mouse.move(kLeftButton, {60, 20});
  mouse.release({60, 20});
  const std::vector<StrokePoint>& bent = surface.strokes()[1].points;
  ASSERT_GE(bent.size(), 3u);
  EXPECT_EQ(pixelOf(bent[1]), (Point{60, 55}));
  EXPECT_EQ(shown(60, 35), kColorTable[2]);
}

// A stroke held still snaps to its shape at once; moves after it change nothing. The
// first undo gives the freehand stroke back as drawn, the second removes it; every step
// shows what a render of the list gives.
TEST_P(MarkUpTest, AHeldStrokeSnapsToItsShapeAndUndoGivesTheFreehandBack) {
  mouse.press(kLeftButton, {10, 50});
  for (const Point at : {Point{40, 48}, Point{70, 52}, Point{100, 49}}) mouse.move(kLeftButton, at);
  mouse.move(kLeftButton, {105, 50});
  EXPECT_FALSE(surface.snapToShape().repaint.empty());
  EXPECT_TRUE(surface.snapToShape().repaint.empty());  // once
  EXPECT_TRUE(mouse.move(kLeftButton, {60, 5}).repaint.empty());
  const SurfaceOutcome released = mouse.release({60, 5});
  ASSERT_EQ(released.changes.size(), 2u);
  ASSERT_EQ(surface.strokes().size(), 1u);
  const std::vector<StrokePoint> line = surface.strokes()[0].points;
  for (const StrokePoint& point : line) EXPECT_NEAR(point.y, 49.5, 1.0);
  EXPECT_TRUE(showsTheList());
  surface.undo();
  ASSERT_EQ(surface.strokes().size(), 1u);
  EXPECT_NE(surface.strokes()[0].points, line);
  EXPECT_TRUE(showsTheList());
  surface.undo();
  EXPECT_TRUE(surface.strokes().empty());
  surface.redo();
  surface.redo();
  EXPECT_EQ(surface.strokes()[0].points, line);
  EXPECT_TRUE(showsTheList());
  // A scribble resembles nothing and stays as drawn.
  mouse.press(kLeftButton, {10, 10});
  for (int i = 0; i < 12; ++i) mouse.move(kLeftButton, {10 + 8 * i, i % 2 ? 5 : 30 - i});
  EXPECT_TRUE(surface.snapToShape().repaint.empty());
  EXPECT_EQ(mouse.release({100, 20}).changes.size(), 1u);
}

// A partly erased stroke moves as it looks: its gap goes with it, the eraser stays for
// what lies beneath; recolouring keeps the gap; each edit is a step; every state shows
// what a render of the list gives.
TEST_P(MarkUpTest, EditsKeepTheLookAndAreSteps) {
  surface.setStartPen({1, 5});
  draw(ChosenTool::Pen, {{30, 5}, {30, 55}});  // beneath, blue
  surface.setStartPen({2, 5});
  draw(ChosenTool::Pen, {{10, 10}, {110, 10}});  // to move, red
  surface.setStartPen({0, 3});
  surface.chooseTool(ChosenTool::Pen);
  while (surface.pen().colorIndex != kWhiteIndex) surface.cyclePenColor();
  draw(ChosenTool::Pen, {{60, 0}, {60, 59}});  // the white pen erases: a gap in both
  EXPECT_EQ(shown(60, 10), kWhite);
  const std::uint32_t red[] = {1};
  const SurfaceOutcome moved = surface.transformStrokes(red, {1, 0, 0, 0, 30});
  ASSERT_EQ(moved.changes.size(), 1u);
  EXPECT_EQ(shown(40, 10), kWhite);          // gone from its place
  EXPECT_EQ(shown(40, 40), kColorTable[2]);  // here now
  EXPECT_EQ(shown(60, 40), kWhite);          // with its gap
  EXPECT_EQ(shown(30, 40), kColorTable[2]);  // on top of the stroke beneath
  EXPECT_EQ(shown(30, 25), kColorTable[1]);
  EXPECT_TRUE(showsTheList());
  const std::uint32_t top[] = {2};
  surface.recolourStrokes(top, kColorTable[11]);
  EXPECT_EQ(shown(40, 40), kColorTable[11]);
  EXPECT_EQ(shown(60, 40), kWhite);
  EXPECT_TRUE(showsTheList());
  surface.transformStrokes(top, {2, 10, 40, 0, 0});  // twice as large about its left end
  EXPECT_EQ(shown(111, 40), kWhite);                 // the gap, moved out to 111
  EXPECT_EQ(shown(90, 40), kColorTable[11]);
  EXPECT_TRUE(showsTheList());
  surface.removeStrokes(top);
  EXPECT_EQ(shown(40, 40), kWhite);
  for (int step = 0; step < 4; ++step) {
    surface.undo();
    EXPECT_TRUE(showsTheList()) << step;
  }
  EXPECT_EQ(shown(40, 10), kColorTable[2]);
  EXPECT_EQ(shown(60, 10), kWhite);
  // Not a selection: nothing.
  const std::uint32_t twice[] = {0, 0};
  EXPECT_TRUE(surface.removeStrokes(twice).changes.empty());
}

INSTANTIATE_TEST_SUITE_P(BothInks, MarkUpTest, testing::Bool());

}  // namespace
}  // namespace fudekko
