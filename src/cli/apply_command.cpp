#include "cli/address_probing.h"
#include "cli/apply_decision.h"
#include "cli/apply_report.h"
#include "cli/confirmed_values.h"
#include "cli/engine_runner.h"
#include "cli/parallel_apply.h"
#include "cli/row_stream.h"
#include "cli/wanted_values.h"
#include "cli/workbench.h"
#include "engine/device_engine.h"

#include <algorithm>
#include <optional>
#include <utility>

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
    case ChangeResult::Kind::Interrupted:
        return QStringLiteral("interrupted");
    case ChangeResult::Kind::Timeout:
    case ChangeResult::Kind::NetworkFailed:
        break;
    }
    return QStringLiteral("timeout");
}

// What a row comes to before anything is sent; a row to change that is not carried out
// is "not started".
RowOutcome decidedOutcome(const PlanRow& row, const RowDecision& decision) {
    RowOutcome outcome{row.line, row.mac, {}, decision.changes, {}};
    switch (decision.kind) {
    case RowDecision::Kind::NotFound:
        outcome.result = QStringLiteral("not found");
        outcome.detail = QStringLiteral("did not answer the scan");
        break;
    case RowDecision::Kind::Refused:
        outcome.result = QStringLiteral("refused");
        outcome.detail = decision.reason;
        break;
    case RowDecision::Kind::Unchanged:
        outcome.result = QStringLiteral("unchanged");
        break;
    case RowDecision::Kind::Change:
        outcome.result = QStringLiteral("not started");
        outcome.detail = QStringLiteral("the plan has a refused row, nothing was sent");
        break;
    }
    return outcome;
}

void writeOutcome(RowStream& stream, const RowOutcome& outcome) {
    stream.add(outcomeTableCells(outcome), outcomeCsvFields(outcome), outcomeJson(outcome));
}

class PlanRun {
public:
    PlanRun(const Plan& plan, const PlanDecisions& decisions, Workbench& bench,
            const Invocation& invocation)
        : plan(plan), decisions(decisions), bench(bench), dryRun(invocation.dryRun),
          restartAfterDhcp(invocation.restartAfterDhcp), manyAtOnce(invocation.parallel > 1) {}

