#include "surface/merged_moves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

namespace fudekko {
namespace {

using Points = std::vector<Point>;

// The positions of what mergedMoves returns, its times checked against the history's.
Points positions(const std::vector<TimedPoint>& merged, std::span<const MovePoint> history) {
  Points at;
  for (const TimedPoint& point : merged) {
    const bool timed = std::any_of(history.begin(), history.end(), [&](const MovePoint& entry) {
      return entry.time == point.time;
    });
    EXPECT_TRUE(timed) << "time " << point.time;
    at.push_back(point.at);
  }
  return at;
}

TEST(MergedMoves, WalksBackToThePreviousMessageAndGivesTheMergedOnesOldestFirst) {
  const MovePoint previous{10, 10, 100};
  // Newest first: the move itself, two merged positions, the previous message, older.
  const std::vector<MovePoint> history = {
      {40, 40, 130}, {30, 30, 120}, {20, 20, 110}, previous, {5, 5, 90}};
  EXPECT_EQ(positions(mergedMoves(history, previous), history), (Points{{20, 20}, {30, 30}}));

  // Same time, other place: still merged; the walk stops only at the previous entry.
  const std::vector<MovePoint> sameTime = {{40, 40, 100}, {30, 30, 100}, previous};
  EXPECT_EQ(positions(mergedMoves(sameTime, previous), sameTime), (Points{{30, 30}}));

  // Nothing between the two messages, or no history beyond the move itself.
  EXPECT_TRUE(mergedMoves(std::vector<MovePoint>{{40, 40, 130}, previous}, previous).empty());
  EXPECT_TRUE(mergedMoves(std::vector<MovePoint>{{40, 40, 130}}, previous).empty());
  EXPECT_TRUE(mergedMoves({}, previous).empty());
}

TEST(MergedMoves, StopsAtTheFirstOlderEntryWhenThePreviousOneIsGone) {
  const MovePoint previous{10, 10, 100};
  const std::vector<MovePoint> history = {{40, 40, 130}, {30, 30, 120}, {11, 11, 99}, {9, 9, 98}};
  EXPECT_EQ(positions(mergedMoves(history, previous), history), (Points{{30, 30}}));
  // Nothing in the history that recent at all: the whole of it is merged.
  const std::vector<MovePoint> all = {{40, 40, 130}, {30, 30, 120}, {20, 20, 110}};
  EXPECT_EQ(positions(mergedMoves(all, previous), all), (Points{{20, 20}, {30, 30}}));
}

TEST(MergedMoves, DisplayCoordinatesWrapAtSixteenBitsBothWays) {
  // Left of and above the primary monitor, positions are negative.
  const MovePoint current = movePointAt({-5, -4464}, 200);
  EXPECT_EQ(current, (MovePoint{65531, 61072, 200}));
  const MovePoint previous = movePointAt({-20, 3}, 180);
  EXPECT_EQ(previous, (MovePoint{65516, 3, 180}));
  const std::vector<MovePoint> history = {current, movePointAt({-12, -1}, 190), previous};
  EXPECT_EQ(positions(mergedMoves(history, previous), history), (Points{{-12, -1}}));
  EXPECT_EQ(mergedMoves(std::vector<MovePoint>{{0, 0, 200}, {32767, 32768, 190}}, previous),
            (std::vector<TimedPoint>{{{32767, -32768}, 190}}));
}

}  // namespace
}  // namespace fudekko
