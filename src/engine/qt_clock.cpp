#include "engine/qt_clock.h"

#include <QTimer>

namespace engine {

QtClock::QtClock() = default;

QtClock::~QtClock() = default; // owner deletes the timers still waiting

Clock::TimerId QtClock::start(int delayMs, std::function<void()> due) {
    const TimerId id = nextId++;
    auto* timer = new QTimer(&owner);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &owner, [this, id, due = std::move(due)] {
        const auto found = timers.find(id);
        if (found == timers.end())
            return;
        found->second->deleteLater();
        timers.erase(found);
        due();
    });
    timers.emplace(id, timer);
    timer->start(delayMs);
    return id;
}

void QtClock::cancel(TimerId id) {
    const auto found = timers.find(id);
    if (found == timers.end())
        return;
    found->second->stop();
    found->second->deleteLater();
    timers.erase(found);
}

} // namespace engine
