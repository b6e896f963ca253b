#pragma once

namespace testsupport {

// For the tier-2 devices' segment (the PC's adapter 10.77.0.1/24): one gateway inside the
// subnet and one at its factory address 192.168.0.20, outside it.
inline constexpr const char* kInsideAndFactoryGateways =
    "[inside]\nmac = 02-60-00-00-00-03\nip = 10.77.0.3\n"
    "netmask = 255.255.255.0\ngateway = 10.77.0.1\ndhcp = inactive\n"
    "[factory]\nmac = 02-60-00-00-00-20\nip = 192.168.0.20\n"
    "netmask = 255.255.255.0\ngateway = 192.168.0.1\n"
    "dhcp = inactive\n";

} // namespace testsupport
