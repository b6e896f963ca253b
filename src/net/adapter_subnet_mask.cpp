// Kept apart from the interface enumeration so that code which only enumerates does not
// pull in the state-window log.
#include "net/local_interfaces.h"

#include "ui/model/log_buffer.h"

namespace net {

QString findAdapterSubnetMask(const tNetworkInterfaceList& list, const QString& adapterIp,
                              ui::LogBuffer& log) {
    log.logStringOnly(QStringLiteral("Anzahl network interfaces ") + QString::number(list.size()));
    for (const tNetworkInterface& record : list) {
        if (record.AddrIP == adapterIp) {
            log.logStringOnly(QStringLiteral("Subnetmask found ") + record.SubnetMask);
            return record.SubnetMask;
        }
    }
    return QString();
}

} // namespace net
