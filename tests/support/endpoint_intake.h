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

// What an endpoint hands over, taken one datagram at a time as the program's intake does.
class TakenDatagrams {
public:
    struct Datagram {
        QByteArray bytes;
        QString source;
    };

    // Receives one datagram, keeping it or the error number.
    void takeFrom(protocol::UdpEndpoint& endpoint);
    // Receives one datagram on every readable().
    void takeOnReadable(protocol::UdpEndpoint& endpoint);

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
