#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

// An IPv4 address with its first octet in the most significant byte.
using Ipv4 = std::uint32_t;

constexpr Ipv4 kLimitedBroadcast = 0xFFFFFFFFu;

struct Endpoint {
    Ipv4 address = 0;
    std::uint16_t port = 0;
};

// Strict dotted quad: four decimal octets, no leading zeros, nothing else.
std::optional<Ipv4> parseIpv4(std::string_view text);
std::string ipv4Text(Ipv4 address);
// "10.77.0.20:55808"
std::string endpointText(const Endpoint& endpoint);

inline bool inSameSubnet(Ipv4 a, Ipv4 b, Ipv4 netmask) {
    return (a & netmask) == (b & netmask);
}

} // namespace sim
