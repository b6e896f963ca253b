#pragma once

#include "report/device_row.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// The export's field names, in column order: the CSV header and the JSON keys.
const QStringList& deviceListFields();

// A header row with the field names, then one row per device; RFC 4180, CR LF line ends.
// Values that are not available are empty fields; booleans are true or false.
QString deviceListCsv(const std::vector<DeviceRow>& rows);
// One device as an object with the fields as keys; null where a value is not available.
QJsonObject deviceJson(const DeviceRow& row);
// An array of those objects, one per device.
QString deviceListJson(const std::vector<DeviceRow>& rows);
// One object a line, for programs that read as the lines come.
QString deviceListJsonLines(const std::vector<DeviceRow>& rows);
// Aligned columns for a person, and a closing line with the number of devices and, after
// a comma, through (which adapter and why).
QString deviceListTable(const std::vector<DeviceRow>& rows, const QString& through = QString());

} // namespace report
