#pragma once

#include "device_profile.h"

#include <optional>
#include <string>

namespace sim {

// What one device does with one request it hears.
struct Reaction {
    std::optional<Bytes> answer;
    Ipv4 source = 0;  // the address the answer leaves from
    std::string note; // for the operator: "answers 255.255.255.0", "refuses (status 1)"
};

// One gateway: its profile and its changing state. A temporary setting is in use at once;
// a permanent one is stored and taken into use by a restart, which also drops the
// temporary values. The DHCP switch is stored at once and shown in the scan answer.
class SimulatedDevice {
public:
    explicit SimulatedDevice(DeviceProfile profile);

    const DeviceProfile& profile() const { return profile_; }
    const Addressing& current() const { return current_; }
    const Addressing& permanent() const { return permanent_; }
    bool dhcpActive() const { return dhcpActive_; }
    bool supportsRestart() const { return supportsDhcp(profile_.dhcpByte); }
    // The DHCP byte of the scan answer.
    std::uint8_t dhcpByte() const;

    // Limited broadcasts, its own address and its subnet's directed broadcast.
    bool hears(Ipv4 destination) const;
    Reaction react(const Request& request);
    Endpoint answerDestination(const Endpoint& requester) const;

    Bytes scanAnswer() const;

private:
    Reaction setIp(const Request& request);
    Reaction setDhcp(const Request& request);
    Reaction restart();
    Reaction answered(Bytes frame, std::string note) const;
    Reaction status(std::uint8_t code, std::uint8_t status, std::string note) const;

    DeviceProfile profile_;
    Addressing current_;
    Addressing permanent_;
    bool dhcpActive_;
};

} // namespace sim
