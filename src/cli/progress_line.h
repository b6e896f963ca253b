#pragma once

#include <QObject>
#include <QString>
#include <QTextStream>

namespace engine {
class Events;
}

namespace cli {

// One line on standard error that tells a person at a terminal how far a long run has
// come, rewritten in place ("row 7 of 20"). Off when standard error is no terminal, so
// that logs and scripts get no carriage returns. Cleared before results are written, so
// that it never shares a line with them.
class ProgressLine {
public:
    ProgressLine(QTextStream& err, bool enabled) : err(err), enabled(enabled) {}
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const QString& text);
    void clear();
    // Shows the devices a scan has found and the reads of short answers as they go.
    void followScans(engine::Events& events);

private:
    QTextStream& err;
    bool enabled;
    bool shown = false;
    QString current;
    int found = 0;
    QObject context; // the connections to the engine live as long as the line
};

} // namespace cli
