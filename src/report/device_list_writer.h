#pragma once

#include "report/device_row.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// The export's field names, in column order: the CSV header and the JSON keys.
const QStringList& deviceListFields();

// A header row with the field names, then one row per device; RFC 4180, CR LF line ends.
// Values that are not available are empty fields; booleans are true or false.
QString deviceListCsv(const std::vector<DeviceRow>& rows);
// An array of objects, one per device, with the fields in column order; null where a value
// is not available.
QString deviceListJson(const std::vector<DeviceRow>& rows);
// Aligned columns for a person, and a closing line with the number of devices.
QString deviceListTable(const std::vector<DeviceRow>& rows);

} // namespace report
