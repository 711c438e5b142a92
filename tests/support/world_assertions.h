#pragma once

#include <gtest/gtest.h>

#include "world/world.h"
#include "tests/support/world_invariants.h"

namespace test_support {

// The world's invariants and every agent on its cell's pixel centre, for
// EXPECT_TRUE; a failure names the broken invariant.
inline ::testing::AssertionResult Consistent(const world::World& w) {
  std::string broken = BrokenWorldInvariant(w);
  if (broken.empty()) broken = AgentOffPixelCentre(w);
  if (!broken.empty()) return ::testing::AssertionFailure() << broken;
  return ::testing::AssertionSuccess();
}

}  // namespace test_support
