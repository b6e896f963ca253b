#pragma once

#include "engine/clock.h"

#include <QObject>

#include <map>
#include <memory>

class QTimer;

namespace engine {

// The clock of a running program: one single-shot QTimer per scheduled callback.
class QtClock : public Clock {
public:
    QtClock();
    ~QtClock() override;

    TimerId start(int delayMs, std::function<void()> due) override;
    void cancel(TimerId id) override;

private:
    QObject owner;
    std::map<TimerId, QTimer*> timers;
    TimerId nextId = 1;
};

} // namespace engine
