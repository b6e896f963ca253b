#include "network_guard.h"

#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {

// Loopback, or down (such as the fallback tunnel devices some kernels put in every
// namespace): nothing can leave through it.
bool isHarmless(int fd, const char* name) {
    ifreq request{};
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    return ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
           ((request.ifr_flags & IFF_LOOPBACK) || !(request.ifr_flags & IFF_UP));
}

} // namespace

std::optional<std::string> interfaceLeadingOutside() {
    struct if_nameindex* interfaces = if_nameindex();
    if (!interfaces)
        return std::string("(the interfaces cannot be listed)");
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    std::optional<std::string> offending;
    for (const struct if_nameindex* entry = interfaces; entry->if_index != 0; ++entry) {
        if (std::strncmp(entry->if_name, "tv", 2) == 0 || isHarmless(fd, entry->if_name))
            continue;
        offending = entry->if_name;
        break;
    }
    if (fd >= 0)
        close(fd);
    if_freenameindex(interfaces);
    return offending;
}

} // namespace sim
