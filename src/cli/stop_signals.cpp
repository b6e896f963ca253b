#include "cli/stop_signals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

// The handler may only touch these: a flag and a pipe that wakes the event loop.
volatile std::sig_atomic_t caught = 0;
int wakeFds[2] = {-1, -1};
struct sigaction earlierInt {};
struct sigaction earlierTerm {};

void onStopSignal(int) {
    caught = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals() {
    caught = 0;
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) == 0) {
        notifier = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
            }
            emit stopRequested();
        });
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &earlierInt);
    sigaction(SIGTERM, &action, &earlierTerm);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &earlierInt, nullptr);
    sigaction(SIGTERM, &earlierTerm, nullptr);
    notifier.reset();
    for (int& fd : wakeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

bool StopSignals::requested() const {
    return caught != 0;
}

} // namespace cli
