#include "engine/destination.h"

#include "engine/endpoint_session.h"
#include "engine/log_sink.h"
#include "net/ipv4.h"
#include "protocol/frame.h"

namespace engine {

QString adapterSubnetMask(const net::tNetworkInterfaceList& interfaces, const QString& adapterIp,
                          LogSink& log) {
    log.logStringOnly(QStringLiteral("Anzahl network interfaces ") +
                      QString::number(interfaces.size()));
    for (const net::tNetworkInterface& record : interfaces) {
        if (record.AddrIP == adapterIp) {
            log.logStringOnly(QStringLiteral("Subnetmask found ") + record.SubnetMask);
            return record.SubnetMask;
        }
    }
    return QString();
}

QString deviceDestination(const net::tNetworkInterfaceList& interfaces, const QString& adapterIp,
                          bool dhcpTicked, const QString& deviceIp, LogSink& log) {
    const QString mask = adapterSubnetMask(interfaces, adapterIp, log);
    if (mask.isEmpty() || dhcpTicked || !net::isInSameSubnet(adapterIp, mask, deviceIp))
        return protocol::kLimitedBroadcast;
    return deviceIp;
}

QString DestinationRule::forDevice(const QString& deviceIp) const {
    return deviceDestination(interfaces, session.adapter(), dhcpTicked, deviceIp, log);
}

} // namespace engine
