#include "device_generator.h"

namespace sim {

namespace {

bool isNetworkOrBroadcastOctet(Ipv4 address) {
    const Ipv4 last = address & 0xFF;
    return last == 0 || last == 255;
}

} // namespace

std::optional<std::vector<DeviceProfile>>
generateDevices(std::size_t count, const GeneratorSettings& settings, std::string* error) {
    if (count > kMaxGeneratedDevices) {
        *error = "at most " + std::to_string(kMaxGeneratedDevices) + " devices can be generated";
        return std::nullopt;
    }
    constexpr ScanLayout layouts[] = {ScanLayout::Full, ScanLayout::Short18, ScanLayout::Full,
                                      ScanLayout::Short17};
    constexpr std::uint8_t dhcpBytes[] = {kDhcpInactive, kDhcpActive, 0x00};
    std::vector<DeviceProfile> devices;
    devices.reserve(count);
    std::uint64_t address = settings.firstIp;
    for (std::size_t i = 0; i < count; ++i, ++address) {
        while (isNetworkOrBroadcastOctet(Ipv4(address)))
            ++address;
        if (address >= kLimitedBroadcast) {
            *error = "the generated addresses run past 255.255.255.254";
            return std::nullopt;
        }
        const std::size_t number = i + 1;
        DeviceProfile device;
        device.name = "gen-" + std::to_string(number);
        device.mac = {0x02,
                      0x54,
                      0x56,
                      std::uint8_t(number >> 16),
                      std::uint8_t(number >> 8),
                      std::uint8_t(number)};
        device.current = {Ipv4(address), settings.netmask, settings.gateway};
        device.permanent = device.current;
        device.dhcpByte = dhcpBytes[i % std::size(dhcpBytes)];
        device.typeCode = std::uint16_t(0x0101 + i % 16);
        device.revision = {'V', '1', '.', '0', char('0' + i % 10)};
        device.layout = layouts[i % std::size(layouts)];
        devices.push_back(std::move(device));
    }
    return devices;
}

} // namespace sim
