#pragma once

#include "engine/log_sink.h"

#include <QStringList>

namespace enginetest {

// The state window's lines as the engine writes them: "@ " stands for the time stamp.
class RecordingLog : public engine::LogSink {
public:
    void logStringWithTime(const QString& text) override { lines << QStringLiteral("@ ") + text; }
    void logStringWithIndent(const QString& text) override {
        lines << QStringLiteral("        ") + text;
    }
    void logStringOnly(const QString& text) override { lines << text; }

    // The lines from `from` on.
    QStringList since(qsizetype from) const { return lines.mid(from); }
    bool contains(const QString& line) const { return lines.contains(line); }

    QStringList lines;
};

} // namespace enginetest
