#include "cli/apply_decision.h"

#include "cli/apply_order.h"
#include "cli/refusal_text.h"
#include "cli/wanted_values.h"
#include "engine/device_set.h"
#include "net/ipv4.h"

#include <QSet>

#include <algorithm>

namespace cli {

namespace {

// The devices of the scan as they will be, row by row.
class PlanDecider {
public:
    PlanDecider(const std::vector<PlanRow>& rows, const engine::DeviceSet& scanned,
                const engine::AddressPolicy& policy, const engine::UnfinishedValues& unfinished,
                const QHash<QString, QString>& conflicts)
        : devices(scanned), policy(policy), unfinished(unfinished), conflicts(conflicts) {
        for (const PlanRow& row : rows)
            plannedMacs.insert(row.mac);
    }

    RowDecision decide(const PlanRow& row) {
        RowDecision decision;
        const engine::DeviceRecord* device = devices.latestWithMac(row.mac);
        if (!device)
            return decision;
        const WantedValues wanted{row.ip, row.netmask, row.gateway, row.dhcp};
        decision.again = writtenAgain(*device, wanted, unfinished);
        decision.changes = valueChanges(*device, wanted, decision.again);
        decision.reason = refusalBeforeSending(*device, wanted);
        if (decision.reason.isEmpty() && row.ip)
            decision.reason = heldBySomeoneElse(*row.ip, row.mac);
        if (decision.reason.isEmpty() && row.ip)
            decision.reason = conflicts.value(*row.ip);
        if (!decision.reason.isEmpty()) {
            decision.kind = RowDecision::Kind::Refused;
            return decision;
        }
        decision.kind = RowDecision::Kind::Unchanged;
        if (!anyChange(decision.changes))
            return decision;
        decision.request = changeRequest(*device, wanted, decision.again);
        return engineDecides(std::move(decision));
    }

private:
    QString heldBySomeoneElse(const QString& ip, const QString& mac) const {
        for (const engine::DeviceId id : devices.withIp(ip)) {
            const QString& holder = devices.at(id).mac;
            if (holder == mac)
                continue;
            return plannedMacs.contains(holder)
                       ? QStringLiteral("IP address %1 is used by %2, which does not give it "
                                        "up before this row")
                             .arg(ip, holder)
                       : QStringLiteral("IP address %1 is used by %2, which is not in the plan")
                             .arg(ip, holder);
        }
        return QString();
    }

    // The engine's checks, as the engine makes them when the row is sent.
    RowDecision engineDecides(RowDecision decision) {
        engine::ChangeRequest& request = decision.request;
        if (net::isValidIpText(request.ip))
            request.ip = engine::normalizeAddr(request.ip);
        const engine::ChangePlan plan = engine::planChange(devices, request, policy);
        if (plan.refusal.kind != engine::Refusal::Kind::None) {
            engine::ChangeStart start;
            start.outcome = engine::ChangeStart::Outcome::Refused;
            start.refusal = plan.refusal;
            start.ip = request.ip;
            decision.kind = RowDecision::Kind::Refused;
            decision.reason = notStartedText(start, devices, request.mac);
            return decision;
        }
        if (plan.nothingChanged)
            return decision;
        const bool anySendable =
            std::any_of(plan.requests.begin(), plan.requests.end(),
                        [](const engine::PlannedRequest& planned) { return planned.sendable; });
        if (!anySendable) {
            decision.kind = RowDecision::Kind::Refused;
            decision.reason = notStartedText({engine::ChangeStart::Outcome::NothingToSend, {}, {}},
                                             devices, request.mac);
            return decision;
        }
        decision.kind = RowDecision::Kind::Change;
        if (devices.at(*request.device).ip != request.ip)
            devices.setIp(*request.device, request.ip);
        return decision;
    }

    engine::DeviceSet devices;
    const engine::AddressPolicy& policy;
    const engine::UnfinishedValues& unfinished;
    const QHash<QString, QString>& conflicts;
    QSet<QString> plannedMacs;
};

} // namespace

PlanDecisions decidePlan(const std::vector<PlanRow>& rows, const engine::DeviceSet& scanned,
                         const engine::AddressPolicy& policy,
                         const engine::UnfinishedValues& unfinished,
                         const QHash<QString, QString>& conflicts) {
    PlanDecider decider(rows, scanned, policy, unfinished, conflicts);
    const auto currentIp = [&scanned](const QString& mac) -> std::optional<QString> {
        const engine::DeviceRecord* device = scanned.latestWithMac(mac);
        return device ? std::optional<QString>(device->ip) : std::nullopt;
    };
    PlanDecisions decisions{std::vector<RowDecision>(rows.size()), executionOrder(rows, currentIp)};
    for (const std::size_t index : decisions.order)
        decisions.rows[index] = decider.decide(rows[index]);
    return decisions;
}

bool anyRefused(const std::vector<RowDecision>& decisions) {
    return std::any_of(decisions.begin(), decisions.end(), [](const RowDecision& decision) {
        return decision.kind == RowDecision::Kind::Refused;
    });
}

} // namespace cli
