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

} // namespace

ValueChanges valueChanges(const engine::DeviceRecord& device, const WantedValues& wanted) {
    ValueChanges changes;
    if (wanted.ip && *wanted.ip != device.ip)
        changes[pvIp] = ValueChange{device.ip, *wanted.ip};
    changes[pvNetmask] = addressChange(device.netmask, wanted.netmask);
    changes[pvGateway] = addressChange(device.gateway, wanted.gateway);
    // A device without switchable DHCP has none to switch off.
    if (wanted.dhcp && dhcpSwitchable(device)) {
        const bool active = device.dhcp == engine::DhcpMode::Active;
        if (*wanted.dhcp != active)
            changes[pvDhcp] = ValueChange{dhcpText(active), dhcpText(*wanted.dhcp)};
    }
    return changes;
}

bool anyChange(const ValueChanges& changes) {
    for (const auto& change : changes) {
        if (change)
            return true;
    }
    return false;
}

QString refusalBeforeSending(const engine::DeviceRecord& device, const WantedValues& wanted) {
    if (wanted.dhcp == true && !dhcpSwitchable(device))
        return QStringLiteral("the device reports no DHCP that could be switched on");
    return QString();
}

engine::ChangeRequest changeRequest(const engine::DeviceRecord& device,
                                    const WantedValues& wanted) {
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
    return request;
}

} // namespace cli
