#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace cli {

// One device of a commissioning plan: the values it is to take; a value the plan leaves
// empty stays as the device has it.
struct PlanRow {
    int line = 0; // line of the plan file
    QString mac;  // canonical "02-11-22-33-44-55"
    std::optional<QString> ip;
    std::optional<QString> netmask;
    std::optional<QString> gateway;
    std::optional<bool> dhcp;
};

struct PlanProblem {
    int line = 0;
    QString message;
};

struct Plan {
    std::vector<PlanRow> rows;
    // Every fault of the plan; a plan with any is not to be carried out at all.
    std::vector<PlanProblem> problems;
    // Header cells of columns that are neither the plan's nor the device list's.
    QStringList ignoredColumns;
};

// Reads a plan: CSV whose header row names "mac" and some of "ip", "netmask", "gateway",
// "dhcp" in any order and case; the device list's other columns and columns of the user's
// own are left alone, a header spelt nearly as a plan column is a fault. Every row is checked
// before the plan is used: its MAC and addresses, a MAC planned twice, one IP planned for two
// devices. Rows with no text at all are skipped.
Plan parsePlan(const QString& text);

} // namespace cli
