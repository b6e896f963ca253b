#include "engine/address_conflicts.h"

#include "engine/device_set.h"

namespace engine {

QSet<QString> listedIps(const DeviceSet& devices) {
    QSet<QString> ips;
    for (const DeviceRecord& record : devices.all())
        ips.insert(record.ip);
    return ips;
}

QString conflictText(const net::NeighbourAnswer& answer) {
    return QStringLiteral("%1 is in use by a host that is not a TORVANE gateway (MAC %2)")
        .arg(answer.ip, answer.mac);
}

void probeConflicts(net::AddressProbe& probe, const QString& adapterIp, const QStringList& ips,
                    const QSet<QString>& listed, std::function<void(const Conflicts&)> done) {
    probe.probe(adapterIp, ips, [listed, done](const QList<net::NeighbourAnswer>& answered) {
        Conflicts conflicts;
        for (const net::NeighbourAnswer& answer : answered) {
            if (!listed.contains(answer.ip))
                conflicts.append(answer);
        }
        done(conflicts);
    });
}

} // namespace engine
