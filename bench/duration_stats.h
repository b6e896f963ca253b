#pragma once

#include <chrono>
#include <vector>

namespace bench {

// Mean, median, 99th percentile and maximum of a set of durations, in microseconds.
struct DurationStats {
    double meanUs = 0;
    double medianUs = 0;
    double p99Us = 0;
    double maxUs = 0;
    double totalMs = 0;
};

DurationStats statsOf(std::vector<std::chrono::nanoseconds> durations);

} // namespace bench
