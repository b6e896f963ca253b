#pragma once

#include "net/local_interfaces.h"

#include <QString>

namespace engine {

class EndpointSession;
class LogSink;

// The netmask of the local interface whose address is adapterIp, compared as text; empty
// when none has it.
QString adapterSubnetMask(const net::tNetworkInterfaceList& interfaces, const QString& adapterIp,
                          LogSink& log);

// Where a request for one device goes: to the device itself when the adapter's netmask is
// known, the DHCP box is not ticked and the device is in the adapter's subnet; otherwise to
// every device, by the limited broadcast. The MAC in the request picks the device either way.
QString deviceDestination(const net::tNetworkInterfaceList& interfaces, const QString& adapterIp,
                          bool dhcpTicked, const QString& deviceIp, LogSink& log);

// The destination rule with what it reads from the program's state: the host's interfaces,
// the adapter the endpoint is bound to, and the editor's DHCP box.
class DestinationRule {
public:
    DestinationRule(const EndpointSession& session, LogSink& log) : session(session), log(log) {}

    void setInterfaces(const net::tNetworkInterfaceList& list) { interfaces = list; }
    const net::tNetworkInterfaceList& localInterfaces() const { return interfaces; }
    void setDhcpTicked(bool ticked) { dhcpTicked = ticked; }
    bool isDhcpTicked() const { return dhcpTicked; }

    QString forDevice(const QString& deviceIp) const;

private:
    const EndpointSession& session;
    LogSink& log;
    net::tNetworkInterfaceList interfaces;
    bool dhcpTicked = false;
};

} // namespace engine
