#include "report/device_list_diff.h"

#include <QHash>

namespace report {

namespace {

std::optional<QString> valueOf(const DeviceRow& row, DeviceField field) {
    switch (field) {
    case DeviceField::Ip:
        return row.ip;
    case DeviceField::Netmask:
        return row.netmask;
    case DeviceField::Gateway:
        return row.gateway;
    case DeviceField::Dhcp:
        return dhcpColumnText(row.dhcp);
    case DeviceField::Type:
        return QString::number(row.type);
    case DeviceField::Revision:
        break;
    }
    return row.revision;
}

QHash<QString, const DeviceRow*> byMac(const std::vector<DeviceRow>& rows) {
    QHash<QString, const DeviceRow*> index;
    for (const DeviceRow& row : rows)
        index.insert(row.mac, &row);
    return index;
}

} // namespace

const std::vector<DeviceField>& comparedFields() {
    static const std::vector<DeviceField> fields{DeviceField::Ip,      DeviceField::Netmask,
                                                 DeviceField::Gateway, DeviceField::Dhcp,
                                                 DeviceField::Type,    DeviceField::Revision};
    return fields;
}

QString deviceFieldName(DeviceField field) {
    switch (field) {
    case DeviceField::Ip:
        return QStringLiteral("ip");
    case DeviceField::Netmask:
        return QStringLiteral("netmask");
    case DeviceField::Gateway:
        return QStringLiteral("gateway");
    case DeviceField::Dhcp:
        return QStringLiteral("dhcp");
    case DeviceField::Type:
        return QStringLiteral("type");
    case DeviceField::Revision:
        break;
    }
    return QStringLiteral("revision");
}

QString differenceKindName(DeviceDifference::Kind kind) {
    switch (kind) {
    case DeviceDifference::Kind::New:
        return QStringLiteral("new");
    case DeviceDifference::Kind::Missing:
        return QStringLiteral("missing");
    case DeviceDifference::Kind::Changed:
        break;
    }
    return QStringLiteral("changed");
}

std::vector<FieldChange> fieldChanges(const DeviceRow& before, const DeviceRow& after) {
    std::vector<FieldChange> changes;
    for (const DeviceField field : comparedFields()) {
        const std::optional<QString> from = valueOf(before, field);
        const std::optional<QString> to = valueOf(after, field);
        if (from != to)
            changes.push_back({field, from, to});
    }
    return changes;
}

std::vector<DeviceDifference> compareDeviceLists(const std::vector<DeviceRow>& saved,
                                                 const std::vector<DeviceRow>& scanned) {
    const QHash<QString, const DeviceRow*> savedByMac = byMac(saved);
    const QHash<QString, const DeviceRow*> scannedByMac = byMac(scanned);
    std::vector<DeviceDifference> differences;
    for (const DeviceRow& row : scanned) {
        const DeviceRow* last = scannedByMac.value(row.mac);
        if (last != &row)
            continue;
        const DeviceRow* before = savedByMac.value(row.mac);
        if (!before) {
            differences.push_back({DeviceDifference::Kind::New, row.mac, row.ip, {}});
            continue;
        }
        std::vector<FieldChange> changes = fieldChanges(*before, row);
        if (!changes.empty())
            differences.push_back(
                {DeviceDifference::Kind::Changed, row.mac, row.ip, std::move(changes)});
    }
    for (const DeviceRow& row : saved) {
        if (savedByMac.value(row.mac) == &row && !scannedByMac.contains(row.mac))
            differences.push_back({DeviceDifference::Kind::Missing, row.mac, row.ip, {}});
    }
    return differences;
}

} // namespace report
