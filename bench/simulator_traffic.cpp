#include "simulator_traffic.h"

#include <ctime>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

// "2025-01-31T09:15:02.481Z", UTC.
std::optional<std::chrono::system_clock::time_point> utcTime(const std::string& text) {
    std::tm parts{};
    int milliseconds = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &parts.tm_year, &parts.tm_mon,
                    &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec,
                    &milliseconds) != 7)
        return std::nullopt;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    return std::chrono::system_clock::from_time_t(timegm(&parts)) +
           std::chrono::milliseconds(milliseconds);
}

} // namespace

AnswersSent scanAnswersSent(const std::string& trafficLogPath) {
    AnswersSent sent;
    std::ifstream log(trafficLogPath);
    for (std::string line; std::getline(log, line);) {
        std::istringstream fields(line);
        std::string time, direction, source, destination, length, code;
        if (!(fields >> time >> direction >> source >> destination >> length >> code) ||
            direction != "tx" || code != "81")
            continue;
        const auto at = utcTime(time);
        if (!at)
            continue;
        ++sent.count;
        if (!sent.first)
            sent.first = at;
        sent.last = at;
    }
    return sent;
}

} // namespace bench
