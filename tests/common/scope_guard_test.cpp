#include "common/scope_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace fudekko {
namespace {

TEST(ScopeGuard, RunsOnEveryWayOutUnlessDismissed) {
  int runs = 0;
  {
    const ScopeGuard guard([&] { ++runs; });
  }
  EXPECT_EQ(runs, 1);
  try {
    const ScopeGuard guard([&] { ++runs; });
    throw std::runtime_error("left by an exception");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(runs, 2);
  {
    ScopeGuard guard([&] { ++runs; });
    guard.dismiss();
  }
  EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace fudekko
