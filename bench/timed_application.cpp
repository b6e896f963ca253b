#include "timed_application.h"

#include <ctime>

namespace bench {

namespace {

std::chrono::nanoseconds threadTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace

TimedApplication::TimedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TimedApplication::beforeEvent(const QObject* receiver, QEvent::Type type,
                                   std::function<void()> look) {
    watches.push_back({receiver, type, std::move(look)});
}

void TimedApplication::batchBegins() {
    batchStart = Clock::now();
    batchThreadStart = threadTimeNow();
}

void TimedApplication::batchEnds() {
    deliveries.push_back(
        {batchStart, Clock::now() - batchStart, threadTimeNow() - batchThreadStart});
}

bool TimedApplication::notify(QObject* receiver, QEvent* event) {
    for (const Watch& watch : watches) {
        if (watch.receiver == receiver && watch.type == event->type())
            watch.look();
    }
    return QApplication::notify(receiver, event);
}

} // namespace bench
