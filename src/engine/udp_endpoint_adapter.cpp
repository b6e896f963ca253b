#include "engine/udp_endpoint_adapter.h"

#include "protocol/udp_endpoint.h"

#include <cerrno>

namespace engine {

UdpEndpointAdapter::UdpEndpointAdapter() : endpoint(std::make_unique<protocol::UdpEndpoint>()) {
    QObject::connect(endpoint.get(), &protocol::UdpEndpoint::readable, endpoint.get(), [this] {
        if (listener)
            listener->datagramsArrived();
    });
    QObject::connect(endpoint.get(), &protocol::UdpEndpoint::writable, endpoint.get(), [this] {
        if (listener)
            listener->writable();
    });
}

UdpEndpointAdapter::~UdpEndpointAdapter() = default;

void UdpEndpointAdapter::setListener(EndpointListener* given) {
    listener = given;
}

int UdpEndpointAdapter::handle() const {
    return endpoint->handle();
}

bool UdpEndpointAdapter::create(int* error) {
    return endpoint->create(error);
}

bool UdpEndpointAdapter::bind(const QString& adapterIp, int* error) {
    return endpoint->bind(adapterIp, error);
}

void UdpEndpointAdapter::permitBroadcast() {
    endpoint->permitBroadcast();
}

bool UdpEndpointAdapter::startEvents(int* error) {
    return endpoint->startEvents(error);
}

std::vector<ReceivedDatagram> UdpEndpointAdapter::takeDatagrams(std::size_t maxCount) {
    std::vector<ReceivedDatagram> taken;
    while (taken.size() < maxCount) {
        protocol::ReceiveBuffer buffer{};
        qsizetype received = 0;
        ReceivedDatagram datagram;
        if (!endpoint->receive(buffer, &received, &datagram.sourceIp, &datagram.error)) {
            // A datagram too long for the buffer was consumed; any other failure ends the
            // batch, and the endpoint announces what is still waiting.
            taken.push_back(datagram);
            if (datagram.error != EMSGSIZE)
                break;
            continue;
        }
        if (received == 0)
            break;
        datagram.bytes = QByteArray(reinterpret_cast<const char*>(buffer.data()), received);
        taken.push_back(std::move(datagram));
    }
    return taken;
}

bool UdpEndpointAdapter::sendTo(const QByteArray& frame, const QString& destinationIp, int* error) {
    return endpoint->sendTo(frame, destinationIp, error);
}

bool UdpEndpointAdapter::close(int* error) {
    return endpoint->close(error);
}

// This endpoint does not learn of the datagrams the system drops.
quint64 UdpEndpointAdapter::droppedCount() const {
    return 0;
}

} // namespace engine
