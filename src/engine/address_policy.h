#pragma once

#include "engine/outcomes.h"
#include "net/local_interfaces.h"

#include <QSet>
#include <QString>

#include <optional>

namespace engine {

// The addresses a device is to have once a change is written, and which of them the change
// writes. Texts are valid addresses in canonical form.
struct NewAddresses {
    QString ip;
    QString currentIp;
    std::optional<QString> netmask; // none: the device's netmask is not known
    std::optional<QString> gateway; // none: the device's gateway is not known
    bool ipWritten = false;
    bool netmaskWritten = false;
    bool gatewayWritten = false;
};

// The rules every address a change writes must keep, whoever asks for the change: the
// device must stay reachable as a host of its subnet, and must not take an address of this
// PC. The IP is checked whenever IP or netmask are written, since a new netmask can turn the
// old IP into its subnet's broadcast address; the gateway whenever any address is written.
class AddressPolicy {
public:
    // Every address of these interfaces is this PC's.
    void setInterfaces(const net::tNetworkInterfaceList& interfaces);
    void setAdapter(const QString& adapterIp);

    // The first rule the addresses break: a refusal of kind AddressRule, the value's field
    // flagged; none when they may be written.
    std::optional<Refusal> check(const NewAddresses& addresses) const;

private:
    QSet<quint32> localAddresses;
    // Working through a loopback adapter, the devices are simulated on loopback addresses:
    // there 127.0.0.0/8 is the devices' segment, and only this PC's own addresses in it are
    // refused.
    bool throughLoopback = false;
};

// "IP address 10.0.0.255: the broadcast address of the subnet 10.0.0.0/24", for logs and the
// command line.
QString addressRefusalText(const Refusal& refusal);

} // namespace engine
