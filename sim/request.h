#pragma once

#include "address_text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;
using MacAddress = std::array<std::uint8_t, 6>;

// "01 01 FD"
std::string hexText(std::span<const std::uint8_t> bytes);

// "02-11-22-33-44-55"
std::string macText(const MacAddress& mac);
// Six hexadecimal pairs separated by "-" or ":".
std::optional<MacAddress> parseMac(std::string_view text);

// One request as the tool sends it, after its frame has been checked.
struct Request {
    std::uint8_t code = 0;
    MacAddress mac{};      // requests that name their device
    Ipv4 value = 0;        // the address of the set-address requests
    std::uint8_t flag = 0; // the DHCP request's on/off byte
    bool namesDevice() const;
};

struct ParsedDatagram {
    std::optional<Request> request;
    std::string rejection; // why the datagram is not a request, when it is not
};

// A device acts only on a well-formed request: the length byte must match the datagram's
// size and the request code, and the checksum must be right.
ParsedDatagram parseRequest(std::span<const std::uint8_t> datagram);

// Lower-case names used in the device file ("read-netmask") and readable names used in the
// reports ("read netmask"); nothing for an unknown code.
std::optional<std::string_view> requestKey(std::uint8_t code);
std::string requestTitle(std::uint8_t code);
std::optional<std::uint8_t> requestCodeOfKey(std::string_view key);

constexpr std::uint8_t kHighestRequestCode = 0x0C;

} // namespace sim
