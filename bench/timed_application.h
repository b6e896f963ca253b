#pragma once

#include <QApplication>
#include <QEvent>

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// The application object of the benchmark. It times every turn of the main window's intake
// on the UI thread: each call the event loop delivers to the UDP endpoint (its announcement
// that datagrams wait, and the intake coming back for the rest of a burst), from the moment
// the event loop hands it out until the intake has returned. It also lets the benchmark look
// at the program right before chosen events reach chosen objects.
class TimedApplication : public QApplication {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    struct Delivery {
        Clock::time_point start;
        Clock::duration length;
        // What the UI thread itself spent: the receive thread and the simulator may take
        // its processor in between, which is not its time.
        std::chrono::nanoseconds threadTime;
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

    static bool isIntake(QObject* receiver, QEvent* event);

    std::vector<Watch> watches;
    std::vector<Delivery> deliveries;
    int intakeDepth = 0;
};

} // namespace bench
