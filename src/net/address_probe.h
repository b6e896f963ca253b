#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace net {

// A host that answered on the adapter's segment at an address.
struct NeighbourAnswer {
    QString ip;
    QString mac; // "5E-00-53-00-00-01"
};

// Asks the segment behind one adapter whether any host holds some addresses.
class AddressProbe {
public:
    using Done = std::function<void(const QList<NeighbourAnswer>& answered)>;

    virtual ~AddressProbe() = default;
    // Asks about all addresses at once; done is called once: within this call when none of
    // them can be asked about, else later, from the event loop.
    virtual void probe(const QString& adapterIp, const QStringList& addresses, Done done) = 0;
};

} // namespace net
