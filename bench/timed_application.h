#pragma once

#include <QApplication>
#include <QEvent>

#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// The application object of the benchmark. It times every turn of the intake on the UI
// thread, from the start of a batch of answers to its end, the device list's merge included
// (the benchmark marks both with the engine's batch events). It also lets the benchmark look
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

    // One batch of answers, taken in on the UI thread.
    void batchBegins();
    void batchEnds();
    const std::vector<Delivery>& readDeliveries() const { return deliveries; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    struct Watch {
        const QObject* receiver;
        QEvent::Type type;
        std::function<void()> look;
    };

    std::vector<Watch> watches;
    std::vector<Delivery> deliveries;
    Clock::time_point batchStart;
    std::chrono::nanoseconds batchThreadStart{};
};

} // namespace bench
