#include "engine/udp_endpoint_adapter.h"

#include "protocol/udp_endpoint.h"

namespace engine {

UdpEndpointAdapter::UdpEndpointAdapter(int receiveBufferBytes, QObject* owner)
    : endpoint(std::make_unique<protocol::UdpEndpoint>(
          receiveBufferBytes > 0 ? receiveBufferBytes
                                 : protocol::UdpEndpoint::kDefaultReceiveBufferBytes,
          owner)) {
    QObject::connect(endpoint.get(), &protocol::UdpEndpoint::datagramsArrived, endpoint.get(),
                     [this] {
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
    // A failure of the sockets themselves comes first and ends the batch, as it would have
    // ended the reading.
    if (const int failure = endpoint->takeReceiveFailure(); failure != 0) {
        taken.push_back(ReceivedDatagram{{}, {}, failure});
        return taken;
    }
    std::vector<protocol::ReceivedDatagram> read = endpoint->takeDatagrams(maxCount);
    taken.reserve(read.size());
    for (protocol::ReceivedDatagram& datagram : read)
        taken.push_back(ReceivedDatagram{std::move(datagram.bytes), std::move(datagram.sourceIp),
                                         datagram.error});
    return taken;
}

bool UdpEndpointAdapter::sendTo(const QByteArray& frame, const QString& destinationIp, int* error) {
    return endpoint->sendTo(frame, destinationIp, error);
}

bool UdpEndpointAdapter::close(int* error) {
    return endpoint->close(error);
}

quint64 UdpEndpointAdapter::droppedCount() const {
    return endpoint->datagramsDropped();
}

} // namespace engine
