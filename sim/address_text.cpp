#include "address_text.h"

#include <arpa/inet.h>

namespace sim {

std::optional<Ipv4> parseIpv4(std::string_view text) {
    in_addr address{};
    const std::string copy(text);
    if (inet_pton(AF_INET, copy.c_str(), &address) != 1)
        return std::nullopt;
    return ntohl(address.s_addr);
}

std::string ipv4Text(Ipv4 address) {
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::string endpointText(const Endpoint& endpoint) {
    return ipv4Text(endpoint.address) + ':' + std::to_string(endpoint.port);
}

} // namespace sim
