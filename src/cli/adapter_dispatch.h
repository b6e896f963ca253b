#pragma once

#include "cli/workbench.h"

#include <optional>
#include <vector>

namespace cli {

// Runs the command on the benches, one per adapter. A scan lists what every adapter heard;
// the other commands, given several adapters (--adapter all), first scan through each and
// then work each device through the adapter that heard it.
int runOnAdapters(const Invocation& invocation, const std::optional<Plan>& plan,
                  std::vector<Workbench>& benches, platform::PortLock& portLock);

} // namespace cli
