#include "duration_stats.h"

#include <algorithm>

namespace bench {

namespace {

double microseconds(std::chrono::nanoseconds duration) {
    return double(duration.count()) / 1000.0;
}

} // namespace

DurationStats statsOf(std::vector<std::chrono::nanoseconds> durations) {
    DurationStats stats;
    if (durations.empty())
        return stats;
    std::sort(durations.begin(), durations.end());
    std::chrono::nanoseconds total{0};
    for (const auto duration : durations)
        total += duration;
    const std::size_t n = durations.size();
    stats.totalMs = microseconds(total) / 1000.0;
    stats.meanUs = microseconds(total) / double(n);
    stats.medianUs = microseconds(durations[n / 2]);
    stats.p99Us = microseconds(durations[std::min(n - 1, n * 99 / 100)]);
    stats.maxUs = microseconds(durations.back());
    return stats;
}

} // namespace bench
