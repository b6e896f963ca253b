#include "protocol/udp_endpoint.h"

#include "net/ipv4.h"
#include "net/local_interfaces.h"
#include "protocol/datagram_socket.h"

#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>

#include <optional>

namespace protocol {

namespace {

// Enough for the scan answers of more than 10,000 devices arriving while the UI thread is
// busy; the system doubles the figure for its bookkeeping.
constexpr int kReceiveBufferBytes = 16 * 1024 * 1024;

// Reads a dotted address the way the socket library does, short and octal forms included.
std::optional<quint32> socketLibraryAddress(const QString& text) {
    in_addr address{};
    if (inet_aton(text.toLatin1().constData(), &address) == 0 || text.contains(QChar(0)))
        return std::nullopt;
    return ntohl(address.s_addr);
}

} // namespace

struct UdpEndpoint::Impl {
    explicit Impl(UdpEndpoint* owner) : owner(owner) {}

    bool hasSocket(int* error) const {
        if (socket.isOpen())
            return true;
        reportError(error, ENOTSOCK);
        return false;
    }

    void updateNotifiers() {
        const bool on = eventsStarted && eventsEnabled && !announcing;
        socketNotifier.setEnabled(on && socketNotifier.isValid());
        broadcastNotifier.setEnabled(on && broadcastNotifier.isValid());
    }

    void announceReadable() {
        QPointer<UdpEndpoint> alive(owner);
        announcing = true;
        updateNotifiers();
        emit owner->readable();
        if (!alive)
            return;
        announcing = false;
        updateNotifiers();
    }

    // Broadcasts from other interfaces are dropped here, so that they never wake the
    // caller. An error is announced so that receive() reports and clears it.
    bool adapterBroadcastWaiting() {
        for (;;) {
            int error = 0;
            const auto next = broadcasts.peek(&error);
            if (!next)
                return error != 0;
            if (next->interfaceIndex == adapterInterface)
                return true;
            broadcasts.receive({}, &error);
        }
    }

    bool openBroadcastReceiver(int* error) {
        if (!broadcasts.open(error))
            return false;
        broadcasts.enlargeReceiveBuffer(kReceiveBufferBytes);
        if (broadcasts.enableOption(SOL_SOCKET, SO_REUSEADDR, error) &&
            broadcasts.enableOption(IPPROTO_IP, IP_PKTINFO, error) &&
            broadcasts.bind(INADDR_BROADCAST, kDevicePort, error))
            return true;
        broadcasts.close(nullptr);
        return false;
    }

    std::optional<DatagramSocket::Arrival> takeAdapterBroadcast(ReceiveBuffer& buffer, int* error) {
        if (!broadcasts.isOpen())
            return std::nullopt;
        for (;;) {
            auto arrival = broadcasts.receive(buffer, error);
            if (!arrival || arrival->interfaceIndex == adapterInterface)
                return arrival;
            buffer.fill(0);
        }
    }

    UdpEndpoint* owner;
    DatagramSocket socket;
    DatagramSocket broadcasts;
    quint32 adapterAddress = 0;
    // 0 while unknown or when every interface is bound: sends then follow the routing table.
    int adapterInterface = 0;
    QSocketNotifier socketNotifier{QSocketNotifier::Read};
    QSocketNotifier broadcastNotifier{QSocketNotifier::Read};
    bool eventsStarted = false;
    bool eventsEnabled = true;
    bool announcing = false;
    // Tells a queued writable() whether the events it belongs to are still running.
    quint64 eventsGeneration = 0;
};

UdpEndpoint::UdpEndpoint(QObject* parent) : QObject(parent), impl(std::make_unique<Impl>(this)) {
    connect(&impl->socketNotifier, &QSocketNotifier::activated, this,
            [this] { impl->announceReadable(); });
    connect(&impl->broadcastNotifier, &QSocketNotifier::activated, this, [this] {
        if (impl->adapterBroadcastWaiting())
            impl->announceReadable();
    });
}

UdpEndpoint::~UdpEndpoint() = default;

int UdpEndpoint::handle() const {
    return impl->socket.isOpen() ? impl->socket.descriptor() : 0;
}

bool UdpEndpoint::create(int* error) {
    if (impl->socket.isOpen())
        return true;
    if (!impl->socket.open(error))
        return false;
    impl->socket.enlargeReceiveBuffer(kReceiveBufferBytes);
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
    if (impl->eventsStarted) {
        impl->broadcastNotifier.setSocket(impl->broadcasts.descriptor());
        impl->updateNotifiers();
    }
    return true;
}

void UdpEndpoint::permitBroadcast() {
    if (impl->socket.isOpen())
        impl->socket.enableOption(SOL_SOCKET, SO_BROADCAST, nullptr);
}

bool UdpEndpoint::startEvents(int* error) {
    if (!impl->hasSocket(error))
        return false;
    impl->socketNotifier.setSocket(impl->socket.descriptor());
    if (impl->broadcasts.isOpen())
        impl->broadcastNotifier.setSocket(impl->broadcasts.descriptor());
    impl->eventsStarted = true;
    impl->updateNotifiers();
    const quint64 generation = ++impl->eventsGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (impl->eventsStarted && impl->eventsGeneration == generation)
                emit writable();
        },
        Qt::QueuedConnection);
    return true;
}

void UdpEndpoint::setEventsEnabled(bool enabled) {
    impl->eventsEnabled = enabled;
    impl->updateNotifiers();
}

bool UdpEndpoint::receive(ReceiveBuffer& buffer, qsizetype* received, QString* sourceIp,
                          int* error) {
    buffer.fill(0);
    *received = 0;
    if (!impl->hasSocket(error))
        return false;
    int failure = 0;
    std::optional<DatagramSocket::Arrival> arrival = impl->socket.receive(buffer, &failure);
    if (!arrival && failure == 0)
        arrival = impl->takeAdapterBroadcast(buffer, &failure);
    if (failure != 0) {
        reportError(error, failure);
        return false;
    }
    if (!arrival)
        return true;
    if (sourceIp)
        *sourceIp = net::intToIpText(arrival->sourceAddress);
    if (arrival->truncated) {
        reportError(error, EMSGSIZE);
        return false;
    }
    *received = arrival->size;
    return true;
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
    impl->eventsStarted = false;
    ++impl->eventsGeneration;
    // The notifiers let go of the descriptors before they are released and maybe reused.
    impl->socketNotifier.setSocket(-1);
    impl->broadcastNotifier.setSocket(-1);
    if (impl->broadcasts.isOpen())
        impl->broadcasts.close(nullptr);
    impl->adapterAddress = 0;
    impl->adapterInterface = 0;
    return impl->socket.close(error);
}

} // namespace protocol
