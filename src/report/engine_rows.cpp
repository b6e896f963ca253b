#include "report/engine_rows.h"

#include "engine/device_set.h"
#include "gdf/gdf_table.h"

namespace report {

namespace {

std::optional<QString> addressOf(const engine::AddressField& field) {
    if (field.state == engine::AddressState::Value)
        return field.text;
    return std::nullopt;
}

DhcpColumn dhcpOf(engine::DhcpMode mode) {
    switch (mode) {
    case engine::DhcpMode::Active:
        return DhcpColumn::Active;
    case engine::DhcpMode::NotActive:
        return DhcpColumn::Inactive;
    case engine::DhcpMode::Unknown:
    case engine::DhcpMode::NotReported:
    case engine::DhcpMode::NotSupported:
        break;
    }
    return DhcpColumn::Unsupported;
}

} // namespace

DeviceRow deviceRow(const engine::DeviceRecord& record, const engine::DeviceSet& devices,
                    const gdf::DeviceTypeTable& types, const QString& adapter,
                    const std::optional<engine::AdapterSubnet>& subnet) {
    DeviceRow row;
    row.mac = record.mac;
    row.ip = record.ip;
    row.netmask = addressOf(record.netmask);
    row.gateway = addressOf(record.gateway);
    row.dhcp = dhcpOf(record.dhcp);
    row.restart = record.restart == engine::RestartSupport::Supported;
    row.type = record.typeCode;
    // An empty name shows as "not defined" in the window too.
    if (const auto name = types.deviceTypeName(record.typeCode); name && !name->isEmpty())
        row.typeName = *name;
    row.revision = record.revision;
    // Another device, with another MAC, answered with the same IP.
    row.duplicateIp = devices.ipUsedByOtherMac(record.ip, record.mac);
    row.adapter = adapter;
    row.doubtful = record.doubtful;
    row.answeredFrom = record.answeredFrom;
    if (subnet)
        row.inAdapterSubnet = subnet->holds(record.ip);
    return row;
}

std::vector<DeviceRow> deviceRows(const engine::DeviceSet& devices,
                                  const gdf::DeviceTypeTable& types, const QString& adapter,
                                  const net::tNetworkInterfaceList& interfaces) {
    const auto subnet = engine::adapterSubnet(interfaces, adapter);
    std::vector<DeviceRow> rows;
    rows.reserve(devices.all().size());
    for (const engine::DeviceRecord& record : devices.all())
        rows.push_back(deviceRow(record, devices, types, adapter, subnet));
    sortByIp(rows);
    return rows;
}

} // namespace report
