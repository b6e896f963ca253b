#include "address_assigner.h"
#include "build_version.h"
#include "console.h"
#include "device_file.h"
#include "device_listing.h"
#include "fleet.h"
#include "network_guard.h"
#include "options.h"
#include "protocol/frame.h"
#include "simulator.h"

#include <csignal>
#include <cstdio>
#include <map>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnsafeNetwork = 3;

std::optional<std::vector<sim::DeviceProfile>> loadDevices(const sim::Options& options,
                                                           std::string* error) {
    std::vector<sim::DeviceProfile> devices;
    for (const std::string& path : options.deviceFiles) {
        auto fromFile = sim::readDeviceFile(path, error);
        if (!fromFile)
            return std::nullopt;
        devices.insert(devices.end(), fromFile->begin(), fromFile->end());
    }
    auto generated = sim::generateDevices(options.generate, options.generator, error);
    if (!generated)
        return std::nullopt;
    devices.insert(devices.end(), generated->begin(), generated->end());
    return devices;
}

// Addresses shared by several devices are a fault a trainer sets up on purpose; say so.
void reportSharedAddresses(const sim::Fleet& fleet, const sim::Console& console) {
    std::map<sim::Ipv4, std::vector<std::string>> byAddress;
    for (std::size_t i = 0; i < fleet.size(); ++i)
        byAddress[fleet.device(i).current().ip].push_back(fleet.device(i).profile().name);
    for (const auto& [address, names] : byAddress) {
        if (names.size() < 2)
            continue;
        std::string list;
        for (const std::string& name : names)
            list += (list.empty() ? "" : ", ") + name;
        console.info("devices " + list + " share the address " + sim::ipv4Text(address));
    }
}

// Every answer leaves from its device's address, so each must be local here.
bool prepareAddresses(const sim::Fleet& fleet, sim::AddressAssigner* assigner,
                      const sim::Console& console) {
    std::size_t foreign = 0;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        const sim::Ipv4 address = fleet.device(i).current().ip;
        std::string error;
        if (assigner) {
            if (!assigner->ensureLocal(address, &error)) {
                console.error(error);
                return false;
            }
        } else if (!sim::isLocalAddress(address) && foreign++ < 5) {
            console.error(fleet.device(i).profile().name + ": " + sim::ipv4Text(address) +
                          " is not an address of this network namespace, so its answers "
                          "cannot leave (--assign-addresses adds it)");
        }
    }
    if (assigner && assigner->addedCount() > 0)
        console.info("added " + std::to_string(assigner->addedCount()) + " device addresses to " +
                     assigner->interfaceName());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<sim::Options> options = sim::parseOptions(argc, argv, &error);
    if (!options) {
        std::fprintf(stderr, "torvane-sim: %s\nTry 'torvane-sim --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (options->help) {
        std::fputs(sim::helpText().c_str(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("torvane-sim %s\n", TORVANE_PRODUCT_VERSION);
        return 0;
    }
    const sim::Console console(options->verbosity);
    auto profiles = loadDevices(*options, &error);
    std::optional<sim::Fleet> fleet;
    if (profiles)
        fleet = sim::Fleet::create(std::move(*profiles), protocol::kDevicePort, &error);
    if (!fleet) {
        std::fprintf(stderr, "torvane-sim: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options->list) {
        std::fputs(sim::deviceListing(*fleet).c_str(), stdout);
        return 0;
    }
    if (const auto outside = sim::interfaceLeadingOutside()) {
        console.error("refusing to run: interface " + *outside +
                      " may lead to a real network. Run the simulator in a private network "
                      "namespace (scripts/netns-run.sh, scripts/testnet.sh).");
        return kExitUnsafeNetwork;
    }

    // SIGINT and SIGTERM end the event loop through a signalfd.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<sim::TrafficLog> log;
    if (!options->logPath.empty() && !(log = sim::TrafficLog::open(options->logPath, &error))) {
        console.error(error);
        return kExitFailure;
    }
    std::unique_ptr<sim::AddressAssigner> assigner;
    if (!options->assignInterface.empty() &&
        !(assigner = sim::AddressAssigner::open(options->assignInterface, &error))) {
        console.error(error);
        return kExitFailure;
    }
    if (!prepareAddresses(*fleet, assigner.get(), console))
        return kExitFailure;
    const std::unique_ptr<sim::UdpPort> port = sim::UdpPort::open(protocol::kDevicePort, &error);
    if (!port) {
        console.error(error);
        return kExitFailure;
    }
    reportSharedAddresses(*fleet, console);
    console.info("torvane-sim " TORVANE_PRODUCT_VERSION ": " + std::to_string(fleet->size()) +
                 " devices listening on UDP port " + std::to_string(protocol::kDevicePort) +
                 (log ? ", traffic log " + options->logPath : std::string()));
    sim::Simulator simulator(*fleet, *port, log.get(), assigner.get(), console);
    return simulator.run(options->readyFd);
}
