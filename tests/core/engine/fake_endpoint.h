#pragma once

#include "engine/endpoint.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <vector>

namespace enginetest {

// An endpoint without a socket: it records what is sent and hands over the datagrams the
// test delivers. Each failure field, when not 0, makes that call fail with that number.
class FakeEndpoint : public engine::Endpoint {
public:
    struct Sent {
        QByteArray frame;
        QString destination;
    };

    void setListener(engine::EndpointListener* given) override { listener = given; }
    int handle() const override { return currentHandle; }
    bool create(int* error) override;
    bool bind(const QString& adapterIp, int* error) override;
    void permitBroadcast() override { broadcastPermitted = true; }
    bool startEvents(int* error) override;
    std::vector<engine::ReceivedDatagram> takeDatagrams(std::size_t maxCount) override;
    bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error) override;
    bool close(int* error) override;
    quint64 droppedCount() const override { return drops; }

    // Datagrams arrive and the engine is told, as the real endpoint does; without a socket
    // they are lost.
    void deliver(const std::vector<engine::ReceivedDatagram>& datagrams);
    void deliver(const QString& sourceIp, const QByteArray& frame) {
        deliver({{frame, sourceIp, 0}});
    }
    void announceWritable() {
        if (listener)
            listener->writable();
    }

    int createError = 0;
    int bindError = 0;
    int startError = 0;
    int sendError = 0;
    int closeError = 0;
    quint64 drops = 0;

    std::vector<Sent> sent;
    QString boundTo;
    bool broadcastPermitted = false;
    int creates = 0;
    int closes = 0;
    std::vector<std::size_t> batchSizes;

private:
    engine::EndpointListener* listener = nullptr;
    std::deque<engine::ReceivedDatagram> inbox;
    int currentHandle = 0;
    int nextHandle = 7;
};

} // namespace enginetest
