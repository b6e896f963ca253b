#pragma once

#include "cli/row_stream.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

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

// The columns of apply's result, written row by row as each is known.
RowStreamLayout outcomesLayout(int lastLine);
// Aligned for a person: the row's changes as "ip A -> B", then why it was refused.
QStringList outcomeTableCells(const RowOutcome& row);
// line, mac, result, then from, to and result of each value (empty where unchanged),
// detail.
QStringList outcomeCsvFields(const RowOutcome& row);
// line, mac, result, changes (an object with from, to and result per value changed; result
// null when nothing was written), detail (null when there is none).
QJsonObject outcomeJson(const RowOutcome& row);

} // namespace cli
