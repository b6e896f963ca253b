#include "cli/apply_order.h"
#include "cli/apply_report.h"
#include "cli/engine_runner.h"
#include "cli/row_stream.h"
#include "cli/wanted_values.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"

#include <QSet>

#include <algorithm>

namespace cli {

namespace {

WantedValues wantedOf(const PlanRow& row) {
    return WantedValues{row.ip, row.netmask, row.gateway, row.dhcp};
}

QString resultWord(ChangeResult::Kind kind) {
    switch (kind) {
    case ChangeResult::Kind::Done:
        return QStringLiteral("done");
    case ChangeResult::Kind::Unchanged:
        return QStringLiteral("unchanged");
    case ChangeResult::Kind::Refused:
        return QStringLiteral("refused");
    case ChangeResult::Kind::Timeout:
    case ChangeResult::Kind::NetworkFailed:
        break;
    }
    return QStringLiteral("timeout");
}

class PlanRun {
public:
    PlanRun(const Plan& plan, Workbench& bench, const Invocation& invocation)
        : plan(plan), bench(bench), dryRun(invocation.dryRun),
          restartAfterDhcp(invocation.restartAfterDhcp) {
        for (const PlanRow& row : plan.rows)
            plannedMacs.insert(row.mac);
    }

    // Each row's result is written as soon as it is known.
    std::vector<RowOutcome> carryOut(RowStream& stream) {
        std::vector<RowOutcome> outcomes(plan.rows.size());
        const auto currentIp = [this](const QString& mac) -> std::optional<QString> {
            const engine::DeviceRecord* device = bench.device(mac);
            return device ? std::optional<QString>(device->ip) : std::nullopt;
        };
        int done = 0;
        for (const std::size_t index : executionOrder(plan.rows, currentIp)) {
            bench.progress.show(QStringLiteral("row %1 of %2").arg(++done).arg(plan.rows.size()));
            outcomes[index] = carryOut(plan.rows[index]);
            bench.progress.clear();
            stream.add(outcomeTableCells(outcomes[index]), outcomeCsvFields(outcomes[index]),
                       outcomeJson(outcomes[index]));
        }
        stream.finish();
        return outcomes;
    }

    bool networkFailed() const { return networkFailure; }
    bool anyRestartRefused() const { return restartRefused; }

private:
    // A device outside the plan keeps its address, so the plan cannot give it to another.
    QString outsiderWithIp(const QString& ip) const {
        for (const engine::DeviceId id : bench.engine.devices().withIp(ip)) {
            const QString& mac = bench.engine.devices().at(id).mac;
            if (!plannedMacs.contains(mac))
                return mac;
        }
        return QString();
    }

    RowOutcome carryOut(const PlanRow& row) {
        RowOutcome outcome{row.line, row.mac, {}, {}, {}};
        const engine::DeviceRecord* device = bench.device(row.mac);
        if (!device) {
            outcome.result = QStringLiteral("not found");
            outcome.detail = QStringLiteral("did not answer the scan");
            return outcome;
        }
        const WantedValues wanted = wantedOf(row);
        outcome.changes = valueChanges(*device, wanted);
        QString refusal = refusalBeforeSending(*device, wanted);
        if (refusal.isEmpty() && row.ip) {
            if (const QString outsider = outsiderWithIp(*row.ip); !outsider.isEmpty())
                refusal = QStringLiteral("IP address %1 is used by %2, which is not in the plan")
                              .arg(*row.ip, outsider);
        }
        if (!refusal.isEmpty()) {
            outcome.result = QStringLiteral("refused");
            outcome.detail = refusal;
            return outcome;
        }
        if (!anyChange(outcome.changes)) {
            outcome.result = QStringLiteral("unchanged");
            return outcome;
        }
        if (dryRun) {
            outcome.result = QStringLiteral("would change");
            return outcome;
        }
        const ChangeResult result =
            bench.runner.change(changeRequest(*device, wanted), ChangeListener{});
        outcome.result = resultWord(result.kind);
        outcome.detail = result.detail;
        if (result.kind == ChangeResult::Kind::NetworkFailed)
            networkFailure = true;
        if (result.kind == ChangeResult::Kind::Done && outcome.changes[pvDhcp] && restartAfterDhcp)
            outcome.detail = restartDevice(row.mac);
        else if (result.restartNeeded)
            outcome.detail = QStringLiteral("DHCP takes effect when the device restarts");
        return outcome;
    }

    // apply --restart: the new DHCP setting takes effect at once.
    QString restartDevice(const QString& mac) {
        const engine::DeviceRecord* device = bench.device(mac);
        if (!device || device->restart != engine::RestartSupport::Supported) {
            restartRefused = true;
            return QStringLiteral("restart refused, the device does not report that it can be "
                                  "restarted; DHCP takes effect when it restarts");
        }
        if (!bench.runner.restart({mac, device->ip})) {
            networkFailure = true;
            return QStringLiteral("restart not sent");
        }
        return QStringLiteral("restart sent");
    }

    const Plan& plan;
    Workbench& bench;
    bool dryRun;
    bool restartAfterDhcp;
    QSet<QString> plannedMacs;
    bool networkFailure = false;
    bool restartRefused = false;
};

} // namespace

int runApply(const Invocation& invocation, const Plan& plan, Workbench& bench) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    PlanRun run(plan, bench, invocation);
    RowStream stream(bench.out, invocation.format, outcomesLayout(plan.rows.back().line));
    const std::vector<RowOutcome> outcomes = run.carryOut(stream);
    if (run.networkFailed())
        return bench.networkFailed();
    const bool allWell = std::all_of(outcomes.begin(), outcomes.end(), [](const RowOutcome& o) {
        return o.result == QLatin1String("done") || o.result == QLatin1String("unchanged") ||
               o.result == QLatin1String("would change");
    });
    return allWell && !run.anyRestartRefused() ? exitDone : exitDeviceFailed;
}

} // namespace cli
