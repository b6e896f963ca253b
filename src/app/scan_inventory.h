#pragma once

#include <QObject>

namespace engine {
class DeviceEngine;
}
namespace gdf {
class DeviceTypeTable;
}
namespace history {
class HistoryDatabase;
}

namespace app {

// Records the devices of each of the window's scans in the inventory once the scan and the
// reads that complete its short answers are over, so that the inventory holds what the list
// then shows.
class ScanInventory : public QObject {
public:
    ScanInventory(engine::DeviceEngine& engine, history::HistoryDatabase& database,
                  const gdf::DeviceTypeTable& types, QObject* parent);

private:
    bool periodOver = false;
};

} // namespace app
