#include "device_file.h"

#include "number_text.h"

#include <fstream>
#include <sstream>

namespace sim {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return result;
}

// The values given for one device; permanent values default to the current ones.
struct DeviceEntry {
    DeviceProfile profile;
    std::size_t line = 0;
    bool hasMac = false;
    bool hasIp = false;
    std::optional<Ipv4> permanentIp;
    std::optional<Ipv4> permanentNetmask;
    std::optional<Ipv4> permanentGateway;
};

class Parser {
public:
    explicit Parser(std::string_view fileName) : fileName_(fileName) {}

    std::optional<std::vector<DeviceProfile>> parse(std::string_view text, std::string* error);

private:
    bool line(std::string_view text);
    bool assign(DeviceEntry& entry, const std::string& key, std::string_view value);
    bool finish(DeviceEntry& entry);
    bool fail(std::string message) {
        error_ = std::string(fileName_) + ':' + std::to_string(lineNumber_) + ": " + message;
        return false;
    }

    std::string_view fileName_;
    std::size_t lineNumber_ = 0;
    std::vector<DeviceEntry> entries_;
    std::string error_;
};

std::optional<std::vector<DeviceProfile>> Parser::parse(std::string_view text, std::string* error) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++lineNumber_;
        if (!line(text.substr(start, end - start))) {
            *error = error_;
            return std::nullopt;
        }
        start = end + 1;
    }
    std::vector<DeviceProfile> profiles;
    profiles.reserve(entries_.size());
    for (DeviceEntry& entry : entries_) {
        lineNumber_ = entry.line;
        if (!finish(entry)) {
            *error = error_;
            return std::nullopt;
        }
        profiles.push_back(std::move(entry.profile));
    }
    return profiles;
}

