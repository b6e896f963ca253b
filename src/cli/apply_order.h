#pragma once

#include "cli/plan_file.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace cli {

// The order in which a plan's rows are carried out: the plan's order, except that a row
// whose new IP another planned device still uses waits until that device has moved away
// (renumbering a row of devices by one). Rows caught in a cycle keep the plan's order; the
// device then refuses the address that is still in use. currentIp gives the address a
// planned device answered the scan with, if it did.
std::vector<std::size_t>
executionOrder(const std::vector<PlanRow>& rows,
               const std::function<std::optional<QString>(const QString& mac)>& currentIp);

} // namespace cli
