#include "cli/stderr_log.h"

#include "statelog/log_buffer.h"

namespace cli {

void StderrLog::logStringWithTime(const QString& text) {
    if (enabled)
        line(statelog::LogBuffer::timeStamp() + u' ' + text);
}

void StderrLog::logStringWithIndent(const QString& text) {
    if (enabled)
        line(QStringLiteral("        ") + text);
}

void StderrLog::logStringOnly(const QString& text) {
    if (enabled)
        line(text);
}

void StderrLog::line(const QString& text) {
    err << text << '\n';
    err.flush();
}

} // namespace cli
