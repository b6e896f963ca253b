#include "cli/interrupt_watch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe loses the signal; the ones already in it stop the command all the same.
    [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &number, 1);
    errno = saved;
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void(int signal)> given)
    : interrupted(std::move(given)) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the signals keep their default: the command ends at once
    notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [this] { drain(); });
    handle(SIGINT, onSignal);
    handle(SIGTERM, onSignal);
}

InterruptWatch::~InterruptWatch() {
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    notifier.reset();
    for (int& end : pipeEnds) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

void InterruptWatch::drain() {
    unsigned char number = 0;
    while (read(pipeEnds[0], &number, 1) == 1) {
        if (first == 0)
            first = number;
        interrupted(number);
    }
}

} // namespace cli
