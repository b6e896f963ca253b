#include "fleet.h"

#include <algorithm>

namespace sim {

std::uint64_t macKey(const MacAddress& mac) {
    std::uint64_t key = 0;
    for (const std::uint8_t byte : mac)
        key = key << 8 | byte;
    return key;
}

Fleet::Fleet(std::vector<SimulatedDevice> devices, std::uint16_t port)
    : devices_(std::move(devices)), port_(port) {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        byMac_.emplace(macKey(devices_[i].profile().mac), i);
        byIp_.emplace(devices_[i].current().ip, i);
    }
}

std::optional<Fleet> Fleet::create(std::vector<DeviceProfile> profiles, std::uint16_t port,
                                   std::string* error) {
    std::unordered_map<std::uint64_t, std::size_t> macs;
    std::unordered_map<std::string, std::size_t> names;
    std::vector<SimulatedDevice> devices;
    devices.reserve(profiles.size());
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const DeviceProfile& profile = profiles[i];
        if (const auto [at, added] = macs.emplace(macKey(profile.mac), i); !added) {
            *error = "devices " + profiles[at->second].name + " and " + profile.name +
                     " have the same MAC " + macText(profile.mac);
            return std::nullopt;
        }
        if (const auto [at, added] = names.emplace(profile.name, i); !added) {
            *error = "two devices are named " + profile.name;
            return std::nullopt;
        }
        devices.emplace_back(profile);
    }
    return Fleet(std::move(devices), port);
}

std::vector<Outcome> Fleet::handle(const Request& request, const Endpoint& requester,
                                   Ipv4 destination) {
    std::vector<Outcome> outcomes;
    if (request.namesDevice()) {
        const auto found = byMac_.find(macKey(request.mac));
        if (found == byMac_.end()) {
            outcomes.push_back(
                {size(), "no device has MAC " + macText(request.mac), {}, {}, {}, {}});
        } else if (!devices_[found->second].hears(destination)) {
            outcomes.push_back({found->second,
                                "does not hear a request sent to " + ipv4Text(destination),
                                {},
                                {},
                                {},
                                {}});
        } else {
            outcomes.push_back(react(found->second, request, requester));
        }
        return outcomes;
    }
    // A request sent to an address reaches the devices that have it; any other destination
    // (a broadcast) is checked device by device.
    std::vector<std::size_t> hearing;
    const auto [first, last] = byIp_.equal_range(destination);
    for (auto it = first; it != last; ++it)
        hearing.push_back(it->second);
    if (hearing.empty()) {
        for (std::size_t i = 0; i < devices_.size(); ++i)
            if (devices_[i].hears(destination))
                hearing.push_back(i);
    } else {
        std::sort(hearing.begin(), hearing.end());
    }
    outcomes.reserve(hearing.size());
    for (const std::size_t index : hearing)
        outcomes.push_back(react(index, request, requester));
    return outcomes;
}

Outcome Fleet::react(std::size_t index, const Request& request, const Endpoint& requester) {
    SimulatedDevice& device = devices_[index];
    const Ipv4 before = device.current().ip;
    Reaction reaction = device.react(request);
    const Ipv4 after = device.current().ip;
    if (before != after)
        moveAddress(index, before, after);
    Outcome outcome;
    outcome.device = index;
    outcome.note = std::move(reaction.note);
    outcome.answer = std::move(reaction.answer);
    outcome.source = {reaction.source, port_};
    outcome.destination = device.answerDestination(requester);
    outcome.delay = device.profile().delay;
    return outcome;
}

void Fleet::moveAddress(std::size_t index, Ipv4 before, Ipv4 after) {
    const auto [first, last] = byIp_.equal_range(before);
    for (auto it = first; it != last; ++it) {
        if (it->second == index) {
            byIp_.erase(it);
            break;
        }
    }
    byIp_.emplace(after, index);
    if (addressListener_)
        addressListener_(before, after);
}

} // namespace sim
