#include "timed_application.h"

#include "protocol/udp_endpoint.h"

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

bool TimedApplication::isIntake(QObject* receiver, QEvent* event) {
    return event->type() == QEvent::MetaCall && qobject_cast<protocol::UdpEndpoint*>(receiver);
}

bool TimedApplication::notify(QObject* receiver, QEvent* event) {
    for (const Watch& watch : watches) {
        if (watch.receiver == receiver && watch.type == event->type())
            watch.look();
    }
    // Only the outermost delivery is timed, so that time spent in a nested one (the closing
    // wait takes answers in while it processes events) is not counted twice.
    if (intakeDepth > 0 || !isIntake(receiver, event))
        return QApplication::notify(receiver, event);
    ++intakeDepth;
    const Clock::time_point start = Clock::now();
    const std::chrono::nanoseconds threadStart = threadTimeNow();
    const bool handled = QApplication::notify(receiver, event);
    deliveries.push_back({start, Clock::now() - start, threadTimeNow() - threadStart});
    --intakeDepth;
    return handled;
}

} // namespace bench
