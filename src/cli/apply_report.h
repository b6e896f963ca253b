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
    // How far the write came, as the device confirmed it ("done", "temporary_only",
    // "refused", "timeout", "not_sent", "interrupted"); empty when nothing was written.
    QString confirmed = QString();
};

using ValueChanges = std::array<std::optional<ValueChange>, planValueCount>;

// "ip 10.0.0.5 -> 10.0.0.6 (done), dhcp active -> inactive (not_sent)"
QString changesText(const ValueChanges& changes);

// What became of one row of a plan: "done", "unchanged", "refused", "timeout",
// "unverified" (confirmed, but the closing scan did not show it), "interrupted",
// "not started", "not found", or for a dry run "would change".
struct RowOutcome {
    int line = 0;
    QString mac;
    QString result;
    ValueChanges changes;
    QString detail; // why it was refused, timed out or not found
};

// Aligned for a person: one line per row with its changes as "ip A -> B".
QString outcomesTable(const std::vector<RowOutcome>& rows);
// An array of objects: line, mac, result, changes (an object with from, to and result per
// value changed; result null when nothing was written), detail (null when there is none).
QString outcomesJson(const std::vector<RowOutcome>& rows);
// line, mac, result, then from, to and result of each value (empty where unchanged),
// detail.
QString outcomesCsv(const std::vector<RowOutcome>& rows);

} // namespace cli
