#pragma once

#include "address_text.h"
#include "request.h"

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <string>

namespace sim {

// How much of the scan answer a device sends: everything (N = 27), or what older devices
// send, without DHCP byte, netmask and gateway (N = 18 with the high part of the device
// type, N = 17 without it).
enum class ScanLayout { Full, Short18, Short17 };

// Where answers go: to the requester, by limited broadcast, or (auto) to the requester when
// it lies in the device's own subnet and by broadcast otherwise, as a real device must.
enum class ReplyRoute { Auto, Sender, Broadcast };

// Which address answers a temporary IP change: the new one (the change takes effect before
// the answer) or the old one (it takes effect right after the answer has left).
enum class IpChangeSource { NewAddress, OldAddress };

struct Addressing {
    Ipv4 ip = 0;
    Ipv4 netmask = 0;
    Ipv4 gateway = 0;
    bool operator==(const Addressing&) const = default;
};

// The requests a device ignores, one bit per request code.
using RequestSet = std::bitset<kHighestRequestCode + 1>;

constexpr std::uint8_t kDhcpInactive = 0x10;
constexpr std::uint8_t kDhcpActive = 0x11;

// Everything the device file says about one device.
struct DeviceProfile {
    std::string name;
    MacAddress mac{};
    Addressing current;   // in use at start
    Addressing permanent; // taken into use by a restart
    // 0x10 or 0x11: DHCP (and restart) supported, off or on; any other byte: neither.
    std::uint8_t dhcpByte = kDhcpInactive;
    std::uint16_t typeCode = 0x0101; // low byte at offset 12, high byte at offset 18
    std::array<char, 5> revision{'V', '1', '.', '0', '0'};
    ScanLayout layout = ScanLayout::Full;
    ReplyRoute route = ReplyRoute::Auto;
    IpChangeSource ipChangeSource = IpChangeSource::NewAddress;
    // Scripted faults.
    RequestSet silent;
    std::uint8_t ipStatus = 0;    // non-zero: IP changes refused with this status
    std::uint8_t dhcpStatus = 0;  // non-zero: DHCP changes refused with this status
    std::uint8_t blinkStatus = 0; // answered to every blink request
    std::chrono::milliseconds delay{0};
};

inline bool supportsDhcp(std::uint8_t dhcpByte) {
    return dhcpByte == kDhcpInactive || dhcpByte == kDhcpActive;
}

} // namespace sim
