#include "request.h"

#include "protocol/frame.h"

#include <cstdio>

namespace sim {

namespace {

struct RequestKind {
    std::uint8_t code;
    std::string_view key;
    std::string_view title;
    std::uint8_t length; // N
};

constexpr std::array<RequestKind, 12> kRequests{{
    {protocol::dcScan, "scan", "scan", 0x01},
    {protocol::dcSetIpPermanent, "ip-permanent", "set IP address (permanent)", 0x0B},
    {protocol::dcSetIpTemporary, "ip-temporary", "set IP address (temporary)", 0x0B},
    {protocol::dcBlink, "blink", "blink", 0x07},
    {protocol::dcReadNetmask, "read-netmask", "read netmask", 0x07},
    {protocol::dcSetNetmaskPermanent, "netmask-permanent", "set netmask (permanent)", 0x0B},
    {protocol::dcReadGateway, "read-gateway", "read gateway", 0x07},
    {protocol::dcSetGatewayPermanent, "gateway-permanent", "set gateway (permanent)", 0x0B},
    {protocol::dcSetNetmaskTemporary, "netmask-temporary", "set netmask (temporary)", 0x0B},
    {protocol::dcSetGatewayTemporary, "gateway-temporary", "set gateway (temporary)", 0x0B},
    {protocol::dcRestart, "restart", "restart", 0x07},
    {protocol::dcSetDhcp, "dhcp", "set DHCP", 0x02},
}};

const RequestKind* kindOf(std::uint8_t code) {
    for (const RequestKind& kind : kRequests)
        if (kind.code == code)
            return &kind;
    return nullptr;
}

std::string hexByte(std::uint8_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Ipv4 addressAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return Ipv4(bytes[offset]) << 24 | Ipv4(bytes[offset + 1]) << 16 |
           Ipv4(bytes[offset + 2]) << 8 | Ipv4(bytes[offset + 3]);
}

} // namespace

std::string hexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string macText(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::optional<MacAddress> parseMac(std::string_view text) {
    if (text.size() != 17)
        return std::nullopt;
    const char separator = text[2];
    if (separator != '-' && separator != ':')
        return std::nullopt;
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const int high = hexValue(text[i * 3]);
        const int low = hexValue(text[i * 3 + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[i * 3 + 2] != separator))
            return std::nullopt;
        mac[i] = std::uint8_t(high * 16 + low);
    }
    return mac;
}

bool Request::namesDevice() const {
    return code != protocol::dcScan && code != protocol::dcSetDhcp;
}

ParsedDatagram parseRequest(std::span<const std::uint8_t> datagram) {
    ParsedDatagram parsed;
    if (datagram.size() < 3) {
        parsed.rejection = "too short for a frame (" + std::to_string(datagram.size()) + " bytes)";
        return parsed;
    }
    const std::uint8_t length = datagram[0];
    const std::uint8_t code = datagram[1];
    if (code & 0x80) {
        parsed.rejection = "answer code " + hexByte(code) + ", not a request";
        return parsed;
    }
    const RequestKind* kind = kindOf(code);
    if (!kind) {
        parsed.rejection = "unknown request code " + hexByte(code);
        return parsed;
    }
    if (std::size_t(length) + 2 != datagram.size()) {
        parsed.rejection = "length byte " + hexByte(length) + " does not fit a datagram of " +
                           std::to_string(datagram.size()) + " bytes";
        return parsed;
    }
    if (length != kind->length) {
        parsed.rejection = "length byte " + hexByte(length) + " is wrong for " +
                           std::string(kind->title) + " (expected " + hexByte(kind->length) + ")";
        return parsed;
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < datagram.size(); ++i)
        sum = std::uint8_t(sum + datagram[i]);
    const std::uint8_t expected = std::uint8_t(~sum);
    if (datagram.back() != expected) {
        parsed.rejection =
            "checksum " + hexByte(datagram.back()) + ", expected " + hexByte(expected);
        return parsed;
    }
    Request request;
    request.code = code;
    if (request.namesDevice())
        std::copy_n(datagram.begin() + 2, request.mac.size(), request.mac.begin());
    if (length == 0x0B)
        request.value = addressAt(datagram, 8);
    if (code == protocol::dcSetDhcp)
        request.flag = datagram[2];
    parsed.request = request;
    return parsed;
}

std::optional<std::string_view> requestKey(std::uint8_t code) {
    if (const RequestKind* kind = kindOf(code))
        return kind->key;
    return std::nullopt;
}

std::string requestTitle(std::uint8_t code) {
    if (const RequestKind* kind = kindOf(code))
        return std::string(kind->title);
    return "request " + hexByte(code);
}

std::optional<std::uint8_t> requestCodeOfKey(std::string_view key) {
    for (const RequestKind& kind : kRequests)
        if (kind.key == key)
            return kind.code;
    return std::nullopt;
}

} // namespace sim
