#pragma once

#include "address_text.h"
#include "request.h"

#include <memory>
#include <optional>
#include <string>

namespace sim {

struct ReceivedDatagram {
    Bytes bytes;
    Endpoint source;
    Ipv4 destination = 0; // as addressed in the datagram: a device's address or a broadcast
    int interfaceIndex = 0;
};

// The one socket all simulated devices share: bound to every address on the protocol port
// (address reuse on, so the tool's endpoint can bind its adapter address beside it). It
// learns each datagram's destination, and every answer leaves from the answering device's
// own address, which the tool relies on to attribute answers that carry no MAC.
class UdpPort {
public:
    static std::unique_ptr<UdpPort> open(std::uint16_t port, std::string* error);
    ~UdpPort();
    UdpPort(const UdpPort&) = delete;
    UdpPort& operator=(const UdpPort&) = delete;

    int descriptor() const { return fd_; }
    std::uint16_t port() const { return port_; }

    // Nothing when no datagram is waiting or receiving failed (*error is then the errno).
    std::optional<ReceivedDatagram> receive(int* error);
    // 0, or the errno of the failed send. A broadcast leaves through the interface the
    // request came in on.
    int send(const Bytes& frame, const Endpoint& source, const Endpoint& destination,
             int interfaceIndex);

private:
    UdpPort(int fd, std::uint16_t port) : fd_(fd), port_(port), buffer_(65535) {}
    int fd_;
    std::uint16_t port_;
    Bytes buffer_;
};

} // namespace sim
