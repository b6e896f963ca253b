#include "app/scan_inventory.h"

#include "engine/device_engine.h"
#include "history/inventory.h"

namespace app {

ScanInventory::ScanInventory(engine::DeviceEngine& engine, history::HistoryDatabase& database,
                             const gdf::DeviceTypeTable& types, QObject* parent)
    : QObject(parent) {
    engine::Events& events = engine.events();
    connect(&events, &engine::Events::scanFinished, this, [this] { periodOver = true; });
    // The endpoint also closes between the reads when a blink comes between them; the reads
    // then open it again and close it once more at their end.
    connect(&events, &engine::Events::endpointClosed, this, [this, &engine, &database, &types] {
        if (!periodOver || engine.discovery().readsRunning())
            return;
        periodOver = false;
        history::recordScan(database, engine.devices(), types, engine.adapter());
    });
}

} // namespace app
