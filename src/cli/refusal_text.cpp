#include "cli/refusal_text.h"

#include "engine/address_policy.h"
#include "engine/device_set.h"

#include <QStringList>

namespace cli {

QString notStartedText(const engine::ChangeStart& start, const engine::DeviceSet& devices,
                       const QString& mac) {
    if (start.outcome != engine::ChangeStart::Outcome::Refused)
        return QStringLiteral("no valid value to send");
    switch (start.refusal.kind) {
    case engine::Refusal::Kind::LinkLocal:
        return QStringLiteral("%1 is a link-local address, refused while DHCP is off")
            .arg(start.ip);
    case engine::Refusal::Kind::IpInUse: {
        QString holder;
        for (const engine::DeviceId id : devices.withIp(start.ip)) {
            if (devices.at(id).mac != mac)
                holder = devices.at(id).mac;
        }
        return QStringLiteral("IP address %1 is used by %2").arg(start.ip, holder);
    }
    case engine::Refusal::Kind::AddressRule:
        return engine::addressRefusalText(start.refusal);
    case engine::Refusal::Kind::InvalidFields:
    case engine::Refusal::Kind::None:
        break;
    }
    QStringList fields;
    if (start.refusal.ip)
        fields.append(QStringLiteral("IP address"));
    if (start.refusal.netmask)
        fields.append(QStringLiteral("netmask"));
    if (start.refusal.gateway)
        fields.append(QStringLiteral("gateway"));
    return QStringLiteral("no valid %1 to send").arg(fields.join(QStringLiteral(", ")));
}

} // namespace cli
