#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace report {

enum class DhcpColumn { Active, Inactive, Unsupported };

// "active", "inactive", "unsupported"
QString dhcpColumnText(DhcpColumn dhcp);

// One device of the device list as it is exported: what the device reported, completed.
struct DeviceRow {
    QString mac; // "02-11-22-33-44-55"
    QString ip;
    std::optional<QString> netmask; // none: the device did not tell it
    std::optional<QString> gateway;
    DhcpColumn dhcp = DhcpColumn::Unsupported;
    bool restart = false;
    int type = 0;
    std::optional<QString> typeName; // none: the description file does not name the type
    QString revision;
    bool duplicateIp = false;
    QString adapter; // the local address whose scan heard the device
    // Outside, a device is reached by the limited broadcast only; none: the adapter's subnet
    // is not known.
    std::optional<bool> inAdapterSubnet;
    // The scan answer came from another address than the one it claims: anyone on the
    // segment may have sent it.
    bool doubtful = false;
    QString answeredFrom; // the source address of the scan answer
};

// By IP address as a number (10.0.0.9 before 10.0.0.10), then by MAC.
void sortByIp(std::vector<DeviceRow>& rows);

} // namespace report
