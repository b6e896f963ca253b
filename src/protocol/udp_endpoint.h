#pragma once

#include "protocol/datagram_receiver.h"
#include "protocol/frame.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace protocol {

// The program's one UDP endpoint on port 55808, on Linux.
//
// Linux does not hand limited broadcasts (to 255.255.255.255) to a socket bound to a unicast
// address, yet devices outside the PC's subnet can only answer that way. So besides the
// socket bound to the adapter address (through which everything is sent and unicast answers
// arrive) the endpoint keeps a receiver for limited broadcasts that takes only those arriving
// on the adapter's own interface. Limited broadcasts leave through the adapter's interface.
//
// Once started, a thread of the endpoint reads the sockets as fast as datagrams arrive, so
// that the answers of thousands of devices do not overflow the system's receive buffers while
// the UI thread is busy; the UI thread takes them from a queue in the order the system
// received them. Where the system grants a socket less buffer than a segment's burst of
// answers needs (an ordinary user's limit), further sockets on the adapter address share the
// unicast answers by sender (SO_REUSEPORT) and add their buffers, so that a burst fits even
// while the thread waits for a processor. The group is ours alone only while the programs
// of the family keep to the port lock (platform/port_lock.h).
//
// Error numbers are errno values; EADDRINUSE plays the role the platform's "address in use"
// number plays in the log and message texts. Every call made while no socket exists fails
// with ENOTSOCK.
class UdpEndpoint : public QObject {
    Q_OBJECT
public:
    // Asked of the system for each socket unless told otherwise: room for the answers of
    // more than 10,000 devices (the system doubles the figure for its bookkeeping).
    static constexpr int kDefaultReceiveBufferBytes = 16 * 1024 * 1024;

    explicit UdpEndpoint(QObject* parent = nullptr);
    // The receive buffer asked for: the privileged request comes first, and without the
    // privilege the system caps the plain one at its limit.
    explicit UdpEndpoint(int receiveBufferBytes, QObject* parent = nullptr);
    ~UdpEndpoint() override;

    // The socket handle shown in the log; 0 while no socket exists.
    int handle() const;

    // Creates the datagram socket. On failure handle() stays 0 and *error is set, so the
    // next create() tries again. While a socket exists it does nothing and succeeds.
    bool create(int* error);
    // Binds adapterIp:55808, with the further sockets the granted buffer calls for, and
    // opens the broadcast receiver for the adapter's interface. Address reuse lets a
    // simulator bound to every address share the port; another socket bound to this very
    // address fails the bind with EADDRINUSE, as the system does for one without reuse. The
    // text is read the way the socket library reads dotted addresses; a text it cannot
    // read, or an address that no local interface holds, fails with EADDRNOTAVAIL.
    // "0.0.0.0" binds every interface. After a failure nothing may be sent: the caller
    // closes the socket.
    bool bind(const QString& adapterIp, int* error);
    // Allows sends to the broadcast address; the result is not needed by callers.
    void permitBroadcast();
    // Starts reading: datagramsArrived() tells the UI thread that datagrams wait, writable()
    // comes once, from the event loop, after the start.
    bool startEvents(int* error);
    // Ends reading and waits for the thread; what it read stays to be taken, and is no
    // longer announced. close() does the same.
    void stopReceiving();

    // The datagrams read so far, oldest first, at most maxCount. datagramsArrived() comes
    // again only after a call has found nothing left, so a taker that leaves datagrams
    // behind comes back for them by itself.
    std::vector<ReceivedDatagram> takeDatagrams(std::size_t maxCount);
    // The first failure of the sockets themselves (not of one datagram) since the last
    // call, or 0. It is announced by datagramsArrived() as well.
    int takeReceiveFailure();
    // Since the socket was created: datagrams read (also those that could not be read
    // whole), and datagrams the system dropped because its receive buffer was full. Both
    // stay readable after close().
    quint64 datagramsRead() const;
    quint64 datagramsDropped() const;

    // Sends to destinationIp:55808. A destination text that cannot be read, or 0.0.0.0,
    // fails with EADDRNOTAVAIL.
    bool sendTo(const QByteArray& frame, const QString& destinationIp, int* error);
    // Stops reading and closes the socket and the broadcast receiver. handle() is 0
    // afterwards even when the system reports an error: the descriptor is released either
    // way. Datagrams read before stay to be taken.
    bool close(int* error);

signals:
    void datagramsArrived();
    void writable();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace protocol
