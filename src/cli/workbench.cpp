#include "cli/workbench.h"

#include "cli/engine_runner.h"
#include "engine/device_engine.h"

namespace cli {

int Workbench::networkFailed() {
    err << "torvane-cli: " << runner.networkFailure() << '\n';
    return exitNetwork;
}

const engine::DeviceRecord* Workbench::device(const QString& mac) const {
    return engine.devices().latestWithMac(mac);
}

} // namespace cli
