#include "engine/subnet_move.h"

#include "engine/address_conflicts.h"
#include "engine/device_set.h"
#include "net/ipv4.h"

#include <memory>

namespace engine {

namespace {

constexpr qsizetype kCandidatesPerRound = 16;
// A subnet as wide as a /8 is not searched to its end: a segment full this far is no
// place to put a device by default.
constexpr int kMostCandidates = 4096;

class Search : public std::enable_shared_from_this<Search> {
public:
    Search(net::AddressProbe* probe, QString adapterIp, const AdapterSubnet& subnet,
           QSet<QString> taken, std::function<void(const std::optional<QString>&)> done)
        : probe(probe), adapterIp(std::move(adapterIp)), next(subnet.network() + 1),
          last(subnet.broadcast() - 1), taken(std::move(taken)), done(std::move(done)) {}

    void round() {
        QStringList candidates;
        const qsizetype wanted = probe ? kCandidatesPerRound : 1;
        while (next <= last && next > 0 && candidates.size() < wanted && asked < kMostCandidates) {
            const QString text = net::intToIpText(next++);
            if (!taken.contains(text)) {
                candidates.append(text);
                ++asked;
            }
        }
        if (candidates.isEmpty() || !probe) {
            done(candidates.isEmpty() ? std::nullopt : std::optional(candidates.first()));
            return;
        }
        probe->probe(adapterIp, candidates,
                     [self = shared_from_this(), candidates](const auto& answered) {
                         QSet<QString> held;
                         for (const net::NeighbourAnswer& answer : answered)
                             held.insert(answer.ip);
                         for (const QString& candidate : candidates) {
                             if (!held.contains(candidate)) {
                                 self->done(candidate);
                                 return;
                             }
                         }
                         self->round();
                     });
    }

private:
    net::AddressProbe* probe;
    QString adapterIp;
    quint32 next;
    quint32 last;
    QSet<QString> taken;
    std::function<void(const std::optional<QString>&)> done;
    int asked = 0;
};

} // namespace

QString gatewayAfterMove(const AddressField& gateway, const AdapterSubnet& subnet) {
    if (gateway.state == AddressState::Value && subnet.holds(gateway.text))
        return gateway.text;
    return QStringLiteral("0.0.0.0");
}

QSet<QString> takenAddresses(const net::tNetworkInterfaceList& interfaces,
                             const DeviceSet& devices) {
    QSet<QString> taken = listedIps(devices);
    for (const net::tNetworkInterface& record : interfaces)
        taken.insert(record.AddrIP);
    return taken;
}

void findFreeAddress(net::AddressProbe* probe, const QString& adapterIp,
                     const AdapterSubnet& subnet, const QSet<QString>& taken,
                     std::function<void(const std::optional<QString>&)> done) {
    std::make_shared<Search>(probe, adapterIp, subnet, taken, std::move(done))->round();
}

} // namespace engine
