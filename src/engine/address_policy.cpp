#include "engine/address_policy.h"

#include "net/ipv4.h"

#include <bit>

namespace engine {

namespace {

// The rules that hold for every host address, whatever its subnet.
std::optional<AddressFault> unusable(quint32 address, bool throughLoopback) {
    const quint32 first = address >> 24;
    if (first == 0)
        return AddressFault::ThisNetwork;
    if (first == 127 && !throughLoopback)
        return AddressFault::Loopback;
    if (first >= 224 && first < 240)
        return AddressFault::Multicast;
    if (first >= 240)
        return AddressFault::Reserved;
    return std::nullopt;
}

bool isNetmask(quint32 mask) {
    const quint32 hostBits = ~mask;
    return mask != 0 && hostBits != 0 && (hostBits & (hostBits + 1)) == 0;
}

// A /31 is a point-to-point link (RFC 3021) whose two addresses are both hosts.
bool hasNetworkAndBroadcast(quint32 mask) {
    return ~mask >= 3;
}

QString subnetText(quint32 address, quint32 mask) {
    return net::intToIpText(address & mask) + u'/' + QString::number(std::popcount(mask));
}

Refusal refusal(Field field, const QString& value, AddressFault fault, QString subnet = {}) {
    Refusal refused;
    refused.kind = Refusal::Kind::AddressRule;
    refused.ip = field == Field::Ip;
    refused.netmask = field == Field::Netmask;
    refused.gateway = field == Field::Gateway;
    refused.value = value;
    refused.fault = fault;
    refused.subnet = std::move(subnet);
    return refused;
}

QString reasonText(AddressFault fault) {
    switch (fault) {
    case AddressFault::ThisNetwork:
        return QStringLiteral("an address of 0.0.0.0/8, which no device can take");
    case AddressFault::Loopback:
        return QStringLiteral("a loopback address (127.x.x.x), which only this PC reaches");
    case AddressFault::Multicast:
        return QStringLiteral("a multicast address");
    case AddressFault::Reserved:
        return QStringLiteral("a reserved or broadcast address (240.0.0.0 and above)");
    case AddressFault::LocalAddress:
        return QStringLiteral("an address of this PC");
    case AddressFault::NetworkAddress:
        return QStringLiteral("the network address of the subnet");
    case AddressFault::SubnetBroadcast:
        return QStringLiteral("the broadcast address of the subnet");
    case AddressFault::NoNetmask:
        return QStringLiteral("not a netmask (1 to 31 leading one bits, such as 255.255.255.0)");
    case AddressFault::GatewayOutsideSubnet:
        return QStringLiteral("outside the device's subnet");
    case AddressFault::GatewayIsDeviceIp:
        return QStringLiteral("the device's own IP address");
    }
    return QString();
}

} // namespace

void AddressPolicy::setInterfaces(const net::tNetworkInterfaceList& interfaces) {
    localAddresses.clear();
    for (const net::tNetworkInterface& record : interfaces) {
        if (net::isValidIpText(record.AddrIP))
            localAddresses.insert(net::ipTextToInt(record.AddrIP));
    }
}

void AddressPolicy::setAdapter(const QString& adapterIp) {
    throughLoopback = net::isValidIpText(adapterIp) && net::ipTextToInt(adapterIp) >> 24 == 127;
}

std::optional<Refusal> AddressPolicy::check(const NewAddresses& addresses) const {
    const quint32 ip = net::ipTextToInt(addresses.ip);
    const std::optional<quint32> mask =
        addresses.netmask ? std::optional(net::ipTextToInt(*addresses.netmask)) : std::nullopt;
    if (addresses.netmaskWritten && mask && !isNetmask(*mask))
        return refusal(Field::Netmask, *addresses.netmask, AddressFault::NoNetmask);
    const bool subnetKnown = mask && isNetmask(*mask);
    // Read once, here: an optimising GCC cannot follow the subnetKnown guard into the
    // lambda and warns that the unset value of an unknown mask may be read (-Werror).
    const quint32 subnetMask = subnetKnown ? *mask : 0;
    const auto subnetEnd = [&](Field field, const QString& text,
                               quint32 address) -> std::optional<Refusal> {
        if (!subnetKnown || !hasNetworkAndBroadcast(subnetMask))
            return std::nullopt;
        if (address == (ip & subnetMask))
            return refusal(field, text, AddressFault::NetworkAddress, subnetText(ip, subnetMask));
        if (address == (ip | ~subnetMask))
            return refusal(field, text, AddressFault::SubnetBroadcast, subnetText(ip, subnetMask));
        return std::nullopt;
    };

    if (addresses.ipWritten || addresses.netmaskWritten) {
        if (const auto fault = unusable(ip, throughLoopback))
            return refusal(Field::Ip, addresses.ip, *fault);
        // A device that has this address already takes nothing new from this PC.
        if (addresses.ip != addresses.currentIp && localAddresses.contains(ip))
            return refusal(Field::Ip, addresses.ip, AddressFault::LocalAddress);
        if (auto end = subnetEnd(Field::Ip, addresses.ip, ip))
            return end;
    }
    const bool anyWritten =
        addresses.ipWritten || addresses.netmaskWritten || addresses.gatewayWritten;
    if (!anyWritten || !addresses.gateway)
        return std::nullopt;
    const QString& text = *addresses.gateway;
    const quint32 gateway = net::ipTextToInt(text);
    if (gateway == 0) // no gateway
        return std::nullopt;
    if (const auto fault = unusable(gateway, throughLoopback))
        return refusal(Field::Gateway, text, *fault);
    if (subnetKnown && (gateway & subnetMask) != (ip & subnetMask))
        return refusal(Field::Gateway, text, AddressFault::GatewayOutsideSubnet,
                       subnetText(ip, subnetMask));
    if (gateway == ip)
        return refusal(Field::Gateway, text, AddressFault::GatewayIsDeviceIp);
    return subnetEnd(Field::Gateway, text, gateway);
}

QString addressRefusalText(const Refusal& refusal) {
    const QString field = refusal.ip        ? QStringLiteral("IP address")
                          : refusal.netmask ? QStringLiteral("netmask")
                                            : QStringLiteral("gateway");
    QString text = field + u' ' + refusal.value + QStringLiteral(": ") + reasonText(refusal.fault);
    if (!refusal.subnet.isEmpty())
        text += u' ' + refusal.subnet;
    return text;
}

} // namespace engine
