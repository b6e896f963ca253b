#pragma once

#include "net/local_interfaces.h"

#include <QObject>
#include <QProcess>
#include <QString>

namespace net {

// Asks whether this host's firewall drops the gateways' answers on one interface, by the
// nftables ruleset (`nft -j list ruleset`). Only a user allowed to read the ruleset (root,
// or CAP_NET_ADMIN) gets an answer; everyone else hears "not known".
class FirewallProbe : public QObject {
    Q_OBJECT
public:
    explicit FirewallProbe(QObject* parent = nullptr);

    // Starts reading the ruleset; concluded() follows, also when it cannot be read. A probe
    // still running is given up.
    void start(const QString& interfaceName);
    // For a program without an event loop: waits up to ms for concluded().
    void waitForConclusion(int ms);

signals:
    // Where the ruleset drops the answers ("inet filter input: policy drop"); empty when it
    // does not for certain, or could not be read.
    void concluded(const QString& dropPoint);

private:
    void finish();

    QProcess process;
    QString interfaceName;
    bool running = false;
};

// The name of the interface that holds address; empty when none does.
QString interfaceHolding(const tNetworkInterfaceList& interfaces, const QString& address);

} // namespace net
