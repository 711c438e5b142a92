#pragma once

#include <string>

#include "world/world.h"

// The world's invariants, checked by the tests, the monkey and the fuzzers.
namespace test_support {

// The first invariant the world breaks, as a short sentence; empty when it
// keeps them all: every agent inside the grid on a cell of its own (placement
// never stacks agents) and of a group in 1..GroupCount, Occupied and State
// agreeing with the agents, GroupCounts one per group and summing to them,
// every street segment typed.
std::string BrokenWorldInvariant(const world::World& w);

// "agent off its pixel centre" when an agent's pixel position is not its
// cell's centre, else empty. Holds wherever agents are placed or moved after
// the last change of the cell size.
std::string AgentOffPixelCentre(const world::World& w);

// For the fuzzers: prints the broken invariant and aborts, so that the
// fuzzer keeps the input.
void AbortIfBroken(const world::World& w);

}  // namespace test_support
