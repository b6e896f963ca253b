#pragma once

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
                    const gdf::DeviceTypeTable& types, const QString& adapter);
// Every device of the scan, sorted by IP address.
std::vector<DeviceRow> deviceRows(const engine::DeviceSet& devices,
                                  const gdf::DeviceTypeTable& types, const QString& adapter);

} // namespace report
