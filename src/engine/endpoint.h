#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <vector>

namespace engine {

// One datagram as the endpoint read it. A datagram that could not be read (longer than the
// receive buffer, or a receive that failed) carries the error number and no bytes.
struct ReceivedDatagram {
    QByteArray bytes;
    QString sourceIp;
    int error = 0;
};

// Told by the endpoint, on the engine's thread, that something happened.
class EndpointListener {
public:
    virtual ~EndpointListener() = default;
    // Datagrams wait to be taken with takeDatagrams().
    virtual void datagramsArrived() = 0;
    // The endpoint can send; once after startEvents().
    virtual void writable() = 0;
};

// The UDP endpoint on port 55808 as the engine uses it. Error numbers are errno values;
// every call made while no socket exists fails with ENOTSOCK.
class Endpoint {
public:
    virtual ~Endpoint() = default;

    virtual void setListener(EndpointListener* listener) = 0;
    // The socket handle the log shows; 0 while no socket exists.
    virtual int handle() const = 0;
    virtual bool create(int* error) = 0;
    // Fails with EADDRINUSE when another program holds the adapter's port; after any
    // failure nothing may be sent, and the socket is closed.
    virtual bool bind(const QString& adapterIp, int* error) = 0;
    virtual void permitBroadcast() = 0;
    virtual bool startEvents(int* error) = 0;
    // The datagrams read so far, oldest first, at most maxCount of them.
    virtual std::vector<ReceivedDatagram> takeDatagrams(std::size_t maxCount) = 0;
    virtual bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error) = 0;
    // handle() is 0 afterwards even when the system reports an error.
    virtual bool close(int* error) = 0;
    // Datagrams the system threw away because the endpoint's buffer was full, counted
    // since the socket was created.
    virtual quint64 droppedCount() const = 0;
};

} // namespace engine
