#pragma once

#include "platform/ini_file.h"

#include <QString>

#include <optional>

namespace platform {

// The intervals of the three protocol timers in milliseconds, as config.ini sets them.
struct TimerIntervals {
    int scan = 0;
    int setParam = 0;
    int getParams = 0;
};

// The intervals from section "TimerIntervals", or nothing when the section is missing or
// holds no key; then the timers keep their design intervals. A key that is missing or
// whose value is not a number takes the section's default, which for TimerSetParam and
// TimerGetParams is not the design interval: 2500, 1500 and 200 ms.
std::optional<TimerIntervals> timerIntervalsFrom(const IniFile& config);

// The same from "config/config.ini" in the program's folder. When the file exists but
// cannot be read, readProblem (if given) receives why.
std::optional<TimerIntervals> readTimerIntervals(const QString& programDir,
                                                 QString* readProblem = nullptr);

// A value of config.ini as an integer: decimal, or hexadecimal after "0x"; nothing when
// the text is not a 32-bit number.
std::optional<int> configInteger(const QString& text);

} // namespace platform