    // Each row's result is written as soon as it is known.
    std::vector<RowOutcome> carryOut(RowStream& stream) {
        std::vector<RowOutcome> outcomes(plan.rows.size());
        expectedIps.resize(plan.rows.size());
        int done = 0;
        std::vector<std::size_t> confirmed;
        const auto settle = [&](std::size_t index, const RowOutcome& outcome) {
            outcomes[index] = outcome;
            // A done row waits for the closing scan, which decides whether it stays done.
            if (outcome.result == QLatin1String("done"))
                confirmed.push_back(index);
            else
                writeOutcome(stream, outcome);
        };
        std::vector<Prepared> prepared(plan.rows.size());
        std::vector<RowToChange> toChange;
        const std::vector<std::size_t>& order = decisions.order;
        for (const std::size_t index : order) {
            const PlanRow& row = plan.rows[index];
            if (const engine::DeviceRecord* device = bench.device(row.mac))
                expectedIps[index] = row.ip.value_or(device->ip);
            if (bench.runner.interruptions() > 0) {
                settle(index, notStarted(row));
                continue;
            }
            if (manyAtOnce) {
                prepared[index] = prepare(row, decisions.rows[index]);
                if (prepared[index].request)
                    toChange.push_back({index, *prepared[index].request});
                else
                    settle(index, prepared[index].outcome);
                continue;
            }
            bench.progress.show(QStringLiteral("row %1 of %2").arg(++done).arg(plan.rows.size()));
            settle(index, carryOut(row, decisions.rows[index]));
            bench.progress.clear();
        }
        // A restart is an operation of its own: it waits until every change has ended.
        std::vector<std::pair<std::size_t, ChangeResult>> restartsDue;
        applyInParallel(toChange, bench.runner, bench.progress,
                        [&](std::size_t index, const std::optional<ChangeResult>& result) {
                            const PlanRow& row = plan.rows[index];
                            if (!result)
                                settle(index, notStarted(row));
                            else if (restartWanted(prepared[index].outcome, *result))
                                restartsDue.emplace_back(index, *result);
                            else
                                settle(index, conclude(row, prepared[index], *result));
                        });
        for (const auto& [index, result] : restartsDue)
            settle(index, conclude(plan.rows[index], prepared[index], result));
        // The done rows come in the order they were carried out, however their changes
        // ended.
        std::vector<std::size_t> rank(plan.rows.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            rank[order[i]] = i;
        std::ranges::sort(confirmed, {}, [&rank](std::size_t index) { return rank[index]; });
        if (bench.runner.interruptions() == 0)
            verify(outcomes, confirmed);
        for (const std::size_t index : confirmed)
            writeOutcome(stream, outcomes[index]);
        stream.finish();
        return outcomes;
    }

    bool networkFailed() const { return networkFailure; }
    bool anyRestartRefused() const { return restartRefused; }

private:
    RowOutcome notStarted(const PlanRow& row) const {
        RowOutcome outcome{row.line, row.mac, QStringLiteral("not started"), {}, {}};
        if (const engine::DeviceRecord* device = bench.device(row.mac))
            outcome.changes = valueChanges(*device, wantedOf(row));
        return outcome;
    }

    // A row is done only when the device, asked once more after the last write, answers
    // from its new address with its new values: a forged confirmation does not survive it.
    void verify(std::vector<RowOutcome>& outcomes, const std::vector<std::size_t>& confirmed) {
        if (confirmed.empty())
            return;
        bench.progress.show(QStringLiteral("closing scan"));
        const bool scanned = bench.runner.scan();
        bench.progress.clear();
        for (const std::size_t i : confirmed) {
            const QString problem =
                scanned
                    ? verificationProblem(bench.device(plan.rows[i].mac), expectedIps[i],
                                          wantedOf(plan.rows[i]))
                    : QStringLiteral("the closing scan failed: ") + bench.runner.networkFailure();
            if (problem.isEmpty())
                continue;
            outcomes[i].result = QStringLiteral("unverified");
            addDetail(outcomes[i], problem);
        }
    }

    static void addDetail(RowOutcome& outcome, const QString& detail) {
        outcome.detail += (outcome.detail.isEmpty() ? QString() : QStringLiteral("; ")) + detail;
    }

    // A row decided: its outcome, and the change to send unless that outcome is final.
    struct Prepared {
        RowOutcome outcome;
        QList<engine::Field> again; // values written again to complete an unfinished change
        std::optional<engine::ChangeRequest> request;
    };

    RowOutcome carryOut(const PlanRow& row, const RowDecision& decision) {
        const Prepared prepared = prepare(row, decision);
        if (!prepared.request)
            return prepared.outcome;
        return conclude(row, prepared, bench.runner.change(*prepared.request, ChangeListener{}));
    }

    Prepared prepare(const PlanRow& row, const RowDecision& decision) const {
        Prepared prepared{decidedOutcome(row, decision), decision.again, std::nullopt};
        if (decision.kind != RowDecision::Kind::Change)
            return prepared;
        if (dryRun) {
            prepared.outcome.result = QStringLiteral("would change");
            prepared.outcome.detail.clear();
            return prepared;
        }
        prepared.request = decision.request;
        return prepared;
    }

    bool restartWanted(const RowOutcome& outcome, const ChangeResult& result) const {
        return result.kind == ChangeResult::Kind::Done && outcome.changes[pvDhcp] &&
               restartAfterDhcp;
    }

    // The row's outcome once its change has ended.
    RowOutcome conclude(const PlanRow& row, const Prepared& prepared, const ChangeResult& result) {
        RowOutcome outcome = prepared.outcome;
        takeConfirmed(outcome.changes, result);
        outcome.result = resultWord(result.kind);
        if (result.kind == ChangeResult::Kind::Done && !allConfirmed(outcome.changes) &&
            bench.runner.interruptions() > 0)
            outcome.result = QStringLiteral("interrupted");
        outcome.detail = result.detail;
        if (result.kind == ChangeResult::Kind::NetworkFailed)
            networkFailure = true;
        if (restartWanted(outcome, result))
            outcome.detail = restartDevice(row.mac);
        else if (result.restartNeeded)
            outcome.detail = QStringLiteral("DHCP takes effect when the device restarts");
        const engine::DeviceRecord* device = bench.device(row.mac);
        if (device && device->doubtful)
            addDetail(outcome, doubtfulText(*device));
        else if (!prepared.again.isEmpty() && result.kind == ChangeResult::Kind::Done)
            addDetail(outcome, QStringLiteral("completed an unfinished change"));
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
    const PlanDecisions& decisions;
    Workbench& bench;
    bool dryRun;
    bool restartAfterDhcp;
    // Many devices changed at once instead of one after the other.
    bool manyAtOnce;
    bool networkFailure = false;
    bool restartRefused = false;
    // Where each row's device is to answer the closing scan.
    std::vector<QString> expectedIps;
};

} // namespace

int runApply(const Invocation& invocation, const Plan& plan, Workbench& bench) {
    if (!bench.runner.scan())
        return bench.networkFailed();
    // The plan's new IPs are probed together, before anything is written.
    QStringList newIps;
    for (const PlanRow& row : plan.rows)
        if (row.ip)
            newIps.append(*row.ip);
    const PlanDecisions decisions =
        decidePlan(plan.rows, bench.engine.devices(), bench.engine.addressPolicy(),
                   bench.journal.unfinished(), probedConflicts(bench, newIps));
    RowStream stream(bench.out, invocation.format, outcomesLayout(plan.rows.back().line));
    // A plan is carried out whole or not at all: one refused row, and nothing is sent.
    if (anyRefused(decisions.rows)) {
        for (std::size_t i = 0; i < plan.rows.size(); ++i) {
            writeOutcome(stream, decidedOutcome(plan.rows[i], decisions.rows[i]));
        }
        stream.finish();
        return exitUsage;
    }
    PlanRun run(plan, decisions, bench, invocation);
    const std::vector<RowOutcome> outcomes = run.carryOut(stream);
    if (run.networkFailed())
        return bench.networkFailed();
    // An interrupted plan ends with the signal's status (set by the caller); the rows
    // tell what was done.
    const bool allWell = std::all_of(outcomes.begin(), outcomes.end(), [](const RowOutcome& o) {
        return o.result == QLatin1String("done") || o.result == QLatin1String("unchanged") ||
               o.result == QLatin1String("would change");
    });
    return allWell && !run.anyRestartRefused() ? exitDone : exitDeviceFailed;
}

} // namespace cli
