#include "options.h"

#include "number_text.h"

#include <getopt.h>

namespace sim {

namespace {

enum LongOnly { kFirstIp = 256, kNetmask, kGateway, kReadyFd };

constexpr option kOptions[] = {
    {"devices", required_argument, nullptr, 'd'},
    {"generate", required_argument, nullptr, 'g'},
    {"first-ip", required_argument, nullptr, kFirstIp},
    {"netmask", required_argument, nullptr, kNetmask},
    {"gateway", required_argument, nullptr, kGateway},
    {"assign-addresses", required_argument, nullptr, 'a'},
    {"log", required_argument, nullptr, 'l'},
    {"list", no_argument, nullptr, 'L'},
    {"ready-fd", required_argument, nullptr, kReadyFd},
    {"verbose", no_argument, nullptr, 'v'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

bool address(const char* text, const char* option, Ipv4* target, std::string* error) {
    const auto parsed = parseIpv4(text);
    if (!parsed) {
        *error = std::string("--") + option + ": \"" + text + "\" is not a dotted IPv4 address";
        return false;
    }
    *target = *parsed;
    return true;
}

} // namespace

std::optional<Options> parseOptions(int argc, char** argv, std::string* error) {
    Options options;
    optind = 0;
    opterr = 0;
    for (;;) {
        const int choice = getopt_long(argc, argv, ":d:g:a:l:LvqhV", kOptions, nullptr);
        if (choice == -1)
            break;
        switch (choice) {
        case 'd':
            options.deviceFiles.emplace_back(optarg);
            break;
        case 'g': {
            const auto count = parseNumber(optarg, kMaxGeneratedDevices);
            if (!count) {
                *error = std::string("--generate: \"") + optarg + "\" is not a number from 0 to " +
                         std::to_string(kMaxGeneratedDevices);
                return std::nullopt;
            }
            options.generate = *count;
            break;
        }
        case kFirstIp:
            if (!address(optarg, "first-ip", &options.generator.firstIp, error))
                return std::nullopt;
            break;
        case kNetmask:
            if (!address(optarg, "netmask", &options.generator.netmask, error))
                return std::nullopt;
            break;
        case kGateway:
            if (!address(optarg, "gateway", &options.generator.gateway, error))
                return std::nullopt;
            break;
        case 'a':
            options.assignInterface = optarg;
            break;
        case 'l':
            options.logPath = optarg;
            break;
        case 'L':
            options.list = true;
            break;
        case kReadyFd: {
            const auto fd = parseNumber(optarg, 1 << 20);
            if (!fd) {
                *error = std::string("--ready-fd: \"") + optarg + "\" is not a file descriptor";
                return std::nullopt;
            }
            options.readyFd = int(*fd);
            break;
        }
        case 'v':
            options.verbosity = Verbosity::Verbose;
            break;
        case 'q':
            options.verbosity = Verbosity::Quiet;
            break;
        case 'h':
            options.help = true;
            break;
        case 'V':
            options.version = true;
            break;
        case ':':
            *error = std::string("option ") + argv[optind - 1] + " needs a value";
            return std::nullopt;
        default:
            *error = std::string("unknown option ") + argv[optind - 1];
            return std::nullopt;
        }
    }
    for (int i = optind; i < argc; ++i)
        options.deviceFiles.emplace_back(argv[i]);
    if (!options.help && !options.version && options.deviceFiles.empty() && options.generate == 0) {
        *error = "no devices: give a device file or --generate N";
        return std::nullopt;
    }
    return options;
}

std::string helpText() {
    return R"(Usage: torvane-sim [OPTION]... [DEVICE-FILE]...
Plays any number of TORVANE gateways on UDP port 55808, so that TorvaneScan can be tried
and tested without hardware. The devices answer scans, reads, address and DHCP changes,
blink and restart requests exactly as the gateways' frames prescribe.

For safety the simulator runs only in a network namespace whose interfaces are loopback
or test-bed links (names beginning with "tv"); scripts/testnet.sh builds such networks
and scripts/netns-run.sh gives a private namespace with loopback only.

Devices:
  DEVICE-FILE, -d, --devices=FILE
                          read devices from FILE (format: docs/simulator.md)
  -g, --generate=N        add N generated devices: distinct MACs 02-54-56-xx-xx-xx,
                          consecutive addresses, a mix of scan layouts, DHCP states and
                          device types
      --first-ip=ADDR     first address of the generated devices (default 127.0.1.1)
      --netmask=MASK      netmask of the generated devices (default 255.0.0.0)
      --gateway=ADDR      gateway of the generated devices (default 0.0.0.0)
  -L, --list              print the devices and exit

Network:
  -a, --assign-addresses=IFACE
                          add every device address that is not yet local to IFACE as
                          a /32 (also after an IP change), remove them again at exit

Output:
  -l, --log=FILE          record every datagram received and sent in FILE, one line
                          each: UTC time, rx or tx, source, destination, bytes in hex
  -v, --verbose           also report each device's part in requests that many
                          devices hear
  -q, --quiet             report errors only
      --ready-fd=FD       write "ready" to file descriptor FD once listening
  -h, --help              show this help and exit
  -V, --version           show the version and exit

Exit status: 0 after SIGINT or SIGTERM, 1 on a runtime failure, 2 for wrong arguments or
a wrong device file, 3 when the network namespace may lead to a real network.
)";
}

} // namespace sim
