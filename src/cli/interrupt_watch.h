#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace cli {

// Turns SIGINT and SIGTERM into calls on the event loop, for as long as it lives: the
// handler only writes the signal's number into a pipe, whose reading end the loop watches,
// so nothing that is unsafe in a handler runs there. Only one may live at a time.
class InterruptWatch {
public:
    explicit InterruptWatch(std::function<void(int signal)> interrupted);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The first signal that came, 0 while none did.
    int firstSignal() const { return first; }

private:
    void drain();

    std::function<void(int)> interrupted;
    std::unique_ptr<QSocketNotifier> notifier;
    int first = 0;
};

} // namespace cli
