#include "support/endpoint_intake.h"

#include <algorithm>
#include <cstdint>

#include <gtest/gtest.h>

namespace testsupport {

void openEndpoint(protocol::UdpEndpoint& endpoint, const QString& adapterIp) {
    int error = 0;
    ASSERT_TRUE(endpoint.create(&error)) << "create: " << error;
    ASSERT_TRUE(endpoint.bind(adapterIp, &error))
        << "bind " << adapterIp.toStdString() << ": " << error;
    endpoint.permitBroadcast();
    ASSERT_TRUE(endpoint.startEvents(&error)) << "events: " << error;
}

void TakenDatagrams::takeFrom(protocol::UdpEndpoint& endpoint) {
    for (protocol::ReceivedDatagram& datagram : endpoint.takeDatagrams(SIZE_MAX)) {
        if (datagram.error != 0)
            receiveErrors.push_back(datagram.error);
        else
            taken.push_back({std::move(datagram.bytes), std::move(datagram.sourceIp)});
    }
}

void TakenDatagrams::takeOnArrival(protocol::UdpEndpoint& endpoint) {
    QObject::connect(&endpoint, &protocol::UdpEndpoint::datagramsArrived, &endpoint,
                     [this, &endpoint] { takeFrom(endpoint); });
}

bool TakenDatagrams::contains(const QByteArray& bytes, const QString& source) const {
    return std::any_of(taken.begin(), taken.end(), [&](const Datagram& one) {
        return one.bytes == bytes && one.source == source;
    });
}

} // namespace testsupport
