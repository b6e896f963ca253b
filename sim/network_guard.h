#pragma once

#include <optional>
#include <string>

namespace sim {

// The simulator answers broadcasts, so it must never sit on a network that leads anywhere
// real. It runs only in a namespace whose interfaces that are up are loopback or links of
// the test bed, whose names begin with "tv". Gives the first interface that breaks the rule.
std::optional<std::string> interfaceLeadingOutside();

} // namespace sim