bool Parser::line(std::string_view raw) {
    const std::string_view text = trimmed(raw);
    if (text.empty() || text.front() == '#' || text.front() == ';')
        return true;
    if (text.front() == '[') {
        if (text.back() != ']')
            return fail("a section line must end with ']'");
        const std::string_view name = trimmed(text.substr(1, text.size() - 2));
        if (name.empty())
            return fail("a device needs a name between the brackets");
        DeviceEntry entry;
        entry.profile.name = std::string(name);
        entry.line = lineNumber_;
        entries_.push_back(std::move(entry));
        return true;
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos)
        return fail("expected \"key = value\" or \"[device name]\"");
    if (entries_.empty())
        return fail("a \"[device name]\" line must come before the first key");
    const std::string key = lowered(trimmed(text.substr(0, equals)));
    std::string_view value = trimmed(text.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return assign(entries_.back(), key, value);
}

bool Parser::assign(DeviceEntry& entry, const std::string& key, std::string_view value) {
    DeviceProfile& profile = entry.profile;
    const std::string word = lowered(value);
    const auto address = [&](Ipv4& target) {
        const auto parsed = parseIpv4(value);
        if (!parsed)
            return fail(key + ": \"" + std::string(value) + "\" is not a dotted IPv4 address");
        target = *parsed;
        return true;
    };
    const auto optionalAddress = [&](std::optional<Ipv4>& target) {
        Ipv4 parsed = 0;
        if (!address(parsed))
            return false;
        target = parsed;
        return true;
    };
    const auto byte = [&](std::uint8_t& target) {
        const auto parsed = parseNumber(value, 0xFF);
        if (!parsed)
            return fail(key + ": \"" + std::string(value) + "\" is not a number from 0 to 255");
        target = std::uint8_t(*parsed);
        return true;
    };

    if (key == "mac") {
        const auto mac = parseMac(value);
        if (!mac)
            return fail("mac: \"" + std::string(value) + "\" is not of the form 02-11-22-33-44-55");
        profile.mac = *mac;
        entry.hasMac = true;
        return true;
    }
    if (key == "ip") {
        entry.hasIp = true;
        return address(profile.current.ip);
    }
    if (key == "netmask")
        return address(profile.current.netmask);
    if (key == "gateway")
        return address(profile.current.gateway);
    if (key == "permanent-ip")
        return optionalAddress(entry.permanentIp);
    if (key == "permanent-netmask")
        return optionalAddress(entry.permanentNetmask);
    if (key == "permanent-gateway")
        return optionalAddress(entry.permanentGateway);
    if (key == "dhcp") {
        if (word == "inactive" || word == "off")
            profile.dhcpByte = kDhcpInactive;
        else if (word == "active" || word == "on")
            profile.dhcpByte = kDhcpActive;
        else if (word == "unsupported")
            profile.dhcpByte = 0;
        else if (!byte(profile.dhcpByte))
            return fail("dhcp: use inactive, active, unsupported or the byte itself (0x10)");
        return true;
    }
    if (key == "type") {
        const auto parsed = parseNumber(value, 0xFFFF);
        if (!parsed)
            return fail("type: \"" + std::string(value) + "\" is not a number from 0 to 0xFFFF");
        profile.typeCode = std::uint16_t(*parsed);
        return true;
    }
    if (key == "revision") {
        if (value.size() != profile.revision.size())
            return fail("revision: exactly five characters are sent, \"" + std::string(value) +
                        "\" has " + std::to_string(value.size()) + " bytes");
        std::copy(value.begin(), value.end(), profile.revision.begin());
        return true;
    }
    if (key == "layout") {
        if (word == "full" || word == "27")
            profile.layout = ScanLayout::Full;
        else if (word == "short18" || word == "18")
            profile.layout = ScanLayout::Short18;
        else if (word == "short17" || word == "17")
            profile.layout = ScanLayout::Short17;
        else
            return fail("layout: use full, short18 or short17");
        return true;
    }
    if (key == "reply") {
        if (word == "auto")
            profile.route = ReplyRoute::Auto;
        else if (word == "sender")
            profile.route = ReplyRoute::Sender;
        else if (word == "broadcast")
            profile.route = ReplyRoute::Broadcast;
        else
            return fail("reply: use auto, sender or broadcast");
        return true;
    }
    if (key == "answer-ip-change-from") {
        if (word == "new")
            profile.ipChangeSource = IpChangeSource::NewAddress;
        else if (word == "old")
            profile.ipChangeSource = IpChangeSource::OldAddress;
        else
            return fail("answer-ip-change-from: use new or old");
        return true;
    }
    if (key == "silent") {
        RequestSet silent;
        std::string list = word;
        for (char& c : list)
            if (c == ',')
                c = ' ';
        std::istringstream words(list);
        std::string name;
        while (words >> name) {
            if (name == "all") {
                silent.set();
            } else if (name == "reads") {
                silent.set(0x05).set(0x07);
            } else if (name == "sets") {
                for (const std::uint8_t code : {0x02, 0x03, 0x06, 0x08, 0x09, 0x0A, 0x0C})
                    silent.set(code);
            } else if (const auto code = requestCodeOfKey(name)) {
                silent.set(*code);
            } else {
                return fail("silent: unknown request \"" + name +
                            "\" (see docs/simulator.md for the names)");
            }
        }
        profile.silent = silent;
        return true;
    }
    if (key == "ip-status")
        return byte(profile.ipStatus);
    if (key == "dhcp-status")
        return byte(profile.dhcpStatus);
    if (key == "blink-status")
        return byte(profile.blinkStatus);
    if (key == "delay") {
        const auto parsed = parseNumber(value, 60000);
        if (!parsed)
            return fail("delay: \"" + std::string(value) +
                        "\" is not a number of milliseconds from 0 to 60000");
        profile.delay = std::chrono::milliseconds(*parsed);
        return true;
    }
    return fail("unknown key \"" + key + "\"");
}

bool Parser::finish(DeviceEntry& entry) {
    DeviceProfile& profile = entry.profile;
    if (!entry.hasMac)
        return fail("device " + profile.name + " has no mac");
    if (!entry.hasIp)
        return fail("device " + profile.name + " has no ip");
    profile.permanent.ip = entry.permanentIp.value_or(profile.current.ip);
    profile.permanent.netmask = entry.permanentNetmask.value_or(profile.current.netmask);
    profile.permanent.gateway = entry.permanentGateway.value_or(profile.current.gateway);
    return true;
}

} // namespace

std::optional<std::vector<DeviceProfile>>
parseDeviceFile(std::string_view text, std::string_view fileName, std::string* error) {
    return Parser(fileName).parse(text, error);
}

std::optional<std::vector<DeviceProfile>> readDeviceFile(const std::string& path,
                                                         std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = path + ": cannot be read";
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseDeviceFile(text.str(), path, error);
}

} // namespace sim
