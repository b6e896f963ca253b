#include "statelog/log_buffer.h"

#include <QStringBuilder>
#include <QTime>

#include <chrono>
#include <cstdint>

namespace statelog {

namespace {

const QString kEightBlanks = QStringLiteral("        ");
const QString kFifteenBlanks = QStringLiteral("               ");

// Removes every time zone field ("t" outside quotes, and brackets just around it) together
// with the blanks before it.
QString withoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c == u't') {
            while (i + 1 < format.size() && format.at(i + 1) == u't') {
                ++i;
            }
            if (result.endsWith(u'(') && i + 1 < format.size() && format.at(i + 1) == u')') {
                result.chop(1);
                ++i;
            }
            while (result.endsWith(u' ')) {
                result.chop(1);
            }
            continue;
        }
        result += c;
    }
    return result.trimmed();
}

} // namespace

LogBuffer::LogBuffer(QObject* parent) : QObject(parent) {}

void LogBuffer::logString(const QString& entry, int entryType) {
    switch (entryType) {
    case entryTimestamped:
        append(timeStamp() + u' ' + entry);
        break;
    case entryIndented:
        append(kFifteenBlanks + entry);
        break;
    case entryOnly:
        append(entry);
        break;
    default:
        scrollToEnd();
        break;
    }
}

void LogBuffer::logStringWithTime(const QString& entry) {
    append(timeStamp() % u' ' % entry);
}

void LogBuffer::logStringWithIndent(const QString& entry) {
    append(kEightBlanks + entry);
}

void LogBuffer::logStringOnly(const QString& entry) {
    append(entry);
}

// One old line goes per call, whatever the excess: lowering the limit lets the log shrink
// only once it has been cleared.
void LogBuffer::scrollToEnd() {
    if (logLines.size() > maximum) {
        logLines.removeFirst();
        emit firstLineRemoved();
    }
}

void LogBuffer::clear() {
    logLines.clear();
    emit cleared();
}

void LogBuffer::append(const QString& line) {
    logLines.append(line);
    emit lineAppended(line);
    scrollToEnd();
}

QString LogBuffer::timeStampFormat(const QLocale& locale) {
    return withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

// Logging runs in bursts of thousands of lines a second; the text of a second is made once.
// Reading the local time asks the C library for the time zone each time, so a plain clock
// tells when a new second has begun, and only then is the local time read.
QString LogBuffer::timeStamp() {
    thread_local const QLocale locale = QLocale::system();
    thread_local const QString format = timeStampFormat(locale);
    thread_local std::int64_t shownSecond = -1;
    thread_local QString shownText;
    const std::int64_t second = std::chrono::duration_cast<std::chrono::seconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
    if (second != shownSecond) {
        shownSecond = second;
        const int local = QTime::currentTime().msecsSinceStartOfDay() / 1000;
        shownText = locale.toString(QTime::fromMSecsSinceStartOfDay(local * 1000), format);
    }
    return shownText;
}

} // namespace statelog
