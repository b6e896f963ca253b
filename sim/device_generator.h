#pragma once

#include "device_profile.h"

#include <string>
#include <vector>

namespace sim {

struct GeneratorSettings {
    Ipv4 firstIp = 0x7F000101; // 127.0.1.1: beside the tool's 127.0.0.1 on loopback
    Ipv4 netmask = 0xFF000000;
    Ipv4 gateway = 0;
};

// Devices "gen-1" ... with MACs 02-54-56-xx-xx-xx and consecutive addresses (the .0 and
// .255 of every /24 left out), cycling through the scan layouts, the DHCP states and the
// device types 0x0101 to 0x0110. Nothing when the addresses would run past 255.255.255.254.
std::optional<std::vector<DeviceProfile>>
generateDevices(std::size_t count, const GeneratorSettings& settings, std::string* error);

constexpr std::size_t kMaxGeneratedDevices = 0xFFFFFF;

} // namespace sim
