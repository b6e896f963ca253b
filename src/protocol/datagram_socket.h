#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <span>

namespace protocol {

// Hands an error number to a caller that may not want it (null).
inline void reportError(int* error, int value) {
    if (error)
        *error = value;
}

// An IPv4 UDP socket descriptor with the few operations the endpoint needs. Addresses and
// ports are in host byte order; failures give errno values.
class DatagramSocket {
public:
    DatagramSocket() = default;
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    bool open(int* error);
    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }
    // False with ENOTSOCK while closed. The descriptor is released even when the system
    // reports an error.
    bool close(int* error);

    bool enableOption(int level, int name, int* error);
    // Asks for a buffer beyond the unprivileged limit first; the plain request is the
    // fallback, which the system silently caps.
    void enlargeReceiveBuffer(int bytes);
    // What the system granted, its bookkeeping included; 0 when it does not tell.
    int receiveBufferSize() const;
    bool bind(quint32 address, quint16 port, int* error);

    // outInterface 0 leaves the way out to the routing table.
    bool sendTo(const QByteArray& datagram, quint32 address, quint16 port, int outInterface,
                quint32 sourceAddress, int* error);

    struct Arrival {
        qsizetype size = 0;
        quint32 sourceAddress = 0;
        quint16 sourcePort = 0;
        // Known only when IP_PKTINFO is enabled, 0 otherwise: the interface it came in on
        // and the address it was sent to (a unicast address or a broadcast).
        int interfaceIndex = 0;
        quint32 destinationAddress = 0;
        // The datagram was longer than the buffer; the rest is lost.
        bool truncated = false;
    };
    // Takes one waiting datagram without blocking; nothing when none is waiting or on
    // failure (then *error is set, otherwise it is 0).
    std::optional<Arrival> receive(std::span<quint8> into, int* error);

private:
    int descriptor_ = -1;
};

// How many datagrams the system has dropped on this socket for want of receive buffer since
// it was opened; nothing when the system does not tell.
std::optional<quint32> droppedBySystem(int descriptor);

} // namespace protocol
