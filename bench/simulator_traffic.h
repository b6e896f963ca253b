#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace bench {

// When the simulator sent its scan answers, from its traffic log (times to the millisecond).
struct AnswersSent {
    int count = 0;
    std::optional<std::chrono::system_clock::time_point> first;
    std::optional<std::chrono::system_clock::time_point> last;
};

AnswersSent scanAnswersSent(const std::string& trafficLogPath);

} // namespace bench
