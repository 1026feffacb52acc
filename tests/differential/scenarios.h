#pragma once
// The drawing scenarios run on both platforms: each draws on a fresh surface that starts
// from a known fill and returns what the surface then holds.
#include <string>
#include <vector>

#include "tests/differential/shots.h"

namespace kavrin::diff {

// Runs every scenario whose name contains `filter` (all for an empty filter). Every GDI
// object a scenario creates is released before it returns.
std::vector<Shot> RunScenarios(const std::string& filter = "");

}  // namespace kavrin::diff
