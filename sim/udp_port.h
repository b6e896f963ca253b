#pragma once

#include "address_text.h"
#include "request.h"

#include "protocol/datagram_socket.h"

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

    int descriptor() const { return socket_.descriptor(); }
    std::uint16_t port() const { return port_; }

    // Nothing when no datagram is waiting (*error 0) or receiving failed (*error the errno).
    std::optional<ReceivedDatagram> receive(int* error);
    // 0, or the errno of the failed send. The answer leaves through the interface the
    // request came in on, as from a device with a single network port.
    int send(const Bytes& frame, const Endpoint& source, const Endpoint& destination,
             int interfaceIndex);

private:
    explicit UdpPort(std::uint16_t port) : port_(port), buffer_(65535) {}

    protocol::DatagramSocket socket_;
    std::uint16_t port_;
    Bytes buffer_;
};

} // namespace sim
