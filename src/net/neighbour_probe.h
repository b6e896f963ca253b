#pragma once

#include "net/address_probe.h"
#include "net/local_interfaces.h"

#include <QObject>

namespace net {

// Unprivileged: one empty datagram to each address, sent from the adapter's own address and
// only on its link, makes the kernel resolve the address; the kernel's neighbour table then
// tells who answered. Addresses outside the adapter's subnet are not asked about: they are
// not on the link, and the datagram would go to a router.
// A QObject only to own its timers: they end with it.
class NeighbourProbe : public QObject, public AddressProbe {
public:
    explicit NeighbourProbe(tNetworkInterfaceList interfaces, QObject* parent = nullptr);

    void probe(const QString& adapterIp, const QStringList& addresses, Done done) override;

private:
    tNetworkInterfaceList interfaces;
};

// The resolved entries of the kernel's neighbour table on one interface, by the text of
// /proc/net/arp: address and MAC of each entry that holds a link-layer address.
QList<NeighbourAnswer> resolvedNeighbours(const QString& arpTable, const QString& interfaceName);

} // namespace net
