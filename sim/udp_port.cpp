#include "udp_port.h"

#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <utility>

namespace sim {

namespace {

// Room for a whole scan burst of our own broadcasts echoed back and a request behind it.
constexpr int kReceiveBufferBytes = 16 * 1024 * 1024;

} // namespace

std::unique_ptr<UdpPort> UdpPort::open(std::uint16_t port, std::string* error) {
    std::unique_ptr<UdpPort> udp(new UdpPort(port));
    protocol::DatagramSocket& socket = udp->socket_;
    int failure = 0;
    if (!socket.open(&failure)) {
        *error = std::string("cannot create a UDP socket: ") + std::strerror(failure);
        return nullptr;
    }
    constexpr std::pair<int, int> kOptions[] = {
        {SOL_SOCKET, SO_REUSEADDR}, {SOL_SOCKET, SO_BROADCAST}, {IPPROTO_IP, IP_PKTINFO}};
    for (const auto& [level, name] : kOptions) {
        if (!socket.enableOption(level, name, &failure)) {
            *error = std::string("cannot set up the UDP socket: ") + std::strerror(failure);
            return nullptr;
        }
    }
    socket.enlargeReceiveBuffer(kReceiveBufferBytes);
    if (!socket.bind(INADDR_ANY, port, &failure)) {
        *error = "cannot bind UDP port " + std::to_string(port) + ": " + std::strerror(failure);
        return nullptr;
    }
    return udp;
}

std::optional<ReceivedDatagram> UdpPort::receive(int* error) {
    const auto arrival = socket_.receive(buffer_, error);
    if (!arrival)
        return std::nullopt;
    ReceivedDatagram datagram;
    datagram.bytes.assign(buffer_.begin(), buffer_.begin() + arrival->size);
    datagram.source = {arrival->sourceAddress, arrival->sourcePort};
    datagram.destination = arrival->destinationAddress;
    datagram.interfaceIndex = arrival->interfaceIndex;
    return datagram;
}

int UdpPort::send(const Bytes& frame, const Endpoint& source, const Endpoint& destination,
                  int interfaceIndex) {
    int failure = 0;
    const QByteArray datagram(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
    if (!socket_.sendTo(datagram, destination.address, destination.port, interfaceIndex,
                        source.address, &failure))
        return failure;
    return 0;
}

} // namespace sim
