#include "udp_port.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {

// Room for a whole scan burst of our own broadcasts echoed back and a request behind it.
constexpr int kSocketBufferBytes = 16 * 1024 * 1024;

void enlargeBuffer(int fd, int forcedOption, int option) {
    const int size = kSocketBufferBytes;
    if (setsockopt(fd, SOL_SOCKET, forcedOption, &size, sizeof size) != 0)
        setsockopt(fd, SOL_SOCKET, option, &size, sizeof size);
}

sockaddr_in socketAddress(const Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    return address;
}

} // namespace

std::unique_ptr<UdpPort> UdpPort::open(std::uint16_t port, std::string* error) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("cannot create a UDP socket: ") + std::strerror(errno);
        return nullptr;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    enlargeBuffer(fd, SO_RCVBUFFORCE, SO_RCVBUF);
    enlargeBuffer(fd, SO_SNDBUFFORCE, SO_SNDBUF);
    const sockaddr_in any = socketAddress({INADDR_ANY, port});
    if (bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        *error = "cannot bind UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<UdpPort>(new UdpPort(fd, port));
}

UdpPort::~UdpPort() {
    close(fd_);
}

std::optional<ReceivedDatagram> UdpPort::receive(int* error) {
    ReceivedDatagram datagram;
    sockaddr_in source{};
    iovec data{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t received = recvmsg(fd_, &message, 0);
    if (received < 0) {
        *error = errno;
        return std::nullopt;
    }
    datagram.bytes.assign(buffer_.begin(), buffer_.begin() + received);
    datagram.source = {ntohl(source.sin_addr.s_addr), ntohs(source.sin_port)};
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.destination = ntohl(info.ipi_addr.s_addr);
            datagram.interfaceIndex = info.ipi_ifindex;
        }
    }
    return datagram;
}

int UdpPort::send(const Bytes& frame, const Endpoint& source, const Endpoint& destination,
                  int interfaceIndex) {
    sockaddr_in target = socketAddress(destination);
    iovec data{const_cast<std::uint8_t*>(frame.data()), frame.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    msghdr message{};
    message.msg_name = &target;
    message.msg_namelen = sizeof target;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(source.address);
    if (destination.address == kLimitedBroadcast)
        info.ipi_ifindex = interfaceIndex;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    if (sendmsg(fd_, &message, 0) < 0)
        return errno;
    return 0;
}

} // namespace sim
