#include "cli/wanted_values.h"

namespace cli {

namespace {

bool dhcpSwitchable(const engine::DeviceRecord& device) {
    return device.dhcp == engine::DhcpMode::Active || device.dhcp == engine::DhcpMode::NotActive;
}

QString dhcpText(bool active) {
    return active ? QStringLiteral("active") : QStringLiteral("inactive");
}

QString addressText(const engine::AddressField& field) {
    return field.state == engine::AddressState::Value ? field.text : QStringLiteral("n/a");
}

std::optional<ValueChange> addressChange(const engine::AddressField& field,
                                         const std::optional<QString>& wanted) {
    if (!wanted || (field.state == engine::AddressState::Value && field.text == *wanted))
        return std::nullopt;
    return ValueChange{addressText(field), *wanted};
}

engine::AddressInput addressInput(const engine::AddressField& field,
                                  const std::optional<QString>& wanted) {
    if (wanted)
        return engine::AddressInput::typed(*wanted);
    if (field.state == engine::AddressState::Value)
        return engine::AddressInput::typed(field.text);
    return engine::AddressInput::showing(field.state, field.text);
}

// An older gateway's scan answer says nothing of DHCP: whether it has one, its answer to
// the request tells.
bool dhcpUnreported(const engine::DeviceRecord& device) {
    return device.dhcp == engine::DhcpMode::NotReported;
}

} // namespace

QList<engine::Field> writtenAgain(const engine::DeviceRecord& device, const WantedValues& wanted,
                                  const engine::UnfinishedValues& unfinished) {
    const ValueChanges differing = valueChanges(device, wanted);
    const std::array<bool, planValueCount> given{wanted.ip.has_value(), wanted.netmask.has_value(),
                                                 wanted.gateway.has_value(),
                                                 wanted.dhcp.has_value() && dhcpSwitchable(device)};
    QList<engine::Field> again;
    for (int v = 0; v < planValueCount; ++v) {
        const auto field = engine::Field(v);
        if (given[v] && !differing[v] &&
            (device.doubtful || engine::awaitsCompletion(unfinished, device.mac, field)))
            again.append(field);
    }
    return again;
}

ValueChanges valueChanges(const engine::DeviceRecord& device, const WantedValues& wanted,
                          const QList<engine::Field>& again) {
    ValueChanges changes;
    const bool ipAgain = again.contains(engine::Field::Ip);
    if (wanted.ip && (*wanted.ip != device.ip || ipAgain))
        changes[pvIp] = ValueChange{device.ip, *wanted.ip};
    changes[pvNetmask] = addressChange(device.netmask, wanted.netmask);
    changes[pvGateway] = addressChange(device.gateway, wanted.gateway);
    if (wanted.netmask && again.contains(engine::Field::Netmask))
        changes[pvNetmask] = ValueChange{addressText(device.netmask), *wanted.netmask};
    if (wanted.gateway && again.contains(engine::Field::Gateway))
        changes[pvGateway] = ValueChange{addressText(device.gateway), *wanted.gateway};
    // A device without switchable DHCP has none to switch off.
    if (wanted.dhcp && dhcpSwitchable(device)) {
        const bool active = device.dhcp == engine::DhcpMode::Active;
        if (*wanted.dhcp != active || again.contains(engine::Field::Dhcp))
            changes[pvDhcp] = ValueChange{dhcpText(active), dhcpText(*wanted.dhcp)};
    } else if (wanted.dhcp && dhcpUnreported(device)) {
        changes[pvDhcp] = ValueChange{QStringLiteral("n/a"), dhcpText(*wanted.dhcp)};
    }
    return changes;
}

QString doubtfulText(const engine::DeviceRecord& device) {
    return QStringLiteral("doubtful: the scan answer came from %1, not from %2, the address it "
                          "claims")
        .arg(device.answeredFrom, device.ip);
}

QString verificationProblem(const engine::DeviceRecord* device, const QString& expectedIp,
                            const WantedValues& wanted) {
    if (!device)
        return QStringLiteral("the device did not answer the closing scan");
    QStringList showed;
    if (device->ip != expectedIp)
        showed.append(QStringLiteral("ip ") + device->ip);
    const auto address = [&](const char* name, const engine::AddressField& field,
                             const std::optional<QString>& value) {
        if (value && field.state == engine::AddressState::Value && field.text != *value)
            showed.append(QString::fromLatin1(name) + u' ' + field.text);
    };
    address("netmask", device->netmask, wanted.netmask);
    address("gateway", device->gateway, wanted.gateway);
    if (wanted.dhcp && dhcpSwitchable(*device) &&
        (device->dhcp == engine::DhcpMode::Active) != *wanted.dhcp)
        showed.append(QStringLiteral("dhcp ") + dhcpText(device->dhcp == engine::DhcpMode::Active));
    if (device->doubtful)
        showed.append(doubtfulText(*device));
    if (showed.isEmpty())
        return QString();
    return QStringLiteral("the closing scan showed ") + showed.join(QStringLiteral(", "));
}

bool anyChange(const ValueChanges& changes) {
    for (const auto& change : changes) {
        if (change)
            return true;
    }
    return false;
}

QString refusalBeforeSending(const engine::DeviceRecord& device, const WantedValues& wanted) {
    if (wanted.dhcp == true && !dhcpSwitchable(device) && !dhcpUnreported(device))
        return QStringLiteral("the device reports no DHCP that could be switched on");
    return QString();
}

engine::ChangeRequest changeRequest(const engine::DeviceRecord& device, const WantedValues& wanted,
                                    const QList<engine::Field>& again) {
    engine::ChangeRequest request;
    request.device = device.id;
    request.mac = device.mac;
    request.ip = wanted.ip.value_or(device.ip);
    request.netmask = addressInput(device.netmask, wanted.netmask);
    request.gateway = addressInput(device.gateway, wanted.gateway);
    request.dhcpSelectable = dhcpSwitchable(device);
    request.dhcpTicked = request.dhcpSelectable && wanted.dhcp
                             ? *wanted.dhcp
                             : device.dhcp == engine::DhcpMode::Active;
    request.rewrite = again;
    if (wanted.dhcp && dhcpUnreported(device)) {
        request.dhcpTicked = *wanted.dhcp;
        request.rewrite.append(engine::Field::Dhcp);
    }
    return request;
}

} // namespace cli
