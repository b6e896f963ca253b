#pragma once

#include "fleet.h"

#include <string>

namespace sim {

// One line per device, with a heading: what --list prints.
std::string deviceListing(const Fleet& fleet);
// "silent: reads, blink; ip-status 1; delay 300 ms", or "-" without faults.
std::string faultSummary(const DeviceProfile& profile);

} // namespace sim
