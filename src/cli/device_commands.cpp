// blink and restart: one frame each to every device named that the scan found.
#include "cli/engine_runner.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"

namespace cli {

namespace {

enum class Step { Sent, DeviceFailed, NetworkFailed };

Step blink(const QString& mac, const QString& ip, Workbench& bench) {
    bool refused = false;
    if (!bench.runner.blink({mac, ip}, &refused) && !refused)
        return Step::NetworkFailed;
    if (refused) {
        bench.out << mac << " at " << ip << ": refused, blinking is not allowed\n";
        return Step::DeviceFailed;
    }
    bench.out << mac << " at " << ip << ": blink sent\n";
    return Step::Sent;
}

Step restart(const QString& mac, const QString& ip, Workbench& bench) {
    // The window offers a restart only to a device that says it supports one.
    if (bench.device(mac)->restart != engine::RestartSupport::Supported) {
        bench.out << mac << " at " << ip
                  << ": refused, the device does not report that it can be restarted\n";
        return Step::DeviceFailed;
    }
    if (!bench.runner.restart({mac, ip}))
        return Step::NetworkFailed;
    bench.out << mac << " at " << ip << ": restart sent\n";
    return Step::Sent;
}

// One scan finds them all; each device then gets its frame, in the order named.
int forEachDevice(const Invocation& invocation, Workbench& bench,
                  Step (*send)(const QString&, const QString&, Workbench&)) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    bench.progress.clear();
    int status = exitDone;
    for (const QString& mac : invocation.macs) {
        const engine::DeviceRecord* device = bench.device(mac);
        if (!device) {
            bench.err << "torvane-cli: " << mac << " did not answer the scan\n";
            status = exitDeviceFailed;
            continue;
        }
        const Step step = send(mac, QString(device->ip), bench);
        bench.out.flush();
        if (step == Step::NetworkFailed)
            return bench.networkFailed();
        if (step == Step::DeviceFailed)
            status = exitDeviceFailed;
    }
    return status;
}

} // namespace

int runBlink(const Invocation& invocation, Workbench& bench) {
    return forEachDevice(invocation, bench, blink);
}

int runRestart(const Invocation& invocation, Workbench& bench) {
    return forEachDevice(invocation, bench, restart);
}

} // namespace cli
