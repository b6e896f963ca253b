#include "net/local_interfaces.h"

#include "net/ipv4.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <array>
#include <memory>

namespace net {

namespace {

struct IfaddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using IfaddrsList = std::unique_ptr<ifaddrs, IfaddrsDeleter>;

IfaddrsList readIfaddrs() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return nullptr;
    return IfaddrsList(raw);
}

bool isIpv4(const sockaddr* address) {
    return address && address->sa_family == AF_INET;
}

quint32 hostOrderValue(const sockaddr* address) {
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

QString computerName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(name.data());
}

tNetworkInterface recordOf(const ifaddrs& entry, const QString& hostName) {
    tNetworkInterface record;
    record.ComputerName = hostName;
    const quint32 address = hostOrderValue(entry.ifa_addr);
    const quint32 mask = isIpv4(entry.ifa_netmask) ? hostOrderValue(entry.ifa_netmask) : 0;
    record.AddrIP = intToIpText(address);
    record.SubnetMask = intToIpText(mask);
    record.AddrNet = intToIpText(address & mask);
    record.AddrDirectedBroadcast = intToIpText((address & mask) | ~mask);
    record.IsInterfaceUp = entry.ifa_flags & IFF_UP;
    record.BroadcastSupport = entry.ifa_flags & IFF_BROADCAST;
    record.IsLoopback = entry.ifa_flags & IFF_LOOPBACK;
    // The union holds the peer, not a broadcast address, on point-to-point links; and an
    // address given without a broadcast address comes back with the address itself there.
    if (record.BroadcastSupport && isIpv4(entry.ifa_broadaddr) &&
        hostOrderValue(entry.ifa_broadaddr) != address)
        record.AddrLimitedBroadcast = intToIpText(hostOrderValue(entry.ifa_broadaddr));
    record.InterfaceName = QString::fromLocal8Bit(entry.ifa_name);
    record.InterfaceIndex = int(if_nametoindex(entry.ifa_name));
    return record;
}

} // namespace

bool getNetworkInterfaces(tNetworkInterfaceList& list) {
    list.clear();
    const IfaddrsList entries = readIfaddrs();
    if (!entries)
        return false;
    const QString hostName = computerName();
    for (const ifaddrs* entry = entries.get(); entry; entry = entry->ifa_next) {
        if (isIpv4(entry->ifa_addr))
            list.append(recordOf(*entry, hostName));
    }
    return true;
}

bool GetLocalIPs(QStringList& lines) {
    lines.clear();
    tNetworkInterfaceList interfaces;
    if (!getNetworkInterfaces(interfaces))
        return false;
    for (const tNetworkInterface& record : interfaces) {
        if (record.IsInterfaceUp && !record.IsLoopback)
            lines.append(record.AddrIP);
    }
    if (lines.isEmpty())
        lines.append(QStringLiteral("127.0.0.1"));
    return true;
}

int interfaceIndexHolding(const tNetworkInterfaceList& list, quint32 address) {
    for (const tNetworkInterface& record : list) {
        if (ipTextToInt(record.AddrIP) == address)
            return record.InterfaceIndex;
    }
    for (const tNetworkInterface& record : list) {
        const quint32 mask = ipTextToInt(record.SubnetMask);
        if (record.IsLoopback && (ipTextToInt(record.AddrIP) & mask) == (address & mask))
            return record.InterfaceIndex;
    }
    return 0;
}

} // namespace net
