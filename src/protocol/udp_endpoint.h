#pragma once

#include "protocol/frame.h"

#include <QObject>
#include <QString>

#include <memory>

namespace protocol {

// The program's one UDP endpoint on port 55808, on Linux.
//
// Linux does not hand limited broadcasts (to 255.255.255.255) to a socket bound to a unicast
// address, yet devices outside the PC's subnet can only answer that way. So besides the
// socket bound to the adapter address (through which everything is sent and unicast answers
// arrive) the endpoint keeps a receiver for limited broadcasts that takes only those arriving
// on the adapter's own interface. Limited broadcasts leave through the adapter's interface.
//
// Error numbers are errno values; EADDRINUSE plays the role the platform's "address in use"
// number plays in the log and message texts. Every call made while no socket exists fails
// with ENOTSOCK.
class UdpEndpoint : public QObject {
    Q_OBJECT
public:
    explicit UdpEndpoint(QObject* parent = nullptr);
    ~UdpEndpoint() override;

    // The socket handle shown in the log; 0 while no socket exists.
    int handle() const;

    // Creates the datagram socket, with a receive buffer large enough for the answers of
    // thousands of devices at once. On failure handle() stays 0 and *error is set, so the
    // next create() tries again. While a socket exists it does nothing and succeeds.
    bool create(int* error);
    // Binds adapterIp:55808 (address reuse on, so a simulator may share the port) and opens
    // the broadcast receiver for the adapter's interface. The text is read the way the
    // socket library reads dotted addresses; a text it cannot read, or an address that no
    // local interface holds, fails with EADDRNOTAVAIL. "0.0.0.0" binds every interface.
    bool bind(const QString& adapterIp, int* error);
    // Allows sends to the broadcast address; the result is not needed by callers.
    void permitBroadcast();
    // Starts readiness notification on the UI thread: readable() while a datagram waits,
    // writable() once, from the event loop, after the start.
    //
    // readable() is never emitted while a handler of it is still running, even when that
    // handler processes events; a datagram that arrives meanwhile is announced after the
    // handler has returned. The handler is expected to receive() one datagram.
    bool startEvents(int* error);
    // Suspends and resumes readable(); a datagram that arrives meanwhile is announced after.
    void setEventsEnabled(bool enabled);

    // Receives one waiting datagram into the zero-filled buffer. *received is 0 when nothing
    // was waiting or the datagram was empty. A datagram longer than the buffer is consumed
    // and fails with EMSGSIZE; the buffer then holds its beginning.
    bool receive(ReceiveBuffer& buffer, qsizetype* received, QString* sourceIp, int* error);
    // Sends to destinationIp:55808. A destination text that cannot be read, or 0.0.0.0,
    // fails with EADDRNOTAVAIL.
    bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error);
    // Closes the socket and the broadcast receiver. handle() is 0 afterwards even when the
    // system reports an error: the descriptor is released either way.
    bool close(int* error);

signals:
    void readable();
    void writable();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace protocol
