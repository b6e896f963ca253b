#include "address_assigner.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

bool isLocalAddress(Ipv4 address) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    close(fd);
    return bound;
}

std::unique_ptr<AddressAssigner> AddressAssigner::open(const std::string& interfaceName,
                                                       std::string* error) {
    const unsigned index = if_nametoindex(interfaceName.c_str());
    if (index == 0) {
        *error = "there is no interface " + interfaceName + " to put device addresses on";
        return nullptr;
    }
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        *error = std::string("cannot open a netlink socket: ") + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<AddressAssigner>(new AddressAssigner(fd, index, interfaceName));
}

AddressAssigner::~AddressAssigner() {
    for (const Ipv4 address : added_)
        change(RTM_DELADDR, address);
    close(netlink_);
}

bool AddressAssigner::ensureLocal(Ipv4 address, std::string* error) {
    if (isLocalAddress(address))
        return true;
    const int result = change(RTM_NEWADDR, address);
    if (result != 0 && result != EEXIST) {
        *error = "cannot add " + ipv4Text(address) + "/32 to " + interfaceName_ + ": " +
                 std::strerror(result);
        return false;
    }
    added_.insert(address);
    return true;
}

int AddressAssigner::change(int type, Ipv4 address) {
    struct {
        nlmsghdr header;
        ifaddrmsg body;
        char attributes[64];
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
    request.header.nlmsg_type = std::uint16_t(type);
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK;
    if (type == RTM_NEWADDR)
        request.header.nlmsg_flags |= NLM_F_CREATE | NLM_F_EXCL;
    request.header.nlmsg_seq = ++sequence_;
    request.body.ifa_family = AF_INET;
    request.body.ifa_prefixlen = 32;
    request.body.ifa_scope = RT_SCOPE_UNIVERSE;
    request.body.ifa_index = interfaceIndex_;
    const std::uint32_t networkOrder = htonl(address);
    for (const unsigned short kind : {IFA_LOCAL, IFA_ADDRESS}) {
        auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&request) +
                                                    NLMSG_ALIGN(request.header.nlmsg_len));
        attribute->rta_type = kind;
        attribute->rta_len = RTA_LENGTH(sizeof networkOrder);
        std::memcpy(RTA_DATA(attribute), &networkOrder, sizeof networkOrder);
        request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + attribute->rta_len;
    }
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(netlink_, &request, request.header.nlmsg_len, 0,
               reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) < 0)
        return errno;
    alignas(nlmsghdr) char answer[4096];
    for (;;) {
        const ssize_t received = recv(netlink_, answer, sizeof answer, 0);
        if (received < 0)
            return errno;
        int remaining = int(received);
        for (auto* header = reinterpret_cast<nlmsghdr*>(answer); NLMSG_OK(header, remaining);
             header = NLMSG_NEXT(header, remaining)) {
            if (header->nlmsg_seq != sequence_ || header->nlmsg_type != NLMSG_ERROR)
                continue;
            const auto* result = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
            return -result->error;
        }
    }
}

} // namespace sim
