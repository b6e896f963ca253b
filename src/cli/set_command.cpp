#include "cli/engine_runner.h"
#include "cli/wanted_values.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "protocol/frame.h"

namespace cli {

int runSet(const Invocation& invocation, Workbench& bench) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    const engine::DeviceRecord* device = bench.device(invocation.mac);
    if (!device) {
        bench.err << "torvane-cli: " << invocation.mac << " did not answer the scan\n";
        return exitDeviceFailed;
    }
    const WantedValues wanted{invocation.ip, invocation.netmask, invocation.gateway,
                              invocation.dhcp};
    const QString where = invocation.mac + QStringLiteral(" at ") + device->ip;
    if (const QString refusal = refusalBeforeSending(*device, wanted); !refusal.isEmpty()) {
        bench.out << where << ": refused, " << refusal << '\n';
        return exitDeviceFailed;
    }
    const ValueChanges changes = valueChanges(*device, wanted);
    if (!anyChange(changes)) {
        bench.out << where << ": nothing to change\n";
        return exitDone;
    }
    bench.out << where << ": " << changesText(changes) << '\n';
    bench.out.flush();

    ChangeListener listener;
    listener.sending = [&](const QByteArray& frame) {
        bench.out << "request    " << requestText(frame) << ": " << protocol::frameAsHex(frame)
                  << '\n';
        bench.out.flush();
    };
    listener.confirmed = [&](const QByteArray& frame) {
        bench.out << "confirmed  " << requestText(frame) << '\n';
        bench.out.flush();
    };
    const ChangeResult result = bench.runner.change(changeRequest(*device, wanted), listener);
    switch (result.kind) {
    case ChangeResult::Kind::Done:
        bench.out << "done\n";
        if (result.restartNeeded)
            bench.out << "The DHCP change takes effect when the device restarts: torvane-cli "
                         "restart "
                      << invocation.mac << '\n';
        return exitDone;
    case ChangeResult::Kind::Unchanged:
        bench.out << "nothing to change\n";
        return exitDone;
    case ChangeResult::Kind::Refused:
        bench.out << "refused, " << result.detail << '\n';
        return exitDeviceFailed;
    case ChangeResult::Kind::Timeout:
        bench.out << "timeout, " << result.detail << '\n';
        return exitDeviceFailed;
    case ChangeResult::Kind::NetworkFailed:
        break;
    }
    return bench.networkFailed();
}

} // namespace cli
