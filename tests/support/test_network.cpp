#include "support/test_network.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <net/if.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr const char* kSegmentLink = "tvseg0";

bool isRunning(const std::string& interfaceName) {
    UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    ifreq request{};
    std::strncpy(request.ifr_name, interfaceName.c_str(), IFNAMSIZ - 1);
    return fd && ioctl(fd.get(), SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_RUNNING);
}

// A link that is up only carries frames once both of its ends run.
void waitUntilRunning(const std::string& pcInterface, const NetworkNamespace& segment) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        bool segmentRunning = false;
        segment.enter([&] { segmentRunning = isRunning(kSegmentLink); });
        if (segmentRunning && isRunning(pcInterface))
            return;
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the link " + pcInterface + " does not come up");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// IPv6 would fill the links with router solicitations and the like; the devices speak IPv4.
void quietIpv6(const std::string& interfaceName) {
    std::ofstream("/proc/sys/net/ipv6/conf/" + interfaceName + "/disable_ipv6") << "1";
}

std::unique_ptr<Segment> makeSegment(const std::string& pcInterface, const std::string& subnet) {
    auto ns = std::make_unique<NetworkNamespace>();
    runCommand({"ip", "link", "add", pcInterface, "type", "veth", "peer", "name", kSegmentLink,
                "netns", std::to_string(ns->holderPid())});
    quietIpv6(pcInterface);
    ns->enter([] { quietIpv6(kSegmentLink); });
    runCommand({"ip", "addr", "add", subnet + ".1/24", "dev", pcInterface});
    runCommand({"ip", "link", "set", pcInterface, "up"});
    runCommand({"ip", "addr", "add", subnet + ".254/24", "dev", kSegmentLink}, ns.get());
    runCommand({"ip", "link", "set", kSegmentLink, "up"}, ns.get());
    waitUntilRunning(pcInterface, *ns);
    return std::make_unique<Segment>(std::move(ns), kSegmentLink, pcInterface, subnet + ".1",
                                     "255.255.255.0");
}

} // namespace

Segment::Segment(std::unique_ptr<NetworkNamespace> ns, std::string linkName,
                 std::string pcInterface, std::string pcAddress, std::string pcNetmask)
    : ns_(std::move(ns)), linkName_(std::move(linkName)), pcInterface_(std::move(pcInterface)),
      pcAddress_(std::move(pcAddress)), pcNetmask_(std::move(pcNetmask)) {}

Segment::~Segment() {
    for (const std::string& cidr : addedAddresses_) {
        try {
            runCommand({"ip", "addr", "del", cidr, "dev", linkName_}, ns_.get());
        } catch (const std::exception&) {
            // The address went with its interface.
        }
    }
}

void Segment::addAddress(const std::string& cidr) {
    runCommand({"ip", "addr", "add", cidr, "dev", linkName_}, ns_.get());
    addedAddresses_.push_back(cidr);
}

std::unique_ptr<SimulatorProcess>
Segment::startSimulator(const std::string& deviceFile, std::vector<std::string> arguments) const {
    SimulatorProcess::Settings settings;
    settings.deviceFile = deviceFile;
    settings.arguments = std::move(arguments);
    settings.ns = ns_.get();
    settings.assignInterface = linkName_;
    return std::make_unique<SimulatorProcess>(std::move(settings));
}

std::unique_ptr<TestNetwork> TestNetwork::tier1() {
    std::unique_ptr<TestNetwork> network(new TestNetwork);
    network->devices_ = std::make_unique<Segment>(nullptr, "lo", "lo", "127.0.0.1", "255.0.0.0");
    return network;
}

std::unique_ptr<TestNetwork> TestNetwork::tier2(std::string* whyNot) {
    static std::atomic<int> networks{0};
    const std::string prefix = "tvpc" + std::to_string(networks++);
    std::unique_ptr<TestNetwork> network(new TestNetwork);
    try {
        network->pcLinks_.push_back(prefix + "a");
        network->devices_ = makeSegment(prefix + "a", "10.77.0");
        network->pcLinks_.push_back(prefix + "b");
        network->other_ = makeSegment(prefix + "b", "10.78.0");
    } catch (const std::exception& error) {
        *whyNot = std::string("the tier-2 test network needs root (network namespaces and "
                              "veth links): ") +
                  error.what();
        return nullptr;
    }
    return network;
}

TestNetwork::~TestNetwork() {
    // Deleting one end of a veth pair deletes the other at once; waiting for the
    // namespaces to vanish would leave the PC's ends behind for a moment.
    for (const std::string& link : pcLinks_) {
        try {
            runCommand({"ip", "link", "del", link});
        } catch (const std::exception&) {
            // Never made, or already gone.
        }
    }
}

} // namespace testsupport
