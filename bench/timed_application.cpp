#include "timed_application.h"

#include <QSocketNotifier>

namespace bench {

TimedApplication::TimedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TimedApplication::beforeEvent(const QObject* receiver, QEvent::Type type,
                                   std::function<void()> look) {
    watches.push_back({receiver, type, std::move(look)});
}

bool TimedApplication::isReadNotifier(QObject* receiver) const {
    const auto* notifier = qobject_cast<QSocketNotifier*>(receiver);
    return notifier && notifier->type() == QSocketNotifier::Read;
}

bool TimedApplication::notify(QObject* receiver, QEvent* event) {
    for (const Watch& watch : watches) {
        if (watch.receiver == receiver && watch.type == event->type())
            watch.look();
    }
    // The intake pumps while it handles a datagram; only the outermost delivery is timed,
    // so that time spent in a nested one is not counted twice.
    if (event->type() != QEvent::SockAct || readDepth > 0 || !isReadNotifier(receiver))
        return QApplication::notify(receiver, event);
    ++readDepth;
    const Clock::time_point start = Clock::now();
    const bool handled = QApplication::notify(receiver, event);
    deliveries.push_back({start, Clock::now() - start});
    --readDepth;
    return handled;
}

} // namespace bench
