#pragma once

#include "cli/command_line.h"
#include "net/local_interfaces.h"

#include <QString>
#include <QStringList>

namespace platform {
class RegistryStore;
}

namespace cli {

// The local addresses a command works through, and why those.
struct AdapterChoice {
    QStringList adapters; // empty: none, see problem
    QString reason;       // "the window's choice", "--adapter", ...
    QString problem;
};

// --adapter A when it is an address of this host; --adapter all: every IPv4 adapter but
// loopback (the loopback ones when there is no other); else the window's choice when it is
// a local address still, else the first local address.
AdapterChoice chooseAdapters(const Invocation& invocation, const platform::RegistryStore& store,
                             const net::tNetworkInterfaceList& interfaces,
                             const QStringList& localAddresses);

// "through 10.77.0.1 (the window's choice)"
QString throughText(const QStringList& adapters, const QString& reason);

} // namespace cli
