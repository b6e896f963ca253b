#include "protocol/udp_endpoint.h"

#include "net/ipv4.h"
#include "net/local_interfaces.h"
#include "protocol/datagram_socket.h"
#include "protocol/port_sharers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <optional>

namespace protocol {

namespace {

// The answers of a whole segment, about 10,000 devices, must find room in the system's
// buffers even while the receive thread waits for a processor: what the large request is
// granted (the system doubles the figure).
constexpr qint64 kBurstBytes = 2 * qint64(UdpEndpoint::kDefaultReceiveBufferBytes);
// Where the system grants less per socket, further sockets on the same address share the
// answers (by sender) and add their buffers, up to this many in all. Such a group is safe
// only while no other program joins it: the bind refuses an address another socket already
// holds, and the port lock keeps the family's other programs away; a program of the same
// user that binds the address later with SO_REUSEPORT is the one case left.
constexpr int kMostSockets = 32;

int socketsFor(int grantedBytes) {
    if (grantedBytes <= 0)
        return 1;
    return int(
        std::clamp<qint64>((kBurstBytes + grantedBytes - 1) / grantedBytes, 1, kMostSockets));
}

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

    // Every socket stamps each datagram with the time it was received, for the order across
    // sockets, and reports how many the system had dropped before it.
    void prepareSocket(DatagramSocket& prepared) {
        prepared.enlargeReceiveBuffer(receiveBufferBytes);
        prepared.enableOption(SOL_SOCKET, SO_RXQ_OVFL, nullptr);
        prepared.enableOption(SOL_SOCKET, SO_TIMESTAMPNS, nullptr);
    }

    // Further sockets on the bound address, each with a buffer of its own; one that cannot
    // be added leaves the group as it is.
    void addCompanions(quint32 address, int count) {
        for (int i = 0; i < count; ++i) {
            auto companion = std::make_unique<DatagramSocket>();
            if (!companion->open(nullptr))
                return;
            prepareSocket(*companion);
            if (!companion->enableOption(SOL_SOCKET, SO_REUSEADDR, nullptr) ||
                !companion->enableOption(SOL_SOCKET, SO_REUSEPORT, nullptr) ||
                !companion->bind(address, kDevicePort, nullptr))
                return;
            companions.push_back(std::move(companion));
        }
    }

    // Limited broadcasts reach every socket bound to them, so sharing their address with
    // another program (the simulator on the same host) takes nothing from either.
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

    std::vector<int> descriptors() const {
        std::vector<int> all{socket.descriptor()};
        for (const auto& companion : companions)
            all.push_back(companion->descriptor());
        return all;
    }

    // Drops after the last datagram read are told by no datagram; the sockets are asked.
    void learnDrops() {
        const auto learn = [this](const DatagramSocket& asked) {
            if (!asked.isOpen())
                return;
            if (const auto total = droppedBySystem(asked.descriptor()))
                receiver.noteDrops(asked.descriptor(), *total);
        };
        learn(socket);
        for (const auto& companion : companions)
            learn(*companion);
        learn(broadcasts);
    }

    bool startReceiving(int* error) {
        std::vector<DatagramReceiver::Source> sources{{socket.descriptor(), 0}};
        for (const auto& companion : companions)
            sources.push_back({companion->descriptor(), 0});
        // Broadcasts from other interfaces are left out, as if they had never arrived.
        if (broadcasts.isOpen())
            sources.push_back({broadcasts.descriptor(), adapterInterface});
        return receiver.start(sources, error);
    }

    const int receiveBufferBytes;
    DatagramSocket socket;
    // Share the unicast answers with the socket (SO_REUSEPORT); everything is sent through it.
    std::vector<std::unique_ptr<DatagramSocket>> companions;
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
    // Sockets that all take the limited broadcasts would each hand over a copy of them.
    const int companions =
        *address == INADDR_ANY ? 0 : socketsFor(impl->socket.receiveBufferSize()) - 1;
    const bool bound =
        impl->socket.enableOption(SOL_SOCKET, SO_REUSEADDR, &failure) &&
        (companions == 0 || impl->socket.enableOption(SOL_SOCKET, SO_REUSEPORT, &failure)) &&
        impl->socket.bind(*address, kDevicePort, &failure);
    if (!bound) {
        reportError(error, failure);
        return false;
    }
    if (impl->companions.empty())
        impl->addCompanions(*address, companions);
    // Address reuse lets the socket bind beside a program bound to every address (as the
    // simulator is), but also beside one bound to this very address, which would then take
    // some of the answers: the port counts as taken.
    if (othersBoundTo(*address, kDevicePort, impl->descriptors())) {
        impl->companions.clear();
        reportError(error, EADDRINUSE);
        return false;
    }
    impl->adapterAddress = *address;
    impl->adapterInterface = interfaceIndex;
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
    impl->learnDrops();
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
    impl->learnDrops();
    ++impl->eventsGeneration;
    if (impl->broadcasts.isOpen())
        impl->broadcasts.close(nullptr);
    impl->companions.clear();
    impl->adapterAddress = 0;
    impl->adapterInterface = 0;
    return impl->socket.close(error);
}

} // namespace protocol
