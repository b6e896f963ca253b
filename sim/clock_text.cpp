#include "clock_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace sim {

namespace {

std::string formatNow(bool utc, const char* format, const char* millisecondsFormat) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm parts{};
    if (utc)
        gmtime_r(&seconds, &parts);
    else
        localtime_r(&seconds, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, format, &parts);
    std::snprintf(text + length, sizeof text - length, millisecondsFormat, int(milliseconds));
    return text;
}

} // namespace

std::string utcTimestamp() {
    return formatNow(true, "%Y-%m-%dT%H:%M:%S", ".%03dZ");
}

std::string localClockTime() {
    return formatNow(false, "%H:%M:%S", ".%03d");
}

} // namespace sim
