#pragma once

#include "protocol/udp_endpoint.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace testsupport {

// Opens the endpoint the way the program does: socket, bind to adapterIp:55808, broadcast
// permission, events. A failing step fails the running test (wrap the call in
// ASSERT_NO_FATAL_FAILURE to stop there).
void openEndpoint(protocol::UdpEndpoint& endpoint, const QString& adapterIp);

// What an endpoint hands over, in the order it was read.
class TakenDatagrams {
public:
    struct Datagram {
        QByteArray bytes;
        QString source;
    };

    // Takes every datagram read so far, keeping it or its error number.
    void takeFrom(protocol::UdpEndpoint& endpoint);
    // Takes every datagram read so far on each datagramsArrived().
    void takeOnArrival(protocol::UdpEndpoint& endpoint);

    bool contains(const QByteArray& bytes, const QString& source) const;
    std::size_t size() const { return taken.size(); }
    bool empty() const { return taken.empty(); }
    const std::vector<Datagram>& datagrams() const { return taken; }
    const std::vector<int>& errors() const { return receiveErrors; }

private:
    std::vector<Datagram> taken;
    std::vector<int> receiveErrors;
};

} // namespace testsupport
