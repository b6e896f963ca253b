#pragma once

#include "net/local_interfaces.h"

#include <QString>

#include <optional>

namespace engine {

// The subnet of the adapter the engine works through. A device outside it is reached by
// the limited broadcast only.
struct AdapterSubnet {
    quint32 adapter = 0;
    quint32 mask = 0;

    quint32 network() const { return adapter & mask; }
    quint32 broadcast() const { return network() | ~mask; }
    bool holds(const QString& ip) const;
    // "10.77.0.0/24"
    QString text() const;
};

// The subnet of the interface whose address is adapterIp; none when no interface has it.
std::optional<AdapterSubnet> adapterSubnet(const net::tNetworkInterfaceList& interfaces,
                                           const QString& adapterIp);

} // namespace engine
