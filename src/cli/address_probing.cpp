#include "cli/address_probing.h"

#include "cli/workbench.h"
#include "engine/device_engine.h"
#include "engine/subnet_move.h"

#include <QEventLoop>

#include <functional>
#include <optional>

namespace cli {

namespace {

// The command line takes its steps one after the other: it waits here for the answer.
template <typename Result>
Result awaited(const std::function<void(std::function<void(const Result&)>)>& start) {
    std::optional<Result> result;
    QEventLoop loop;
    start([&](const Result& given) {
        result = given;
        loop.quit();
    });
    if (!result)
        loop.exec();
    return *result;
}

} // namespace

QHash<QString, QString> probedConflicts(Workbench& bench, const QStringList& ips) {
    if (!bench.probe || ips.isEmpty())
        return {};
    const QSet<QString> listed = engine::listedIps(bench.engine.devices());
    const auto conflicts = awaited<engine::Conflicts>([&](auto done) {
        engine::probeConflicts(*bench.probe, bench.engine.adapter(), ips, listed, done);
    });
    QHash<QString, QString> refusals;
    for (const net::NeighbourAnswer& answer : conflicts)
        refusals.insert(answer.ip, engine::conflictText(answer));
    return refusals;
}

Checked automaticAddress(Workbench& bench, const engine::DeviceRecord& device) {
    const auto subnet = engine::adapterSubnet(bench.engine.interfaces(), bench.engine.adapter());
    if (!subnet)
        return {std::nullopt, QStringLiteral("--ip auto: the subnet of adapter %1 is not known")
                                  .arg(bench.engine.adapter())};
    if (subnet->holds(device.ip))
        return {device.ip, QString()};
    const QSet<QString> taken =
        engine::takenAddresses(bench.engine.interfaces(), bench.engine.devices());
    const auto free = awaited<std::optional<QString>>([&](auto done) {
        engine::findFreeAddress(bench.probe, bench.engine.adapter(), *subnet, taken, done);
    });
    if (!free)
        return {std::nullopt,
                QStringLiteral("--ip auto: no free address in %1").arg(subnet->text())};
    return {*free, QString()};
}

} // namespace cli
