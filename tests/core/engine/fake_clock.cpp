#include "fake_clock.h"

#include <algorithm>

namespace enginetest {

engine::Clock::TimerId FakeClock::start(int delayMs, std::function<void()> due) {
    const TimerId id = nextId++;
    waiting.emplace(std::pair{current + std::max(0, delayMs), id}, std::move(due));
    return id;
}

void FakeClock::cancel(TimerId id) {
    std::erase_if(waiting, [id](const auto& entry) { return entry.first.second == id; });
}

void FakeClock::advance(qint64 ms) {
    const qint64 until = current + ms;
    while (!waiting.empty() && waiting.begin()->first.first <= until) {
        auto first = waiting.begin();
        current = first->first.first;
        const std::function<void()> due = std::move(first->second);
        waiting.erase(first);
        due();
    }
    current = until;
}

} // namespace enginetest
