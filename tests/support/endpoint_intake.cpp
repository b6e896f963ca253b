#include "support/endpoint_intake.h"

#include <algorithm>

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
    protocol::ReceiveBuffer buffer;
    qsizetype received = 0;
    QString source;
    int error = 0;
    if (endpoint.receive(buffer, &received, &source, &error))
        taken.push_back(
            {QByteArray(reinterpret_cast<const char*>(buffer.data()), received), source});
    else
        receiveErrors.push_back(error);
}

void TakenDatagrams::takeOnReadable(protocol::UdpEndpoint& endpoint) {
    QObject::connect(&endpoint, &protocol::UdpEndpoint::readable, &endpoint,
                     [this, &endpoint] { takeFrom(endpoint); });
}

bool TakenDatagrams::contains(const QByteArray& bytes, const QString& source) const {
    return std::any_of(taken.begin(), taken.end(), [&](const Datagram& one) {
        return one.bytes == bytes && one.source == source;
    });
}

} // namespace testsupport
