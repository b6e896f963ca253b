// blink and restart: one frame each to a device the scan found.
#include "cli/engine_runner.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"

namespace cli {

namespace {

const engine::DeviceRecord* scannedDevice(const Invocation& invocation, Workbench& bench,
                                          int* exitStatus) {
    if (!bench.runner.scan()) {
        *exitStatus = bench.networkFailed();
        return nullptr;
    }
    const engine::DeviceRecord* device = bench.device(invocation.mac);
    if (!device) {
        bench.err << "torvane-cli: " << invocation.mac << " did not answer the scan\n";
        *exitStatus = exitDeviceFailed;
    }
    return device;
}

} // namespace

int runBlink(const Invocation& invocation, Workbench& bench) {
    int status = exitDone;
    const engine::DeviceRecord* device = scannedDevice(invocation, bench, &status);
    if (!device)
        return status;
    const QString ip = device->ip;
    bool refused = false;
    if (!bench.runner.blink({invocation.mac, ip}, &refused) && !refused)
        return bench.networkFailed();
    if (refused) {
        bench.out << invocation.mac << " at " << ip << ": refused, blinking is not allowed\n";
        return exitDeviceFailed;
    }
    bench.out << invocation.mac << " at " << ip << ": blink sent\n";
    return exitDone;
}

int runRestart(const Invocation& invocation, Workbench& bench) {
    int status = exitDone;
    const engine::DeviceRecord* device = scannedDevice(invocation, bench, &status);
    if (!device)
        return status;
    const QString ip = device->ip;
    // The window offers a restart only to a device that says it supports one.
    if (device->restart != engine::RestartSupport::Supported) {
        bench.out << invocation.mac << " at " << ip
                  << ": refused, the device does not report that it can be restarted\n";
        return exitDeviceFailed;
    }
    if (!bench.runner.restart({invocation.mac, ip}))
        return bench.networkFailed();
    bench.out << invocation.mac << " at " << ip << ": restart sent\n";
    return exitDone;
}

} // namespace cli
