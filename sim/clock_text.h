#pragma once

#include <string>

namespace sim {

// Now, to the millisecond: "2025-01-31T09:15:02.481Z" (UTC) for the traffic log,
// "10:15:02.481" (local time) for the operator.
std::string utcTimestamp();
std::string localClockTime();

} // namespace sim
