#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace engine {
class DeviceSet;
}
namespace gdf {
class DeviceTypeTable;
}

namespace history {

class HistoryDatabase;

// One gateway as the scans have seen it: its latest values and where and when it was seen.
struct InventoryEntry {
    QString mac;
    QString ip;
    std::optional<QString> netmask; // none: no scan could read it
    std::optional<QString> gateway;
    QString dhcp; // "active", "inactive", "unsupported", as the device list writes it
    int type = 0;
    std::optional<QString> typeName; // none: the description file did not name the type
    QString revision;
    QString adapter;   // the local address whose scan heard it last
    QString host;      // the computer that scan ran on
    QString firstSeen; // UTC, as the history writes times
    QString lastSeen;
};

// Records every device of a finished scan through adapter, all in one transaction: a device
// seen for the first time is added, one seen before gets the scan's time and values. An
// answer from another address than the one it claims is left out: anyone may have sent it.
// A failure is reported through the database, once, and the scan goes on without it.
void recordScan(HistoryDatabase& database, const engine::DeviceSet& devices,
                const gdf::DeviceTypeTable& types, const QString& adapter);

// Every device seen at or after since (a history time; none: ever), by MAC. Empty when the
// history is unavailable or cannot be read (the database reports that).
std::vector<InventoryEntry> readInventory(HistoryDatabase& database,
                                          const std::optional<QString>& since);

} // namespace history
