#include "protocol/datagram_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>

namespace protocol {

namespace {

sockaddr_in socketAddress(quint32 address, quint16 port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address);
    return result;
}

} // namespace

DatagramSocket::~DatagramSocket() {
    if (isOpen())
        ::close(descriptor_);
}

bool DatagramSocket::open(int* error) {
    if (isOpen())
        return true;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        reportError(error, errno);
        return false;
    }
    // Handle 0 means "no socket" to the program, so a socket must never get descriptor 0
    // (possible when the standard input is closed).
    if (fd == 0) {
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 1);
        const int savedErrno = errno;
        ::close(fd);
        if (moved < 0) {
            reportError(error, savedErrno);
            return false;
        }
        fd = moved;
    }
    descriptor_ = fd;
    return true;
}

bool DatagramSocket::close(int* error) {
    if (!isOpen()) {
        reportError(error, ENOTSOCK);
        return false;
    }
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    if (result != 0) {
        reportError(error, errno);
        return false;
    }
    return true;
}

bool DatagramSocket::enableOption(int level, int name, int* error) {
    const int on = 1;
    if (::setsockopt(descriptor_, level, name, &on, sizeof on) != 0) {
        reportError(error, errno);
        return false;
    }
    return true;
}

void DatagramSocket::enlargeReceiveBuffer(int bytes) {
    if (::setsockopt(descriptor_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        ::setsockopt(descriptor_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

int DatagramSocket::receiveBufferSize() const {
    int bytes = 0;
    socklen_t length = sizeof bytes;
    if (::getsockopt(descriptor_, SOL_SOCKET, SO_RCVBUF, &bytes, &length) != 0)
        return 0;
    return bytes;
}

bool DatagramSocket::bind(quint32 address, quint16 port, int* error) {
    const sockaddr_in local = socketAddress(address, port);
    if (::bind(descriptor_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        reportError(error, errno);
        return false;
    }
    return true;
}

bool DatagramSocket::sendTo(const QByteArray& datagram, quint32 address, quint16 port,
                            int outInterface, quint32 sourceAddress, int* error) {
    sockaddr_in destination = socketAddress(address, port);
    iovec part{const_cast<char*>(datagram.constData()), std::size_t(datagram.size())};
    msghdr message{};
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_iov = &part;
    message.msg_iovlen = 1;

    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (outInterface != 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = outInterface;
        info.ipi_spec_dst.s_addr = htonl(sourceAddress);
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    if (::sendmsg(descriptor_, &message, MSG_NOSIGNAL) < 0) {
        reportError(error, errno);
        return false;
    }
    return true;
}

std::optional<DatagramSocket::Arrival> DatagramSocket::receive(std::span<quint8> into, int* error) {
    reportError(error, 0);
    sockaddr_in source{};
    iovec part{into.data(), into.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;

    const ssize_t size = ::recvmsg(descriptor_, &message, MSG_DONTWAIT);
    if (size < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            reportError(error, errno);
        return std::nullopt;
    }
    Arrival arrival;
    arrival.size = size;
    arrival.sourceAddress = ntohl(source.sin_addr.s_addr);
    arrival.sourcePort = ntohs(source.sin_port);
    arrival.truncated = message.msg_flags & MSG_TRUNC;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            arrival.interfaceIndex = info.ipi_ifindex;
            arrival.destinationAddress = ntohl(info.ipi_addr.s_addr);
        }
    }
    return arrival;
}

std::optional<quint32> droppedBySystem(int descriptor) {
    std::array<quint32, SK_MEMINFO_VARS> memory{};
    socklen_t length = sizeof memory;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_MEMINFO, memory.data(), &length) != 0 ||
        length <= SK_MEMINFO_DROPS * sizeof(quint32))
        return std::nullopt;
    return memory[SK_MEMINFO_DROPS];
}

} // namespace protocol
