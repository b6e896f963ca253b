#pragma once

#include "engine/endpoint.h"

#include <QObject>

#include <memory>

namespace protocol {
class UdpEndpoint;
}

namespace engine {

// The program's UDP endpoint as the engine's endpoint.
class UdpEndpointAdapter : public Endpoint {
public:
    // A receiveBufferBytes of 0 leaves the buffer to the endpoint. The endpoint becomes a
    // child of owner, where tools and tests find it.
    explicit UdpEndpointAdapter(int receiveBufferBytes = 0, QObject* owner = nullptr);
    ~UdpEndpointAdapter() override;

    void setListener(EndpointListener* listener) override;
    int handle() const override;
    bool create(int* error) override;
    bool bind(const QString& adapterIp, int* error) override;
    void permitBroadcast() override;
    bool startEvents(int* error) override;
    std::vector<ReceivedDatagram> takeDatagrams(std::size_t maxCount) override;
    bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error) override;
    bool close(int* error) override;
    quint64 droppedCount() const override;

private:
    std::unique_ptr<protocol::UdpEndpoint> endpoint;
    EndpointListener* listener = nullptr;
};

} // namespace engine
