#pragma once

#include "engine/adapter_subnet.h"
#include "engine/device_record.h"
#include "net/address_probe.h"
#include "net/local_interfaces.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace engine {

class DeviceSet;

// A device outside the adapter's subnet is moved to the lowest free address of the subnet,
// with the adapter's netmask, keeping its gateway only when that lies inside the subnet
// (else none, 0.0.0.0).
QString gatewayAfterMove(const AddressField& gateway, const AdapterSubnet& subnet);

// The addresses a moved device may not take: this PC's own and the listed gateways' IPs.
QSet<QString> takenAddresses(const net::tNetworkInterfaceList& interfaces,
                             const DeviceSet& devices);

// Finds the lowest address of the subnet that is neither its network nor its broadcast
// address nor taken (local addresses, the listed gateways' IPs) and where no host answers
// the probe, asking about a few candidates at a time; without a probe, the lowest that is
// not taken, given to done at once. done gets none when the subnet has no such address.
void findFreeAddress(net::AddressProbe* probe, const QString& adapterIp,
                     const AdapterSubnet& subnet, const QSet<QString>& taken,
                     std::function<void(const std::optional<QString>&)> done);

} // namespace engine
