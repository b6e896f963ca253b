#pragma once

#include "address_assigner.h"
#include "console.h"
#include "fleet.h"
#include "traffic_log.h"
#include "udp_port.h"

#include <chrono>
#include <queue>
#include <vector>

namespace sim {

// The event loop: takes requests from the port, lets the fleet react, sends the answers
// (after their device's delay), and records every datagram.
class Simulator {
public:
    Simulator(Fleet& fleet, UdpPort& port, TrafficLog* log, AddressAssigner* assigner,
              const Console& console);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Serves until SIGINT or SIGTERM, which the caller has blocked. Once the port listens,
    // "ready" is written to readyFd (when not -1), which is then closed. Gives the exit code.
    int run(int readyFd);

private:
    struct Outgoing {
        Bytes frame;
        Endpoint source;
        Endpoint destination;
        int interfaceIndex = 0;
        std::size_t device = 0;
    };
    struct Delayed {
        std::chrono::steady_clock::time_point due;
        std::uint64_t order;
        Outgoing datagram;
        bool operator>(const Delayed& other) const {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    bool setUp(std::string* error);
    void receiveWaiting();
    void handle(const ReceivedDatagram& datagram);
    void report(const Request& request, const ReceivedDatagram& datagram,
                const std::vector<Outcome>& outcomes) const;
    void addressChanged(Ipv4 after);
    void sendQueued();
    void releaseDue();
    void armTimer();
    void flushLog();
    std::string deviceLabel(std::size_t index) const;

    Fleet& fleet_;
    UdpPort& port_;
    TrafficLog* log_;
    AddressAssigner* assigner_;
    const Console& console_;
    int epoll_ = -1;
    int timer_ = -1;
    int signals_ = -1;
    bool logFailed_ = false;
    std::vector<Outgoing> queue_;
    std::priority_queue<Delayed, std::vector<Delayed>, std::greater<>> delayed_;
    std::uint64_t delayedCount_ = 0;
};

} // namespace sim
