#pragma once

#include "cli/address_rules.h"
#include "engine/address_conflicts.h"
#include "engine/device_record.h"

#include <QHash>
#include <QStringList>

namespace cli {

struct Workbench;

// Why each of the new IPs may not be taken, by IP: a host answered there that is not a
// gateway of the scan. Nothing under --no-probe. All of them are asked about at once.
QHash<QString, QString> probedConflicts(Workbench& bench, const QStringList& ips);

// set --ip auto: the lowest free address of the adapter's subnet for a device outside it,
// the device's own IP for a device inside it, or why there is none.
Checked automaticAddress(Workbench& bench, const engine::DeviceRecord& device);

} // namespace cli
