#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace cli {

// The values a plan row can change, in the order they are reported.
enum PlanValue { pvIp, pvNetmask, pvGateway, pvDhcp, planValueCount };

QString planValueName(PlanValue value); // "ip", "netmask", "gateway", "dhcp"

struct ValueChange {
    QString from;
    QString to;
};

using ValueChanges = std::array<std::optional<ValueChange>, planValueCount>;

// "ip 10.0.0.5 -> 10.0.0.6, dhcp active -> inactive"
QString changesText(const ValueChanges& changes);

// What became of one row of a plan: "done", "unchanged", "refused", "timeout",
// "not found", or for a dry run "would change".
struct RowOutcome {
    int line = 0;
    QString mac;
    QString result;
    ValueChanges changes;
    QString detail; // why it was refused, timed out or not found
};

// Aligned for a person: one line per row with its changes as "ip A -> B".
QString outcomesTable(const std::vector<RowOutcome>& rows);
// An array of objects: line, mac, result, changes (an object with from and to per value
// changed), detail (null when there is none).
QString outcomesJson(const std::vector<RowOutcome>& rows);
// line, mac, result, then from and to of each value (empty where unchanged), detail.
QString outcomesCsv(const std::vector<RowOutcome>& rows);

} // namespace cli
