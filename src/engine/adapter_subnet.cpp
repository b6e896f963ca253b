#include "engine/adapter_subnet.h"

#include "net/ipv4.h"

#include <bit>

namespace engine {

bool AdapterSubnet::holds(const QString& ip) const {
    return net::isValidIpText(ip) && (net::ipTextToInt(ip) & mask) == network();
}

QString AdapterSubnet::text() const {
    return net::intToIpText(network()) + u'/' + QString::number(std::popcount(mask));
}

std::optional<AdapterSubnet> adapterSubnet(const net::tNetworkInterfaceList& interfaces,
                                           const QString& adapterIp) {
    for (const net::tNetworkInterface& record : interfaces) {
        if (record.AddrIP == adapterIp && net::isValidIpText(record.SubnetMask))
            return AdapterSubnet{net::ipTextToInt(adapterIp), net::ipTextToInt(record.SubnetMask)};
    }
    return std::nullopt;
}

} // namespace engine
