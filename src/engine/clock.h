#pragma once

#include <functional>

namespace engine {

// Time as the engine sees it: callbacks that run once after a delay, on the engine's
// thread, from the event loop (never from inside start()).
class Clock {
public:
    using TimerId = int;

    virtual ~Clock() = default;
    virtual TimerId start(int delayMs, std::function<void()> due) = 0;
    // Does nothing for a timer that has run or was cancelled.
    virtual void cancel(TimerId id) = 0;
};

// One timer of an engine part: single shot or repeating, restarted or stopped at will.
// Stopping it (or destroying it) cancels what was scheduled.
class Timer {
public:
    explicit Timer(Clock& clock) : clock(clock) {}
    ~Timer() { stop(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void startOnce(int delayMs, std::function<void()> due);
    // Calls due every intervalMs until stopped; each period is counted from the one before.
    void startRepeating(int intervalMs, std::function<void()> due);
    void stop();
    bool isActive() const { return active; }

private:
    void schedule();

    Clock& clock;
    std::function<void()> callback;
    int interval = 0;
    bool repeating = false;
    bool active = false;
    Clock::TimerId id = 0;
};

} // namespace engine
