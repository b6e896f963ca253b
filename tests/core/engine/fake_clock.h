#pragma once

#include "engine/clock.h"

#include <QtGlobal>

#include <map>
#include <utility>

namespace enginetest {

// Time that passes only when the test says so. Callbacks run in the order they are due,
// those due at the same moment in the order they were scheduled.
class FakeClock : public engine::Clock {
public:
    TimerId start(int delayMs, std::function<void()> due) override;
    void cancel(TimerId id) override;

    // Lets ms pass, running every callback that falls due, also those scheduled meanwhile.
    void advance(qint64 ms);
    qint64 now() const { return current; }
    bool idle() const { return waiting.empty(); }

private:
    qint64 current = 0;
    TimerId nextId = 1;
    std::map<std::pair<qint64, TimerId>, std::function<void()>> waiting;
};

} // namespace enginetest
