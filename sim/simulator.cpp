#include "simulator.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace sim {

namespace {

// Beyond this many devices hearing one request, the operator gets a summary and the
// device lines only with --verbose.
constexpr std::size_t kListedDevices = 32;
constexpr int kReceiveBatch = 1024;

} // namespace

Simulator::Simulator(Fleet& fleet, UdpPort& port, TrafficLog* log, AddressAssigner* assigner,
                     const Console& console)
    : fleet_(fleet), port_(port), log_(log), assigner_(assigner), console_(console) {
    fleet_.setAddressListener([this](Ipv4, Ipv4 after) { addressChanged(after); });
}

Simulator::~Simulator() {
    fleet_.setAddressListener({});
    for (const int fd : {epoll_, timer_, signals_})
        if (fd >= 0)
            close(fd);
}

bool Simulator::setUp(std::string* error) {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    timer_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    signals_ = signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC);
    if (epoll_ < 0 || timer_ < 0 || signals_ < 0) {
        *error = std::string("cannot set up the event loop: ") + std::strerror(errno);
        return false;
    }
    for (const int fd : {port_.descriptor(), timer_, signals_}) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
            *error = std::string("cannot set up the event loop: ") + std::strerror(errno);
            return false;
        }
    }
    return true;
}

int Simulator::run(int readyFd) {
    std::string error;
    if (!setUp(&error)) {
        console_.error(error);
        return 1;
    }
    if (readyFd >= 0) {
        const char ready[] = "ready\n";
        if (write(readyFd, ready, sizeof ready - 1) < 0)
            console_.error(std::string("cannot report readiness: ") + std::strerror(errno));
        close(readyFd);
    }
    for (;;) {
        epoll_event events[8];
        const int count = epoll_wait(epoll_, events, 8, -1);
        if (count < 0 && errno != EINTR) {
            console_.error(std::string("waiting for datagrams failed: ") + std::strerror(errno));
            return 1;
        }
        for (int i = 0; i < count; ++i) {
            const int fd = events[i].data.fd;
            if (fd == signals_) {
                signalfd_siginfo signal{};
                if (read(signals_, &signal, sizeof signal) == sizeof signal)
                    console_.info(std::string("stopping on ") + strsignal(int(signal.ssi_signo)));
                flushLog();
                return 0;
            }
            if (fd == timer_) {
                std::uint64_t expirations = 0;
                if (read(timer_, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
                    console_.error(std::string("timer failed: ") + std::strerror(errno));
                releaseDue();
            } else {
                receiveWaiting();
            }
        }
        sendQueued();
        flushLog();
    }
}

void Simulator::receiveWaiting() {
    // A bounded batch, so that answers keep leaving under a flood of requests; the rest is
    // still waiting at the next round.
    for (int batch = 0; batch < kReceiveBatch; ++batch) {
        int error = 0;
        const std::optional<ReceivedDatagram> datagram = port_.receive(&error);
        if (!datagram) {
            if (error != 0 && error != EINTR)
                console_.error(std::string("receiving failed: ") + std::strerror(error));
            return;
        }
        handle(*datagram);
    }
}

void Simulator::handle(const ReceivedDatagram& datagram) {
    const Endpoint destination{datagram.destination, port_.port()};
    const bool isAnswer = datagram.bytes.size() >= 2 && (datagram.bytes[1] & 0x80);
    // Our own broadcast answers come back to us; they are not traffic of the network.
    if (isAnswer && datagram.source.port == port_.port() &&
        fleet_.isDeviceAddress(datagram.source.address))
        return;
    if (log_)
        log_->received(datagram.source, destination, datagram.bytes);
    const ParsedDatagram parsed = parseRequest(datagram.bytes);
    if (!parsed.request) {
        const std::string text = "ignored " + std::to_string(datagram.bytes.size()) +
                                 " bytes from " + endpointText(datagram.source) + ": " +
                                 parsed.rejection;
        if (isAnswer)
            console_.detail(text);
        else
            console_.info(text);
        return;
    }
    std::vector<Outcome> outcomes =
        fleet_.handle(*parsed.request, datagram.source, datagram.destination);
    report(*parsed.request, datagram, outcomes);
    const auto now = std::chrono::steady_clock::now();
    for (Outcome& outcome : outcomes) {
        if (!outcome.answer)
            continue;
        Outgoing outgoing{std::move(*outcome.answer), outcome.source, outcome.destination,
                          datagram.interfaceIndex, outcome.device};
        if (outcome.delay.count() == 0)
            queue_.push_back(std::move(outgoing));
        else
            delayed_.push({now + outcome.delay, delayedCount_++, std::move(outgoing)});
    }
    armTimer();
}

std::string Simulator::deviceLabel(std::size_t index) const {
    if (index >= fleet_.size())
        return "no device";
    const SimulatedDevice& device = fleet_.device(index);
    return device.profile().name + " [" + macText(device.profile().mac) + ' ' +
           ipv4Text(device.current().ip) + ']';
}

void Simulator::report(const Request& request, const ReceivedDatagram& datagram,
                       const std::vector<Outcome>& outcomes) const {
    console_.info(requestTitle(request.code) + " from " + endpointText(datagram.source) + " to " +
                  ipv4Text(datagram.destination) + " (" + hexText(datagram.bytes) + ")");
    const bool listed = outcomes.size() <= kListedDevices;
    std::size_t answering = 0;
    std::size_t byBroadcast = 0;
    for (const Outcome& outcome : outcomes) {
        std::string line = "  " + deviceLabel(outcome.device) + ": " + outcome.note;
        if (outcome.answer) {
            ++answering;
            if (outcome.destination.address == kLimitedBroadcast)
                ++byBroadcast;
            line += " -> " + endpointText(outcome.destination);
            if (outcome.delay.count() > 0)
                line += " after " + std::to_string(outcome.delay.count()) + " ms";
        }
        if (listed)
            console_.info(line);
        else
            console_.detail(line);
    }
    if (outcomes.empty())
        console_.info("  no device hears it");
    else if (!listed)
        console_.info("  " + std::to_string(outcomes.size()) + " devices hear it, " +
                      std::to_string(answering) + " answer (" + std::to_string(byBroadcast) +
                      " by broadcast)");
}

void Simulator::addressChanged(Ipv4 after) {
    std::string error;
    if (assigner_) {
        if (!assigner_->ensureLocal(after, &error))
            console_.error(error);
    } else if (!isLocalAddress(after)) {
        console_.error(ipv4Text(after) +
                       " is not an address of this network namespace: answers from it cannot "
                       "leave (--assign-addresses adds such addresses)");
    }
}

void Simulator::sendQueued() {
    for (const Outgoing& outgoing : queue_) {
        const int error = port_.send(outgoing.frame, outgoing.source, outgoing.destination,
                                     outgoing.interfaceIndex);
        if (error != 0)
            console_.error(deviceLabel(outgoing.device) + ": cannot send from " +
                           ipv4Text(outgoing.source.address) + " to " +
                           endpointText(outgoing.destination) + ": " + std::strerror(error));
        else if (log_)
            log_->sent(outgoing.source, outgoing.destination, outgoing.frame);
    }
    queue_.clear();
}

void Simulator::releaseDue() {
    const auto now = std::chrono::steady_clock::now();
    while (!delayed_.empty() && delayed_.top().due <= now) {
        queue_.push_back(delayed_.top().datagram);
        delayed_.pop();
    }
    armTimer();
}

void Simulator::armTimer() {
    itimerspec when{};
    if (!delayed_.empty()) {
        const auto wait = std::max(delayed_.top().due - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration(1000));
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
        when.it_value.tv_sec = seconds.count();
        when.it_value.tv_nsec =
            long(std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds).count());
    }
    timerfd_settime(timer_, 0, &when, nullptr);
}

void Simulator::flushLog() {
    if (log_ && !log_->flush() && !logFailed_) {
        logFailed_ = true;
        console_.error(std::string("writing the traffic log failed: ") + std::strerror(errno));
    }
}

} // namespace sim
