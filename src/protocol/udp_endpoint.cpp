#include "protocol/udp_endpoint.h"

#include "net/ipv4.h"
#include "net/local_interfaces.h"
#include "protocol/datagram_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

#include <optional>

namespace protocol {

namespace {

// Reads a dotted address the way the socket library does, short and octal forms included.
std::optional<quint32> socketLibraryAddress(const QString& text) {
    in_addr address{};
    if (inet_aton(text.toLatin1().constData(), &address) == 0 || text.contains(QChar(0)))
        return std::nullopt;
    return ntohl(address.s_addr);
}

} // namespace

struct UdpEndpoint::Impl {
    Impl(UdpEndpoint* owner, int receiveBufferBytes)
        : receiveBufferBytes(receiveBufferBytes), receiver([owner] {
              // Runs on the receive thread; the signal is emitted on the endpoint's own,
              // unless reading has ended in between.
              QMetaObject::invokeMethod(
                  owner,
                  [owner] {
                      if (owner->impl->receiver.isRunning())
                          emit owner->datagramsArrived();
                  },
                  Qt::QueuedConnection);
          }) {}

    bool hasSocket(int* error) const {
        if (socket.isOpen())
            return true;
        reportError(error, ENOTSOCK);
        return false;
    }

    // Every socket reports with each datagram how many the system had dropped before it.
    void prepareSocket(DatagramSocket& prepared) {
        prepared.enlargeReceiveBuffer(receiveBufferBytes);
        prepared.enableOption(SOL_SOCKET, SO_RXQ_OVFL, nullptr);
    }

    bool openBroadcastReceiver(int* error) {
        if (!broadcasts.open(error))
            return false;
        prepareSocket(broadcasts);
        if (broadcasts.enableOption(SOL_SOCKET, SO_REUSEADDR, error) &&
            broadcasts.enableOption(IPPROTO_IP, IP_PKTINFO, error) &&
            broadcasts.bind(INADDR_BROADCAST, kDevicePort, error))
            return true;
        broadcasts.close(nullptr);
        return false;
    }

    bool startReceiving(int* error) {
        std::vector<DatagramReceiver::Source> sources{{socket.descriptor(), 0}};
        // Broadcasts from other interfaces are left out, as if they had never arrived.
        if (broadcasts.isOpen())
            sources.push_back({broadcasts.descriptor(), adapterInterface});
        return receiver.start(sources, error);
    }

    const int receiveBufferBytes;
    DatagramSocket socket;
    DatagramSocket broadcasts;
    quint32 adapterAddress = 0;
    // 0 while unknown or when every interface is bound: sends then follow the routing table.
    int adapterInterface = 0;
    // Declared after the sockets, so that it ends its thread before they are closed.
    DatagramReceiver receiver;
    // Tells a queued writable() whether the reading it belongs to is still running.
    quint64 eventsGeneration = 0;
};

UdpEndpoint::UdpEndpoint(QObject* parent) : UdpEndpoint(kDefaultReceiveBufferBytes, parent) {}

UdpEndpoint::UdpEndpoint(int receiveBufferBytes, QObject* parent)
    : QObject(parent), impl(std::make_unique<Impl>(this, receiveBufferBytes)) {}

UdpEndpoint::~UdpEndpoint() {
    impl->receiver.stop();
}

int UdpEndpoint::handle() const {
    return impl->socket.isOpen() ? impl->socket.descriptor() : 0;
}

bool UdpEndpoint::create(int* error) {
    if (impl->socket.isOpen())
        return true;
    if (!impl->socket.open(error))
        return false;
    impl->receiver.reset();
    impl->prepareSocket(impl->socket);
    return true;
}

bool UdpEndpoint::bind(const QString& adapterIp, int* error) {
    if (!impl->hasSocket(error))
        return false;
    const std::optional<quint32> address = socketLibraryAddress(adapterIp);
    if (!address) {
        reportError(error, EADDRNOTAVAIL);
        return false;
    }
    int interfaceIndex = 0;
    if (*address != INADDR_ANY) {
        net::tNetworkInterfaceList interfaces;
        net::getNetworkInterfaces(interfaces);
        interfaceIndex = net::interfaceIndexHolding(interfaces, *address);
        if (interfaceIndex == 0) {
            reportError(error, EADDRNOTAVAIL);
            return false;
        }
    }
    int failure = 0;
    const bool bound = impl->socket.enableOption(SOL_SOCKET, SO_REUSEADDR, &failure) &&
                       impl->socket.bind(*address, kDevicePort, &failure);
    // The program goes on with a socket it could not bind because the port is taken, so
    // that one still sends its broadcasts out of the chosen adapter.
    if (bound || failure == EADDRINUSE) {
        impl->adapterAddress = *address;
        impl->adapterInterface = interfaceIndex;
    }
    if (!bound) {
        reportError(error, failure);
        return false;
    }
    // A socket bound to every interface receives limited broadcasts itself.
    if (interfaceIndex == 0)
        return true;
    if (!impl->openBroadcastReceiver(error))
        return false;
    // A thread already reading takes the new receiver on.
    if (impl->receiver.isRunning())
        return impl->startReceiving(error);
    return true;
}

void UdpEndpoint::permitBroadcast() {
    if (impl->socket.isOpen())
        impl->socket.enableOption(SOL_SOCKET, SO_BROADCAST, nullptr);
}

bool UdpEndpoint::startEvents(int* error) {
    if (!impl->hasSocket(error))
        return false;
    if (!impl->receiver.isRunning() && !impl->startReceiving(error))
        return false;
    const quint64 generation = ++impl->eventsGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (impl->receiver.isRunning() && impl->eventsGeneration == generation)
                emit writable();
        },
        Qt::QueuedConnection);
    return true;
}

void UdpEndpoint::stopReceiving() {
    impl->receiver.stop();
}

std::vector<ReceivedDatagram> UdpEndpoint::takeDatagrams(std::size_t maxCount) {
    return impl->receiver.take(maxCount);
}

int UdpEndpoint::takeReceiveFailure() {
    return impl->receiver.takeFailure();
}

quint64 UdpEndpoint::datagramsRead() const {
    return impl->receiver.readCount();
}

quint64 UdpEndpoint::datagramsDropped() const {
    return impl->receiver.dropCount();
}

bool UdpEndpoint::sendTo(const QByteArray& frame, const QString& destinationIp, int* error) {
    if (!impl->hasSocket(error))
        return false;
    const std::optional<quint32> destination = socketLibraryAddress(destinationIp);
    if (!destination || *destination == INADDR_ANY) {
        reportError(error, EADDRNOTAVAIL);
        return false;
    }
    const int outInterface = *destination == INADDR_BROADCAST ? impl->adapterInterface : 0;
    return impl->socket.sendTo(frame, *destination, kDevicePort, outInterface, impl->adapterAddress,
                               error);
}

bool UdpEndpoint::close(int* error) {
    if (!impl->hasSocket(error))
        return false;
    // The thread lets go of the descriptors before they are released and maybe reused.
    impl->receiver.stop();
    ++impl->eventsGeneration;
    if (impl->broadcasts.isOpen())
        impl->broadcasts.close(nullptr);
    impl->adapterAddress = 0;
    impl->adapterInterface = 0;
    return impl->socket.close(error);
}

} // namespace protocol
