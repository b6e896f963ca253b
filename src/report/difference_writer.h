#pragma once

#include "report/device_list_diff.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace report {

// "ip 10.0.0.5 -> 10.0.0.6, netmask n/a -> 255.255.255.0"
QString changesText(const std::vector<FieldChange>& changes);
// {"ip": {"from": "10.0.0.5", "to": "10.0.0.6"}}, null for a value not told.
QJsonObject changesJson(const std::vector<FieldChange>& changes);

// Aligned for a person: change, MAC, IP and the changes; a closing line with the count.
QString differencesTable(const std::vector<DeviceDifference>& differences);
// An array of objects: change, mac, ip, changes (null unless changed).
QString differencesJson(const std::vector<DeviceDifference>& differences);
// The same objects, one a line.
QString differencesJsonLines(const std::vector<DeviceDifference>& differences);
// change, mac, ip, then from and to of each compared value (empty where unchanged).
QString differencesCsv(const std::vector<DeviceDifference>& differences);

} // namespace report
