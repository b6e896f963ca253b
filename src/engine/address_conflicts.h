#pragma once

#include "net/address_probe.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace engine {

class DeviceSet;

// The IPs of the devices of the scan: a gateway of the list may answer where it stands.
QSet<QString> listedIps(const DeviceSet& devices);

// "10.77.0.50 is in use by a host that is not a TORVANE gateway (MAC 5E-00-53-00-00-01)"
QString conflictText(const net::NeighbourAnswer& answer);

// Asks the segment about the new IPs, all at once. done gets the hosts that answered at one
// of them and are not one of the listed gateways: none of those IPs may be taken.
using Conflicts = QList<net::NeighbourAnswer>;
void probeConflicts(net::AddressProbe& probe, const QString& adapterIp, const QStringList& ips,
                    const QSet<QString>& listed, std::function<void(const Conflicts&)> done);

} // namespace engine
