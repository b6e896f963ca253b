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
// on the adapter's own interface. Sends leave through the adapter's interface.
//
// Error numbers are errno values; EADDRINUSE plays the role the platform's "address in use"
// number plays in the log and message texts.
class UdpEndpoint : public QObject {
    Q_OBJECT
public:
    explicit UdpEndpoint(QObject* parent = nullptr);
    ~UdpEndpoint() override;

    // The socket handle shown in the log; 0 while no socket exists.
    int handle() const;

    // Creates the datagram socket. On failure handle() stays 0 and *error is set.
    bool create(int* error);
    // Binds adapterIp:55808 (address reuse on, so a simulator may share the port) and opens
    // the broadcast receiver for the adapter's interface.
    bool bind(const QString& adapterIp, int* error);
    // Allows sends to the broadcast address; the result is not needed by callers.
    void permitBroadcast();
    // Starts readiness notification on the UI thread: readable() once per readiness of a
    // waiting datagram, writable() once after the start, as the platform signalled it.
    bool startEvents(int* error);
    // Suspends and resumes readable(); a datagram that arrives meanwhile is announced after.
    void setEventsEnabled(bool enabled);

    // Receives one waiting datagram into the zero-filled buffer (at most its size).
    // *received 0 when nothing was waiting.
    bool receive(ReceiveBuffer& buffer, qsizetype* received, QString* sourceIp, int* error);
    bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error);
    // Closes the socket and the broadcast receiver; handle() becomes 0 on success.
    bool close(int* error);

signals:
    void readable();
    void writable();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace protocol
