#include "cli/adapter_dispatch.h"

#include "cli/adapter_choice.h"
#include "cli/engine_runner.h"
#include "engine/device_engine.h"

#include <QHash>

#include <algorithm>

namespace cli {

namespace {

int runOne(const Invocation& invocation, const std::optional<Plan>& plan, Workbench& bench) {
    switch (invocation.command) {
    case Command::Scan:
    case Command::Set:
    case Command::Watch:
    case Command::History: // these two are carried out before any adapter is chosen
    case Command::Inventory:
        break;
    case Command::Blink:
        return runBlink(invocation, bench);
    case Command::Restart:
        return runRestart(invocation, bench);
    case Command::Apply:
        return runApply(invocation, *plan, bench);
    }
    return runSet(invocation, bench);
}

QStringList devicesNamed(const Invocation& invocation, const std::optional<Plan>& plan) {
    if (invocation.command == Command::Apply) {
        QStringList macs;
        for (const PlanRow& row : plan->rows)
            macs.append(row.mac);
        return macs;
    }
    if (invocation.command == Command::Set)
        return QStringList{invocation.mac};
    return invocation.macs;
}

} // namespace

int runOnAdapters(const Invocation& invocation, const std::optional<Plan>& plan,
                  std::vector<Workbench>& benches, platform::PortLock& portLock) {
    if (invocation.command == Command::Scan)
        return runScan(invocation, benches);
    if (invocation.command == Command::Watch) {
        if (benches.size() == 1)
            return runWatch(invocation, benches.front(), portLock);
        benches.front().err << "torvane-cli: watch works through one adapter; name it with "
                               "--adapter\n";
        return exitUsage;
    }
    if (benches.size() == 1)
        return runOne(invocation, plan, benches.front());

    // Which adapter heard each device; one not heard at all goes with the first, whose
    // scan reports it as not found.
    QHash<QString, std::size_t> heardBy;
    for (std::size_t i = benches.size(); i-- > 0;) {
        if (!benches[i].runner.scan())
            return benches[i].networkFailed();
        for (const QString& mac : devicesNamed(invocation, plan)) {
            if (benches[i].device(mac))
                heardBy.insert(mac, i);
        }
    }
    benches.front().progress.clear();
    std::vector<QStringList> groups(benches.size());
    for (const QString& mac : devicesNamed(invocation, plan))
        groups[heardBy.value(mac, 0)].append(mac);
    const auto used = std::count_if(groups.begin(), groups.end(),
                                    [](const QStringList& group) { return !group.isEmpty(); });
    if (invocation.command == Command::Apply && used > 1) {
        QStringList adapters;
        for (std::size_t i = 0; i < benches.size(); ++i) {
            if (!groups[i].isEmpty())
                adapters.append(benches[i].engine.adapter());
        }
        benches.front().err << "torvane-cli: the plan's devices answered through several adapters ("
                            << adapters.join(QStringLiteral(", "))
                            << "); apply a plan for each with --adapter\n";
        return exitUsage;
    }
    int status = exitDone;
    for (std::size_t i = 0; i < benches.size(); ++i) {
        if (groups[i].isEmpty())
            continue;
        benches[i].through = throughText(QStringList{benches[i].engine.adapter()},
                                         QStringLiteral("--adapter all: it heard the device"));
        benches[i].err << "torvane-cli: working " << benches[i].through << '\n';
        Invocation part = invocation;
        part.macs = groups[i];
        status = std::max(status, runOne(part, plan, benches[i]));
    }
    return status;
}

} // namespace cli
