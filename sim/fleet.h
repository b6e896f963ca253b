#pragma once

#include "simulated_device.h"

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

// One device's part in handling a request.
struct Outcome {
    std::size_t device = 0;
    std::string note;
    std::optional<Bytes> answer;
    Endpoint source;      // the device's address and the protocol port
    Endpoint destination; // the requester, or the limited broadcast address
    std::chrono::milliseconds delay{0};
};

// All simulated devices, found by MAC for the requests that name one and by address for
// the others (the scan and the DHCP request, which the tool sends to a device's address).
class Fleet {
public:
    // Called after a device's address changed, before its answer leaves.
    using AddressListener = std::function<void(Ipv4 before, Ipv4 after)>;

    // Refuses (with a message) devices that share a MAC or a name.
    static std::optional<Fleet> create(std::vector<DeviceProfile> profiles, std::uint16_t port,
                                       std::string* error);

    std::size_t size() const { return devices_.size(); }
    const SimulatedDevice& device(std::size_t index) const { return devices_[index]; }
    bool isDeviceAddress(Ipv4 address) const { return byIp_.count(address) > 0; }
    void setAddressListener(AddressListener listener) { addressListener_ = std::move(listener); }

    // Lets every device that hears the request react, in device order. A request naming a
    // MAC that no device has, or sent to an address that device does not hear, gives a
    // note without a device (device == size()).
    std::vector<Outcome> handle(const Request& request, const Endpoint& requester,
                                Ipv4 destination);

private:
    explicit Fleet(std::vector<SimulatedDevice> devices, std::uint16_t port);
    Outcome react(std::size_t index, const Request& request, const Endpoint& requester);
    void moveAddress(std::size_t index, Ipv4 before, Ipv4 after);

    std::vector<SimulatedDevice> devices_;
    std::uint16_t port_;
    std::unordered_map<std::uint64_t, std::size_t> byMac_;
    std::unordered_multimap<Ipv4, std::size_t> byIp_;
    AddressListener addressListener_;
};

std::uint64_t macKey(const MacAddress& mac);

} // namespace sim
