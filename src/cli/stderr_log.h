#pragma once

#include "engine/log_sink.h"

#include <QTextStream>

namespace cli {

// The state window's lines on standard error, for --verbose; without it they are dropped.
class StderrLog : public engine::LogSink {
public:
    StderrLog(QTextStream& err, bool enabled) : err(err), enabled(enabled) {}

    void logStringWithTime(const QString& text) override;
    void logStringWithIndent(const QString& text) override;
    void logStringOnly(const QString& text) override;

private:
    void line(const QString& text);

    QTextStream& err;
    bool enabled;
};

} // namespace cli
