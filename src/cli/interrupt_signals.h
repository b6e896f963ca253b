#pragma once

#include <QObject>

class QSocketNotifier;

namespace cli {

// SIGINT (Ctrl-C) and SIGTERM as an event of the event loop. The handler only writes the
// signal's number into a pipe; the loop reads it and tells whoever listens, so that a
// command stops between two steps and still reports what it has, instead of the process
// ending with its output lost. One instance a process; the signals' earlier handling is
// restored when it goes.
class InterruptSignals : public QObject {
    Q_OBJECT
public:
    InterruptSignals();
    ~InterruptSignals() override;
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

    // The first signal that came; 0 while none has.
    int received() const { return first; }
    // The exit status of a program ended by that signal: 128 + its number.
    int exitStatus() const { return 128 + first; }

signals:
    void interrupted(int signal);

private:
    void readPipe();

    QSocketNotifier* notifier = nullptr;
    int first = 0;
};

} // namespace cli
