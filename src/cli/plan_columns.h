#pragma once

#include <QString>

#include <array>

namespace cli {

enum PlanColumn { colMac, colIp, colNetmask, colGateway, colDhcp, planColumnCount };

// "mac", "ip", "netmask", "gateway", "dhcp"
const std::array<QString, planColumnCount>& planColumnNames();

// What a plan's header cell names. The device list the program exports is a plan once its
// values are edited, so its other columns are known and left alone; a technician's own
// columns are left alone too, but one spelt nearly as a plan column is a plan column
// misspelt, and its values would silently not be set.
struct HeaderName {
    enum class Kind { Plan, Export, Foreign, LikelyTypo };
    Kind kind = Kind::Foreign;
    PlanColumn column = colMac; // Plan and LikelyTypo: the plan column meant
};

// name: the header cell, trimmed; case does not matter.
HeaderName classifyHeader(const QString& name);

// The fewest single-character insertions, deletions and substitutions from a to b.
int editDistance(const QString& a, const QString& b);

} // namespace cli
