#pragma once

#include <QApplication>
#include <QEvent>

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// The application object of the benchmark. It times every delivery of a datagram readiness
// event to the UI thread, from the moment the event loop hands it out until the handler
// (the main window's intake, with everything it pumps meanwhile) has returned, and it lets
// the benchmark look at the program right before chosen events reach chosen objects.
class TimedApplication : public QApplication {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    struct Delivery {
        Clock::time_point start;
        Clock::duration length;
    };

    TimedApplication(int& argc, char** argv);

    // Runs `look` right before each event of this type is given to `receiver`.
    void beforeEvent(const QObject* receiver, QEvent::Type type, std::function<void()> look);
    void clearWatches() { watches.clear(); }

    const std::vector<Delivery>& readDeliveries() const { return deliveries; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    struct Watch {
        const QObject* receiver;
        QEvent::Type type;
        std::function<void()> look;
    };

    bool isReadNotifier(QObject* receiver) const;

    std::vector<Watch> watches;
    std::vector<Delivery> deliveries;
    int readDepth = 0;
};

} // namespace bench
