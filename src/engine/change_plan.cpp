#include "engine/change_plan.h"

#include "engine/address_policy.h"
#include "engine/device_set.h"
#include "net/ipv4.h"

namespace engine {

namespace {

// The editor shows exactly what the list shows.
bool sameAsListed(const AddressInput& input, const AddressField& listed) {
    if (input.shows)
        return listed.state == *input.shows;
    if (listed.state == AddressState::Empty)
        return input.text.isEmpty();
    return listed.state == AddressState::Value && listed.text == input.text;
}

// A value to write: it differs from the list and is not the "not available" text.
bool toWrite(const AddressInput& input, const AddressField& listed) {
    return !input.isNotAvailable() && !sameAsListed(input, listed);
}

bool isAddress(const AddressInput& input) {
    return !input.shows && net::isValidIpText(input.text);
}

// The address the device will have: the one typed, else the one it shows.
std::optional<QString> addressAfter(const AddressInput& input, const AddressField& listed) {
    if (isAddress(input))
        return net::intToIpText(net::ipTextToInt(input.text));
    if (listed.state == AddressState::Value && net::isValidIpText(listed.text))
        return listed.text;
    return std::nullopt;
}

} // namespace

QString normalizeAddr(const QString& text) {
    return net::intToIpText(net::ipTextToInt(text));
}

ChangePlan planChange(const DeviceSet& devices, const ChangeRequest& request,
                      const AddressPolicy& policy) {
    ChangePlan plan;
    if (net::isLinkLocalIp(request.ip) && !request.dhcpTicked) {
        plan.refusal.kind = Refusal::Kind::LinkLocal;
        return plan;
    }
    const DeviceRecord& device = devices.at(*request.device);
    const bool ticked = request.dhcpTicked;
    const auto again = [&](Field field) { return request.rewrite.contains(field); };
    plan.dhcpChanged = (request.dhcpSelectable && ((device.dhcp == DhcpMode::NotActive && ticked) ||
                                                   (device.dhcp == DhcpMode::Active && !ticked))) ||
                       again(Field::Dhcp);
    const bool dhcpOff = plan.dhcpChanged && !ticked;
    const bool ipDiffers = request.ip != device.ip || again(Field::Ip);
    const bool netmaskDiffers = toWrite(request.netmask, device.netmask) ||
                                (again(Field::Netmask) && isAddress(request.netmask));
    const bool gatewayDiffers = toWrite(request.gateway, device.gateway) ||
                                (again(Field::Gateway) && isAddress(request.gateway));

    // The check looks at all three fields, unless DHCP stays (or becomes) on: then only at
    // the values to be written.
    const bool checkAll = !ticked;
    if (!plan.dhcpChanged && !ticked && !ipDiffers && !netmaskDiffers && !gatewayDiffers &&
        sameAsListed(request.netmask, device.netmask) &&
        sameAsListed(request.gateway, device.gateway) && request.dhcpSelectable) {
        plan.nothingChanged = true;
        return plan;
    }
    Refusal& refusal = plan.refusal;
    refusal.ip = (checkAll || ipDiffers) && !net::isValidIpText(request.ip);
    refusal.netmask = (checkAll || netmaskDiffers) && !request.netmask.isNotAvailable() &&
                      !isAddress(request.netmask);
    refusal.gateway = (checkAll || gatewayDiffers) && !request.gateway.isNotAvailable() &&
                      !isAddress(request.gateway);
    if (refusal.ip || refusal.netmask || refusal.gateway) {
        refusal.kind = Refusal::Kind::InvalidFields;
        return plan;
    }
    const NewAddresses after{request.ip,
                             device.ip,
                             addressAfter(request.netmask, device.netmask),
                             addressAfter(request.gateway, device.gateway),
                             ipDiffers || dhcpOff,
                             (netmaskDiffers || dhcpOff) && isAddress(request.netmask),
                             (gatewayDiffers || dhcpOff) && isAddress(request.gateway)};
    if (const std::optional<Refusal> broken = policy.check(after)) {
        refusal = *broken;
        return plan;
    }
    if (devices.ipUsedByOtherMac(request.ip, request.mac)) {
        refusal = Refusal{Refusal::Kind::IpInUse, true, false, false};
        return plan;
    }

    if (plan.dhcpChanged)
        plan.requests.push_back({Field::Dhcp, false, QString(), ticked});
    const auto address = [&](Field field, const AddressInput& input, bool differs) {
        if (!differs && !dhcpOff)
            return;
        const bool sendable = isAddress(input);
        if (!sendable)
            plan.notSent.append(field);
        plan.requests.push_back({field, false, input.text, false, sendable});
        plan.requests.push_back({field, true, input.text, false, sendable});
    };
    address(Field::Ip, AddressInput::typed(request.ip), ipDiffers);
    address(Field::Netmask, request.netmask, netmaskDiffers);
    address(Field::Gateway, request.gateway, gatewayDiffers);
    return plan;
}

} // namespace engine
