#pragma once

#include "generated_answers.h"

#include "engine/device_set.h"
#include "ui/model/device_table.h"

#include <vector>

namespace bench {

// The device list as the program fills it, without sockets, timers and log: each answer
// enters the engine's device set and fills its record as the scan does, and the list follows
// the set the way the main window follows the engine's events (a line for a new device, the
// shown cells written again for each changed one), a batch at a time.
class EngineDeviceList {
public:
    ui::DeviceTable& table() { return lines; }
    int count() const { return lines.count(); }
    void beginBatch() { lines.beginBatch(); }
    void endBatch() { lines.endBatch(); }
    void enter(const GeneratedAnswer& answer);

private:
    ui::DeviceTable::Cells cellsOf(const engine::DeviceRecord& device) const;
    void show(engine::DeviceId id);

    engine::DeviceSet devices;
    ui::DeviceTable lines;
    std::vector<ui::DeviceLine*> lineOfDevice;
};

} // namespace bench
