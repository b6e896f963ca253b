#include "device_listing.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

std::string dhcpText(std::uint8_t dhcpByte) {
    if (dhcpByte == kDhcpInactive)
        return "inactive";
    if (dhcpByte == kDhcpActive)
        return "active";
    char text[24];
    std::snprintf(text, sizeof text, "unsupported (0x%02X)", dhcpByte);
    return text;
}

const char* layoutText(ScanLayout layout) {
    switch (layout) {
    case ScanLayout::Full:
        return "full";
    case ScanLayout::Short18:
        return "short18";
    case ScanLayout::Short17:
        return "short17";
    }
    return "";
}

const char* routeText(ReplyRoute route) {
    switch (route) {
    case ReplyRoute::Auto:
        return "auto";
    case ReplyRoute::Sender:
        return "sender";
    case ReplyRoute::Broadcast:
        return "broadcast";
    }
    return "";
}

} // namespace

std::string faultSummary(const DeviceProfile& profile) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (!text.empty())
            text += "; ";
        text += part;
    };
    if (profile.silent.any()) {
        std::string silent;
        for (std::uint8_t code = 1; code <= kHighestRequestCode; ++code) {
            if (!profile.silent.test(code))
                continue;
            if (!silent.empty())
                silent += ", ";
            silent += std::string(requestKey(code).value_or("?"));
        }
        add("silent: " + silent);
    }
    if (profile.ipStatus)
        add("ip-status " + std::to_string(profile.ipStatus));
    if (profile.dhcpStatus)
        add("dhcp-status " + std::to_string(profile.dhcpStatus));
    if (profile.blinkStatus)
        add("blink-status " + std::to_string(profile.blinkStatus));
    if (profile.delay.count())
        add("delay " + std::to_string(profile.delay.count()) + " ms");
    if (profile.ipChangeSource == IpChangeSource::OldAddress)
        add("answers IP changes from the old address");
    return text.empty() ? "-" : text;
}

std::string deviceListing(const Fleet& fleet) {
    int nameWidth = 4;
    for (std::size_t i = 0; i < fleet.size(); ++i)
        nameWidth = std::clamp(int(fleet.device(i).profile().name.size()), nameWidth, 40);
    std::string text;
    char line[512];
    std::snprintf(line, sizeof line, "%-*s %-17s %-15s %-15s %-15s %-19s %-6s %-5s %-7s %-9s %s\n",
                  nameWidth, "NAME", "MAC", "IP", "NETMASK", "GATEWAY", "DHCP", "TYPE", "REV",
                  "LAYOUT", "REPLY", "FAULTS");
    text += line;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        const SimulatedDevice& device = fleet.device(i);
        const DeviceProfile& profile = device.profile();
        const std::string revision(profile.revision.begin(), profile.revision.end());
        std::snprintf(
            line, sizeof line,
            "%-*.*s %-17s %-15s %-15s %-15s %-19s 0x%04X %-5s %-7s %-9s %.200s\n", nameWidth,
            nameWidth, profile.name.c_str(), macText(profile.mac).c_str(),
            ipv4Text(device.current().ip).c_str(), ipv4Text(device.current().netmask).c_str(),
            ipv4Text(device.current().gateway).c_str(), dhcpText(profile.dhcpByte).c_str(),
            profile.typeCode, revision.c_str(), layoutText(profile.layout),
            routeText(profile.route), faultSummary(profile).c_str());
        text += line;
    }
    return text;
}

} // namespace sim
