#include "app/address_rule_text.h"

#include "app/form1.h"
#include "engine/outcomes.h"

namespace app {

namespace {

QString reasonText(const TForm1& form, engine::AddressFault fault) {
    switch (fault) {
    case engine::AddressFault::ThisNetwork:
        return form.translate(QStringLiteral("Address_rule_this_network"));
    case engine::AddressFault::Loopback:
        return form.translate(QStringLiteral("Address_rule_loopback"));
    case engine::AddressFault::Multicast:
        return form.translate(QStringLiteral("Address_rule_multicast"));
    case engine::AddressFault::Reserved:
        return form.translate(QStringLiteral("Address_rule_reserved"));
    case engine::AddressFault::LocalAddress:
        return form.translate(QStringLiteral("Address_rule_local_address"));
    case engine::AddressFault::NetworkAddress:
        return form.translate(QStringLiteral("Address_rule_network_address"));
    case engine::AddressFault::SubnetBroadcast:
        return form.translate(QStringLiteral("Address_rule_subnet_broadcast"));
    case engine::AddressFault::NoNetmask:
        return form.translate(QStringLiteral("Address_rule_no_netmask"));
    case engine::AddressFault::GatewayOutsideSubnet:
        return form.translate(QStringLiteral("Address_rule_gateway_outside_subnet"));
    case engine::AddressFault::GatewayIsDeviceIp:
        return form.translate(QStringLiteral("Address_rule_gateway_is_device_ip"));
    }
    return QString();
}

} // namespace

QString addressRuleText(const TForm1& form, const engine::Refusal& refusal) {
    const QString field = refusal.ip        ? form.translate(QStringLiteral("errorText_ip"))
                          : refusal.netmask ? form.translate(QStringLiteral("errorText_netmask"))
                                            : form.translate(QStringLiteral("errorText_gateway"));
    QString text = form.translate(QStringLiteral("errorText_wrong_value_for")) + u' ' + field +
                   u' ' + refusal.value + QStringLiteral(": ") + reasonText(form, refusal.fault);
    if (!refusal.subnet.isEmpty())
        text += u' ' + refusal.subnet;
    return text + form.translate(QStringLiteral("errorText_will_not_be_set"));
}

} // namespace app
