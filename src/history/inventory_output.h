#pragma once

#include "history/inventory.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace history {

// The inventory's columns as the outputs name them: the device list's mac, ip, netmask,
// gateway, dhcp, type, type_name, revision, adapter, then host, first_seen, last_seen.
const QStringList& inventoryColumns();
// An entry's texts in the order of the columns; empty where a value is not known.
QStringList inventoryCells(const InventoryEntry& entry);

// Aligned for a person, the type by its name, and a closing line with the count.
QString inventoryTable(const std::vector<InventoryEntry>& entries);
// An array of objects with one key per column, null where a value is not known and the
// type a number, as in the device list's JSON (which scan --compare reads).
QString inventoryJson(const std::vector<InventoryEntry>& entries);
// A heading line and one line per device.
QString inventoryCsv(const std::vector<InventoryEntry>& entries);

} // namespace history
