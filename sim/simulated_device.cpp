#include "simulated_device.h"

#include "protocol/frame.h"

#include <cstdio>

namespace sim {

namespace {

Bytes frameOf(std::uint8_t code, const Bytes& payload) {
    const QByteArray frame = protocol::buildFrame(
        code, QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size())));
    return Bytes(frame.begin(), frame.end());
}

void appendAddress(Bytes& bytes, Ipv4 address) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(std::uint8_t(address >> shift));
}

// Addresses a device cannot take as its own.
bool isUsableHostAddress(Ipv4 address) {
    const std::uint8_t first = std::uint8_t(address >> 24);
    return address != 0 && address != kLimitedBroadcast && first < 224;
}

std::string statusNote(std::uint8_t status) {
    switch (status) {
    case 1:
        return "refuses (status 1, not allowed)";
    case 2:
        return "refuses (status 2, not possible)";
    default:
        return "answers status " + std::to_string(status);
    }
}

std::uint8_t answerOf(std::uint8_t code) {
    return std::uint8_t(code | 0x80);
}

} // namespace

SimulatedDevice::SimulatedDevice(DeviceProfile profile)
    : profile_(std::move(profile)), current_(profile_.current), permanent_(profile_.permanent),
      dhcpActive_(profile_.dhcpByte == kDhcpActive) {}

std::uint8_t SimulatedDevice::dhcpByte() const {
    if (!supportsDhcp(profile_.dhcpByte))
        return profile_.dhcpByte;
    return dhcpActive_ ? kDhcpActive : kDhcpInactive;
}

bool SimulatedDevice::hears(Ipv4 destination) const {
    return destination == kLimitedBroadcast || destination == current_.ip ||
           destination == (current_.ip | ~current_.netmask);
}

Endpoint SimulatedDevice::answerDestination(const Endpoint& requester) const {
    switch (profile_.route) {
    case ReplyRoute::Sender:
        return requester;
    case ReplyRoute::Broadcast:
        return {kLimitedBroadcast, requester.port};
    case ReplyRoute::Auto:
        break;
    }
    if (inSameSubnet(current_.ip, requester.address, current_.netmask))
        return requester;
    return {kLimitedBroadcast, requester.port};
}

Bytes SimulatedDevice::scanAnswer() const {
    Bytes payload(profile_.mac.begin(), profile_.mac.end());
    appendAddress(payload, current_.ip);
    payload.push_back(std::uint8_t(profile_.typeCode & 0xFF));
    payload.insert(payload.end(), profile_.revision.begin(), profile_.revision.end());
    if (profile_.layout != ScanLayout::Short17)
        payload.push_back(std::uint8_t(profile_.typeCode >> 8));
    if (profile_.layout == ScanLayout::Full) {
        payload.push_back(dhcpByte());
        appendAddress(payload, current_.netmask);
        appendAddress(payload, current_.gateway);
    }
    return frameOf(answerOf(protocol::dcScan), payload);
}

Reaction SimulatedDevice::answered(Bytes frame, std::string note) const {
    Reaction reaction;
    reaction.answer = std::move(frame);
    reaction.source = current_.ip;
    reaction.note = std::move(note);
    return reaction;
}

Reaction SimulatedDevice::status(std::uint8_t code, std::uint8_t status, std::string note) const {
    return answered(frameOf(answerOf(code), {status}), std::move(note));
}

Reaction SimulatedDevice::react(const Request& request) {
    if (profile_.silent.test(request.code))
        return {std::nullopt, current_.ip, "stays silent (scripted)"};
    Bytes address;
    switch (request.code) {
    case protocol::dcScan: {
        const char* layout = profile_.layout == ScanLayout::Full      ? "full"
                             : profile_.layout == ScanLayout::Short18 ? "short, N = 18"
                                                                      : "short, N = 17";
        return answered(scanAnswer(), std::string("answers the scan (") + layout + ")");
    }
    case protocol::dcReadNetmask:
        appendAddress(address, current_.netmask);
        return answered(frameOf(answerOf(request.code), address),
                        "answers netmask " + ipv4Text(current_.netmask));
    case protocol::dcReadGateway:
        appendAddress(address, current_.gateway);
        return answered(frameOf(answerOf(request.code), address),
                        "answers gateway " + ipv4Text(current_.gateway));
    case protocol::dcSetIpTemporary:
    case protocol::dcSetIpPermanent:
        return setIp(request);
    case protocol::dcSetNetmaskTemporary:
        current_.netmask = request.value;
        return status(request.code, 0, "uses netmask " + ipv4Text(request.value));
    case protocol::dcSetNetmaskPermanent:
        permanent_.netmask = request.value;
        return status(request.code, 0, "stores netmask " + ipv4Text(request.value));
    case protocol::dcSetGatewayTemporary:
        current_.gateway = request.value;
        return status(request.code, 0, "uses gateway " + ipv4Text(request.value));
    case protocol::dcSetGatewayPermanent:
        permanent_.gateway = request.value;
        return status(request.code, 0, "stores gateway " + ipv4Text(request.value));
    case protocol::dcSetDhcp:
        return setDhcp(request);
    case protocol::dcBlink:
        return status(request.code, profile_.blinkStatus,
                      profile_.blinkStatus == 0 ? "blinks" : statusNote(profile_.blinkStatus));
    case protocol::dcRestart:
        return restart();
    default:
        return {std::nullopt, current_.ip, "ignores " + requestTitle(request.code)};
    }
}

Reaction SimulatedDevice::setIp(const Request& request) {
    std::uint8_t refusal = profile_.ipStatus;
    if (refusal == 0 && !isUsableHostAddress(request.value))
        refusal = 2;
    if (refusal != 0)
        return status(request.code, refusal,
                      statusNote(refusal) + " to take " + ipv4Text(request.value));
    if (request.code == protocol::dcSetIpPermanent) {
        permanent_.ip = request.value;
        return status(request.code, 0, "stores IP address " + ipv4Text(request.value));
    }
    const Ipv4 old = current_.ip;
    current_.ip = request.value;
    Reaction reaction =
        status(request.code, 0,
               "changes its IP address from " + ipv4Text(old) + " to " + ipv4Text(request.value));
    if (profile_.ipChangeSource == IpChangeSource::OldAddress)
        reaction.source = old;
    return reaction;
}

Reaction SimulatedDevice::setDhcp(const Request& request) {
    if (!supportsDhcp(profile_.dhcpByte) || request.flag > 1)
        return status(request.code, 2, statusNote(2) + " to switch DHCP");
    if (profile_.dhcpStatus != 0)
        return status(request.code, profile_.dhcpStatus,
                      statusNote(profile_.dhcpStatus) + " to switch DHCP");
    dhcpActive_ = request.flag == 1;
    return status(request.code, 0, dhcpActive_ ? "switches DHCP on" : "switches DHCP off");
}

Reaction SimulatedDevice::restart() {
    if (!supportsRestart())
        return {std::nullopt, current_.ip, "cannot restart (not supported)"};
    current_ = permanent_;
    return {std::nullopt, current_.ip,
            "restarts with " + ipv4Text(current_.ip) + ", " + ipv4Text(current_.netmask) + ", " +
                ipv4Text(current_.gateway)};
}

} // namespace sim
