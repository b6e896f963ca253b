#include "cli/interrupt_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

namespace {

int pipeEnds[2] = {-1, -1};
struct sigaction previousInt {};
struct sigaction previousTerm {};

void onSignal(int signal) {
    const int saved = errno;
    const char number = char(signal);
    // A full pipe means a signal is waiting to be read already.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    errno = saved;
}

} // namespace

InterruptSignals::InterruptSignals() {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep ending the program, as without this
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &InterruptSignals::readPipe);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
}

InterruptSignals::~InterruptSignals() {
    if (!notifier)
        return;
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void InterruptSignals::readPipe() {
    char number = 0;
    while (::read(pipeEnds[0], &number, 1) == 1) {
        if (first == 0)
            first = number;
        emit interrupted(number);
    }
}

} // namespace cli
