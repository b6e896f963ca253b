#include "support/udp_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace testsupport {

namespace {

sockaddr_in socketAddress(const QString& address, quint16 port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    inet_pton(AF_INET, address.toLatin1().constData(), &result.sin_addr);
    return result;
}

QString addressText(in_addr address) {
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, &address, text.data(), text.size());
    return QString::fromLatin1(text.data());
}

} // namespace

UdpPeer::UdpPeer(const QString& address, quint16 port) : UdpPeer(address, port, Options{}) {}

UdpPeer::UdpPeer(const QString& address, quint16 port, Options options) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError = errno;
        return;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    if (options.reuseAddress)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (options.reusePort)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    if (options.broadcast)
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (options.receiveBufferBytes > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &options.receiveBufferBytes,
                     sizeof options.receiveBufferBytes);
    const sockaddr_in local = socketAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        lastError = errno;
        ::close(fd);
        return;
    }
    descriptor = fd;
}

UdpPeer::~UdpPeer() {
    if (descriptor >= 0)
        ::close(descriptor);
}

quint16 UdpPeer::port() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

bool UdpPeer::sendTo(const QByteArray& datagram, const QString& address, quint16 port) {
    return sendFrom(QString(), datagram, address, port);
}

bool UdpPeer::sendFrom(const QString& sourceAddress, const QByteArray& datagram,
                       const QString& address, quint16 port) {
    sockaddr_in destination = socketAddress(address, port);
    iovec part{const_cast<char*>(datagram.constData()), std::size_t(datagram.size())};
    msghdr message{};
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (!sourceAddress.isEmpty()) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst = socketAddress(sourceAddress, 0).sin_addr;
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    if (::sendmsg(descriptor, &message, 0) < 0) {
        lastError = errno;
        return false;
    }
    return true;
}

std::optional<UdpPeer::Datagram> UdpPeer::receive(int safetyLimitMs) {
    pollfd waiting{descriptor, POLLIN, 0};
    if (::poll(&waiting, 1, safetyLimitMs) != 1)
        return std::nullopt;
    std::array<char, 65536> bytes{};
    sockaddr_in source{};
    iovec part{bytes.data(), bytes.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t size = ::recvmsg(descriptor, &message, 0);
    if (size < 0) {
        lastError = errno;
        return std::nullopt;
    }
    Datagram datagram;
    datagram.bytes = QByteArray(bytes.data(), size);
    datagram.source = addressText(source.sin_addr);
    datagram.sourcePort = ntohs(source.sin_port);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.destination = addressText(info.ipi_addr);
        }
    }
    return datagram;
}

} // namespace testsupport
