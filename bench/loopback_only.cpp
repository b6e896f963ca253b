#include "loopback_only.h"

#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

std::optional<std::string> interfaceLeadingOutside() {
    struct if_nameindex* interfaces = if_nameindex();
    if (!interfaces)
        return std::string("(the interfaces cannot be listed)");
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    std::optional<std::string> offending;
    for (const struct if_nameindex* entry = interfaces; entry->if_index != 0; ++entry) {
        ifreq request{};
        std::strncpy(request.ifr_name, entry->if_name, IFNAMSIZ - 1);
        const bool harmless = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0 &&
                              ((request.ifr_flags & IFF_LOOPBACK) || !(request.ifr_flags & IFF_UP));
        if (!harmless) {
            offending = entry->if_name;
            break;
        }
    }
    if (fd >= 0)
        close(fd);
    if_freenameindex(interfaces);
    return offending;
}

} // namespace bench
