#include "cli/adapter_choice.h"

#include "cli/stored_choices.h"

namespace cli {

namespace {

bool isLocalAddress(const QString& address, const net::tNetworkInterfaceList& interfaces) {
    for (const net::tNetworkInterface& interface : interfaces) {
        if (interface.AddrIP == address)
            return true;
    }
    return false;
}

} // namespace

AdapterChoice chooseAdapters(const Invocation& invocation, const platform::RegistryStore& store,
                             const net::tNetworkInterfaceList& interfaces,
                             const QStringList& localAddresses) {
    AdapterChoice choice;
    if (invocation.allAdapters) {
        for (const QString& address : localAddresses) {
            if (!address.startsWith(QLatin1String("127.")))
                choice.adapters.append(address);
        }
        if (choice.adapters.isEmpty())
            choice.adapters = localAddresses;
        choice.reason = QStringLiteral("--adapter all");
    } else if (invocation.adapter) {
        // An address of another host would leave the socket unbound, and the broadcast
        // would go out from wherever the system chose.
        if (!isLocalAddress(*invocation.adapter, interfaces)) {
            choice.problem = QStringLiteral("%1 is no address of this host (--adapter)")
                                 .arg(*invocation.adapter);
            return choice;
        }
        choice.adapters = QStringList{*invocation.adapter};
        choice.reason = QStringLiteral("--adapter");
    } else {
        const QString adapter = windowAdapter(store, localAddresses);
        if (!adapter.isEmpty())
            choice.adapters = QStringList{adapter};
        choice.reason = adapter == storedAdapter(store) ? QStringLiteral("the window's choice")
                                                        : QStringLiteral("the first local address");
    }
    if (choice.adapters.isEmpty())
        choice.problem = QStringLiteral("this host has no IPv4 address to work through");
    return choice;
}

QString throughText(const QStringList& adapters, const QString& reason) {
    return QStringLiteral("through %1 (%2)").arg(adapters.join(QStringLiteral(", ")), reason);
}

} // namespace cli
