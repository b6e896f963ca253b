#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace net {

// One IPv4 address of a local interface; an interface with several addresses gives one
// record per address. Address fields are dotted texts.
struct tNetworkInterface {
    QString ComputerName;
    QString AddrIP;
    QString SubnetMask;
    QString AddrNet;
    // Empty when the interface reports no broadcast address (loopback, point-to-point).
    QString AddrLimitedBroadcast;
    QString AddrDirectedBroadcast;
    bool IsInterfaceUp = false;
    bool BroadcastSupport = false;
    bool IsLoopback = false;
    // What the endpoint needs to tie a limited broadcast to the interface it arrived on.
    int InterfaceIndex = 0;
    QString InterfaceName;
};

using tNetworkInterfaceList = QList<tNetworkInterface>;

// Replaces lines with the IPv4 addresses of the interfaces that are up, loopback left out,
// in the system's order; "127.0.0.1" alone when there is none, which is what resolving the
// host's own name yields then. False, with lines empty, when the system gives no list.
bool GetLocalIPs(QStringList& lines);

// Every IPv4 address of every interface, in the system's order. False, with the list empty,
// when the system gives no list.
bool getNetworkInterfaces(tNetworkInterfaceList& list);

// The index of the interface that holds address (host byte order): the interface with that
// very address, or else a loopback interface whose subnet holds it, since every address of
// a loopback subnet is local. 0 when no interface holds it.
int interfaceIndexHolding(const tNetworkInterfaceList& list, quint32 address);

} // namespace net
