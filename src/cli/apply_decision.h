#pragma once

#include "cli/apply_report.h"
#include "cli/plan_file.h"
#include "engine/change_journal.h"
#include "engine/change_plan.h"

#include <QHash>
#include <QList>
#include <QString>

#include <cstddef>
#include <vector>

namespace engine {
class AddressPolicy;
class DeviceSet;
} // namespace engine

namespace cli {

// What a plan row comes to, decided before anything of the plan is sent.
struct RowDecision {
    enum class Kind { NotFound, Refused, Unchanged, Change };
    Kind kind = Kind::NotFound;
    QString reason; // Refused: why
    ValueChanges changes;
    // Values the device shows already that are written again, to complete an earlier change.
    QList<engine::Field> again;
    engine::ChangeRequest request; // Change: what the engine is asked to do
};

// A plan decided: by row of the plan, and the order in which its rows are carried out.
struct PlanDecisions {
    std::vector<RowDecision> rows;
    std::vector<std::size_t> order;
};

// Decides every row of a plan against the devices of the scan, one row after the other in
// the order the rows are carried out, each as if the rows before it had taken their new
// addresses: so a row may take an IP that an earlier row gives up, while an IP held by a
// device outside the plan, or by one that gives it up only later (a swap, a cycle), is
// refused, as the engine would refuse it when the row's turn came. The engine's own checks
// (address rules, link-local IP without DHCP, IP in use) decide as they will when the row
// is sent. A new IP where a host that is no gateway of the scan answered (`conflicts`, by
// IP) is refused too.
PlanDecisions decidePlan(const std::vector<PlanRow>& rows, const engine::DeviceSet& scanned,
                         const engine::AddressPolicy& policy,
                         const engine::UnfinishedValues& unfinished,
                         const QHash<QString, QString>& conflicts = {});

bool anyRefused(const std::vector<RowDecision>& decisions);

} // namespace cli
