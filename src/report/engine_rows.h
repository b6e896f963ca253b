#pragma once

#include "engine/adapter_subnet.h"
#include "net/local_interfaces.h"
#include "report/device_row.h"

#include <QString>

#include <vector>

namespace engine {
class DeviceSet;
struct DeviceRecord;
} // namespace engine

namespace gdf {
class DeviceTypeTable;
}

namespace report {

// One device of a scan through adapter as it is exported, its type named by the
// description file.
DeviceRow deviceRow(const engine::DeviceRecord& record, const engine::DeviceSet& devices,
                    const gdf::DeviceTypeTable& types, const QString& adapter,
                    const std::optional<engine::AdapterSubnet>& subnet);
// Every device of the scan, sorted by IP address; the adapter's subnet is found among the
// local interfaces.
std::vector<DeviceRow> deviceRows(const engine::DeviceSet& devices,
                                  const gdf::DeviceTypeTable& types, const QString& adapter,
                                  const net::tNetworkInterfaceList& interfaces);

} // namespace report
