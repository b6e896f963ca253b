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

// The columns of apply's result, written row by row as each is known.
RowStreamLayout outcomesLayout(int lastLine);
// Aligned for a person: the row's changes as "ip A -> B", then why it was refused.
QStringList outcomeTableCells(const RowOutcome& row);
// line, mac, result, then from and to of each value (empty where unchanged), detail.
QStringList outcomeCsvFields(const RowOutcome& row);
// line, mac, result, changes (an object with from and to per value changed), detail (null
// when there is none).
QJsonObject outcomeJson(const RowOutcome& row);

} // namespace cli
