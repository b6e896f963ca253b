#include "platform/timer_intervals.h"

#include <QDir>

#include <algorithm>

namespace platform {

namespace {

const QString kSection = QStringLiteral("TimerIntervals");

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int intervalOrDefault(const IniFile& config, const QString& key, int fallback) {
    const std::optional<QString> text = config.value(kSection, key);
    if (!text)
        return fallback;
    return configInteger(*text).value_or(fallback);
}

} // namespace

std::optional<int> configInteger(const QString& text) {
    bool ok = false;
    int value = 0;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        const QStringView digits = QStringView(text).mid(2);
        if (!std::all_of(digits.begin(), digits.end(), isHexDigit))
            return std::nullopt;
        value = digits.toInt(&ok, 16);
    } else {
        value = text.toInt(&ok, 10);
    }
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<TimerIntervals> timerIntervalsFrom(const IniFile& config) {
    if (config.entries(kSection).isEmpty())
        return std::nullopt;
    TimerIntervals intervals;
    intervals.scan = intervalOrDefault(config, QStringLiteral("TimerScan"), 2500);
    intervals.setParam = intervalOrDefault(config, QStringLiteral("TimerSetParam"), 1500);
    intervals.getParams = intervalOrDefault(config, QStringLiteral("TimerGetParams"), 200);
    return intervals;
}

std::optional<TimerIntervals> readTimerIntervals(const QString& programDir, QString* readProblem) {
    const QString path = QDir(programDir).filePath(QStringLiteral("config/config.ini"));
    const IniFile config = IniFile::fromFile(path);
    if (readProblem)
        *readProblem = config.readProblem();
    return timerIntervalsFrom(config);
}

} // namespace platform
