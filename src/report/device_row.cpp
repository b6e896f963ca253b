#include "report/device_row.h"

#include "net/ipv4.h"

#include <algorithm>
#include <tuple>

namespace report {

QString dhcpColumnText(DhcpColumn dhcp) {
    switch (dhcp) {
    case DhcpColumn::Active:
        return QStringLiteral("active");
    case DhcpColumn::Inactive:
        return QStringLiteral("inactive");
    case DhcpColumn::Unsupported:
        break;
    }
    return QStringLiteral("unsupported");
}

void sortByIp(std::vector<DeviceRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const DeviceRow& a, const DeviceRow& b) {
        return std::forward_as_tuple(net::ipTextToInt(a.ip), a.mac) <
               std::forward_as_tuple(net::ipTextToInt(b.ip), b.mac);
    });
}

} // namespace report
