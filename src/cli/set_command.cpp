#include "cli/address_probing.h"
#include "cli/confirmed_values.h"
#include "cli/engine_runner.h"
#include "cli/wanted_values.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "engine/subnet_move.h"
#include "net/ipv4.h"
#include "protocol/frame.h"

namespace cli {

namespace {

int reportResult(const ChangeResult& result, const ValueChanges& changes, Workbench& bench) {
    switch (result.kind) {
    case ChangeResult::Kind::Done:
        if (bench.runner.interruptions() > 0 && !allConfirmed(changes)) {
            bench.out << "interrupted: " << changesText(changes) << '\n';
            return exitDeviceFailed;
        }
        return -1;
    case ChangeResult::Kind::Unchanged:
        bench.out << "nothing to change\n";
        return exitDone;
    case ChangeResult::Kind::Refused:
        bench.out << "refused, " << result.detail << '\n';
        break;
    case ChangeResult::Kind::Timeout:
        bench.out << "timeout, " << result.detail << '\n';
        break;
    case ChangeResult::Kind::Interrupted:
        bench.out << "interrupted: " << changesText(changes) << '\n';
        return exitDeviceFailed;
    case ChangeResult::Kind::NetworkFailed:
        return bench.networkFailed();
    }
    bench.out << "confirmed: " << changesText(changes) << '\n';
    return exitDeviceFailed;
}

// --ip auto: the device moves into the adapter's subnet, with the adapter's netmask and the
// gateway it has while that lies inside, unless they are given.
std::optional<QString> takeAutomaticAddress(WantedValues& wanted, Workbench& bench,
                                            const engine::DeviceRecord& device) {
    const Checked address = automaticAddress(bench, device);
    if (!address.value)
        return address.problem;
    if (*address.value == device.ip)
        return std::nullopt;
    wanted.ip = address.value;
    const auto subnet = engine::adapterSubnet(bench.engine.interfaces(), bench.engine.adapter());
    if (!wanted.netmask)
        wanted.netmask = net::intToIpText(subnet->mask);
    if (!wanted.gateway)
        wanted.gateway = engine::gatewayAfterMove(
            device.gateway, {net::ipTextToInt(*wanted.ip), net::ipTextToInt(*wanted.netmask)});
    return std::nullopt;
}

} // namespace

int runSet(const Invocation& invocation, Workbench& bench) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    const engine::DeviceRecord* device = bench.device(invocation.mac);
    if (!device) {
        bench.err << "torvane-cli: " << invocation.mac << " did not answer the scan\n";
        return exitDeviceFailed;
    }
    WantedValues wanted{invocation.ip, invocation.netmask, invocation.gateway, invocation.dhcp};
    const QString where = invocation.mac + QStringLiteral(" at ") + device->ip;
    if (device->doubtful)
        bench.out << where << ": " << doubtfulText(*device) << '\n';
    QString refusal;
    if (invocation.ipAuto)
        refusal = takeAutomaticAddress(wanted, bench, *device).value_or(QString());
    if (refusal.isEmpty())
        refusal = refusalBeforeSending(*device, wanted);
    // The automatic address was probed while it was chosen.
    if (refusal.isEmpty() && wanted.ip && !invocation.ipAuto && *wanted.ip != device->ip)
        refusal = probedConflicts(bench, {*wanted.ip}).value(*wanted.ip);
    if (!refusal.isEmpty()) {
        bench.out << where << ": refused, " << refusal << '\n';
        return exitDeviceFailed;
    }
    const QList<engine::Field> again = writtenAgain(*device, wanted, bench.journal.unfinished());
    ValueChanges changes = valueChanges(*device, wanted, again);
    if (!anyChange(changes)) {
        bench.out << where << ": nothing to change\n";
        return exitDone;
    }
    bench.out << where << ": " << changesText(changes) << '\n';
    if (!again.isEmpty() && !device->doubtful)
        bench.out << "completing an unfinished change\n";
    bench.out.flush();
    if (bench.runner.interruptions() > 0) {
        bench.out << "not started\n";
        return exitDeviceFailed;
    }

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
    const QString expectedIp = wanted.ip.value_or(device->ip);
    const ChangeResult result =
        bench.runner.change(changeRequest(*device, wanted, again), listener);
    takeConfirmed(changes, result);
    if (const int status = reportResult(result, changes, bench); status >= 0)
        return status;

    // Done only when the device answers from its new address with its new values.
    if (bench.runner.interruptions() == 0) {
        const QString problem =
            bench.runner.scan()
                ? verificationProblem(bench.device(invocation.mac), expectedIp, wanted)
                : QStringLiteral("the closing scan failed: ") + bench.runner.networkFailure();
        if (!problem.isEmpty()) {
            bench.out << "unverified, " << problem << '\n';
            return exitDeviceFailed;
        }
    }
    bench.out << "done\n";
    if (result.restartNeeded)
        bench.out << "The DHCP change takes effect when the device restarts: torvane-cli "
                     "restart "
                  << invocation.mac << '\n';
    return exitDone;
}

} // namespace cli
