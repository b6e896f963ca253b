#include "engine/clock.h"

#include <utility>

namespace engine {

void Timer::startOnce(int delayMs, std::function<void()> due) {
    stop();
    callback = std::move(due);
    interval = delayMs;
    repeating = false;
    schedule();
}

void Timer::startRepeating(int intervalMs, std::function<void()> due) {
    stop();
    callback = std::move(due);
    interval = intervalMs;
    repeating = true;
    schedule();
}

void Timer::stop() {
    if (active)
        clock.cancel(id);
    active = false;
}

void Timer::schedule() {
    active = true;
    id = clock.start(interval, [this] {
        active = false;
        // The next period is scheduled before the callback runs, which may stop it.
        if (repeating)
            schedule();
        const std::function<void()> due = callback;
        due();
    });
}

} // namespace engine
