#include "protocol/datagram_receiver.h"

#include "net/ipv4.h"
#include "protocol/datagram_socket.h"
#include "protocol/frame.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ctime>
#include <iterator>
#include <limits>

namespace protocol {

namespace {

// Datagrams taken from the system per call.
constexpr unsigned kDatagramsPerRead = 64;
// What the queue may hold while the taker is busy: far more than the answers of a segment,
// yet a flood cannot eat the machine's memory; beyond it the system's buffer takes over.
constexpr std::size_t kQueueLimitBytes = 32 * 1024 * 1024;
// What one queued datagram costs besides its bytes: its sender's text and the bookkeeping.
constexpr std::size_t kCostPerDatagram = 192;
// A socket that keeps failing is tried again after this pause, not in a busy loop.
constexpr int kPauseAfterFailureMs = 50;

constexpr std::size_t kControlBytes =
    CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(quint32)) + CMSG_SPACE(sizeof(timespec));
// Datagrams are handed over in the order the system received them, by their time stamps. One
// stamped this long before a pass over the sockets began has surely been queued by then (the
// system stamps a datagram a moment before it queues it, on loopback up to a scheduling
// delay), so everything older is in and can go in order; the rest waits for the next pass.
// This holds even while only one socket seems busy: a sender that moves to another processor
// can have a later datagram queued, on another socket or the same one, before an earlier.
constexpr qint64 kSettleNs = 10'000'000;
constexpr int kSettleMs = 10;

// The thread wakes for every few datagrams and must read them before the system's buffer
// fills. A short time slice lets the scheduler run it as soon as it wakes, instead of after
// the task that holds the processor has used up its own (Linux 6.12 and later; older kernels
// take the request and change nothing). It gains no larger share of the processor, so no
// privilege is needed; the thread keeps its niceness.
void askForPromptWakeUps() {
    struct SchedulingAttributes {
        std::uint32_t size;
        std::uint32_t policy;
        std::uint64_t flags;
        std::int32_t nice;
        std::uint32_t priority;
        std::uint64_t runtime; // for the fair policy: the time slice asked for
        std::uint64_t deadline;
        std::uint64_t period;
    };
    constexpr std::uint64_t kSliceNs = 100'000;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, id_t(::gettid()));
    if (errno != 0)
        return;
    SchedulingAttributes attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = SCHED_OTHER;
    attributes.nice = nice;
    attributes.runtime = kSliceNs;
    ::syscall(SYS_sched_setattr, 0, &attributes, 0);
}

qint64 systemTimeNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

// The buffers of one read of many datagrams, kept for the thread's lifetime.
struct DatagramReceiver::ReadBuffers {
    struct Entry {
        std::array<char, kReceiveBufferSize> bytes;
        sockaddr_in source;
        alignas(cmsghdr) std::array<char, kControlBytes> control;
        iovec part;
    };

    ReadBuffers() : entries(kDatagramsPerRead), headers(kDatagramsPerRead) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Entry& entry = entries[i];
            entry.part = {entry.bytes.data(), entry.bytes.size()};
            msghdr& message = headers[i].msg_hdr;
            message = {};
            message.msg_name = &entry.source;
            message.msg_iov = &entry.part;
            message.msg_iovlen = 1;
            message.msg_control = entry.control.data();
            renew(i);
        }
    }

    // The system changes the lengths of the entries it fills; they are set afresh before
    // the entries are used again.
    void renew(std::size_t index) {
        msghdr& message = headers[index].msg_hdr;
        message.msg_namelen = sizeof(sockaddr_in);
        message.msg_controllen = kControlBytes;
        headers[index].msg_len = 0;
    }

    std::vector<Entry> entries;
    std::vector<mmsghdr> headers;
};

DatagramReceiver::DatagramReceiver(std::function<void()> announce)
    : announce(std::move(announce)) {}

DatagramReceiver::~DatagramReceiver() {
    stop();
}

bool DatagramReceiver::start(const std::vector<Source>& readFrom, int* error) {
    stop();
    wakeDescriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeDescriptor < 0) {
        reportError(error, errno);
        return false;
    }
    {
        const std::lock_guard lock(mutex);
        stopping = false;
    }
    thread = std::thread([this, readFrom] { run(readFrom); });
    return true;
}

void DatagramReceiver::stop() {
    if (!thread.joinable())
        return;
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    roomMade.notify_all();
    const quint64 wake = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeDescriptor, &wake, sizeof wake);
    thread.join();
    ::close(wakeDescriptor);
    wakeDescriptor = -1;
}

void DatagramReceiver::reset() {
    const std::lock_guard lock(mutex);
    arrived.clear();
    arrivedCount = 0;
    backlog.clear();
    queuedBytes = 0;
    announced = false;
    failure = 0;
    reads = 0;
    dropsBySocket.clear();
}

std::vector<ReceivedDatagram> DatagramReceiver::take(std::size_t maxCount) {
    std::vector<std::vector<ReceivedDatagram>> fresh;
    {
        const std::lock_guard lock(mutex);
        if (backlog.size() < maxCount) {
            fresh.swap(arrived);
            if (backlog.size() + arrivedCount <= maxCount && failure == 0)
                announced = false;
            arrivedCount = 0;
        }
    }
    for (std::vector<ReceivedDatagram>& batch : fresh)
        std::move(batch.begin(), batch.end(), std::back_inserter(backlog));
    std::vector<ReceivedDatagram> taken;
    const std::size_t n = std::min(maxCount, backlog.size());
    taken.reserve(n);
    std::size_t takenBytes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        takenBytes += std::size_t(backlog.front().bytes.size()) + kCostPerDatagram;
        taken.push_back(std::move(backlog.front()));
        backlog.pop_front();
    }
    bool roomAgain = false;
    if (takenBytes > 0) {
        const std::lock_guard lock(mutex);
        roomAgain = queuedBytes >= kQueueLimitBytes;
        queuedBytes -= takenBytes;
        roomAgain = roomAgain && queuedBytes < kQueueLimitBytes;
    }
    if (roomAgain)
        roomMade.notify_all();
    return taken;
}

int DatagramReceiver::takeFailure() {
    const std::lock_guard lock(mutex);
    const int taken = failure;
    failure = 0;
    if (backlog.empty() && arrivedCount == 0)
        announced = false;
    return taken;
}

quint64 DatagramReceiver::readCount() const {
    const std::lock_guard lock(mutex);
    return reads;
}

quint64 DatagramReceiver::dropCount() const {
    const std::lock_guard lock(mutex);
    quint64 total = 0;
    for (const auto& [descriptor, drops] : dropsBySocket)
        total += drops;
    return total;
}

// A datagram read, with what puts it in its place among those of all sockets.
struct DatagramReceiver::Arrival {
    qint64 stampNs = 0; // when the system received it
    quint64 readAt = 0; // in the order of reading, for equal stamps
    std::size_t cost = 0;
    ReceivedDatagram datagram;
};

void DatagramReceiver::run(std::vector<Source> readFrom) {
    askForPromptWakeUps();
    ReadBuffers buffers;
    std::vector<Arrival> held;
    std::vector<pollfd> watched;
    for (const Source& source : readFrom)
        watched.push_back({source.descriptor, POLLIN, 0});
    watched.push_back({wakeDescriptor, POLLIN, 0});
    for (;;) {
        if (!waitForRoom())
            break;
        if (::poll(watched.data(), nfds_t(watched.size()), held.empty() ? -1 : kSettleMs) < 0) {
            if (errno != EINTR) {
                noteFailure(errno);
                ::poll(&watched.back(), 1, kPauseAfterFailureMs);
            }
            continue;
        }
        if (watched.back().revents != 0)
            break;
        const qint64 passStart = systemTimeNs();
        bool ending = false;
        for (std::size_t i = 0; i < readFrom.size() && !ending; ++i) {
            if (watched[i].revents != 0)
                ending = !drain(readFrom[i], buffers, held);
        }
        if (ending)
            break;
        release(held, passStart - kSettleNs);
    }
    // What was read goes to the taker, also when reading ends.
    release(held, std::numeric_limits<qint64>::max());
}

bool DatagramReceiver::drain(const Source& source, ReadBuffers& buffers,
                             std::vector<Arrival>& held) {
    for (;;) {
        const int count = ::recvmmsg(source.descriptor, buffers.headers.data(), kDatagramsPerRead,
                                     MSG_DONTWAIT, nullptr);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                noteFailure(errno);
                pollfd wake{wakeDescriptor, POLLIN, 0};
                ::poll(&wake, 1, kPauseAfterFailureMs);
            }
            return true;
        }
        const qint64 readNs = systemTimeNs();
        // Each datagram tells how many the system had dropped before it; 0 goes untold.
        quint32 dropsSoFar = 0;
        for (int i = 0; i < count; ++i) {
            msghdr& message = buffers.headers[std::size_t(i)].msg_hdr;
            const auto& entry = buffers.entries[std::size_t(i)];
            int interfaceIndex = 0;
            Arrival arrival;
            arrival.stampNs = readNs;
            arrival.readAt = ++readCounter;
            for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
                 header = CMSG_NXTHDR(&message, header)) {
                if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info{};
                    std::memcpy(&info, CMSG_DATA(header), sizeof info);
                    interfaceIndex = info.ipi_ifindex;
                } else if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SO_RXQ_OVFL) {
                    quint32 drops = 0;
                    std::memcpy(&drops, CMSG_DATA(header), sizeof drops);
                    dropsSoFar = std::max(dropsSoFar, drops);
                } else if (header->cmsg_level == SOL_SOCKET &&
                           header->cmsg_type == SCM_TIMESTAMPNS) {
                    timespec stamp{};
                    std::memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
                    arrival.stampNs = qint64(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec;
                }
            }
            if (source.onlyFromInterface != 0 && interfaceIndex != source.onlyFromInterface)
                continue;
            ReceivedDatagram& datagram = arrival.datagram;
            datagram.sourceIp = net::intToIpText(ntohl(entry.source.sin_addr.s_addr));
            if (message.msg_flags & MSG_TRUNC)
                datagram.error = EMSGSIZE;
            else
                datagram.bytes = QByteArray(entry.bytes.data(),
                                            qsizetype(buffers.headers[std::size_t(i)].msg_len));
            arrival.cost = std::size_t(datagram.bytes.size()) + kCostPerDatagram;
            held.push_back(std::move(arrival));
        }
        for (int i = 0; i < count; ++i)
            buffers.renew(std::size_t(i));
        if (dropsSoFar > 0)
            noteDrops(source.descriptor, dropsSoFar);
        if (count < int(kDatagramsPerRead))
            return true;
        if (!waitForRoom())
            return false;
    }
}

void DatagramReceiver::release(std::vector<Arrival>& held, qint64 horizonNs) {
    const auto settled = std::partition(held.begin(), held.end(), [horizonNs](const Arrival& one) {
        return one.stampNs <= horizonNs;
    });
    if (settled == held.begin())
        return;
    std::sort(held.begin(), settled, [](const Arrival& a, const Arrival& b) {
        return a.stampNs != b.stampNs ? a.stampNs < b.stampNs : a.readAt < b.readAt;
    });
    std::vector<ReceivedDatagram> inOrder;
    inOrder.reserve(std::size_t(settled - held.begin()));
    std::size_t bytes = 0;
    for (auto one = held.begin(); one != settled; ++one) {
        bytes += one->cost;
        inOrder.push_back(std::move(one->datagram));
    }
    held.erase(held.begin(), settled);
    deliver(std::move(inOrder), bytes);
}

void DatagramReceiver::deliver(std::vector<ReceivedDatagram> read, std::size_t bytes) {
    if (read.empty())
        return;
    bool announceNow = false;
    {
        const std::lock_guard lock(mutex);
        reads += read.size();
        arrivedCount += read.size();
        arrived.push_back(std::move(read));
        queuedBytes += bytes;
        announceNow = !announced;
        announced = true;
    }
    if (announceNow)
        announce();
}

void DatagramReceiver::noteDrops(int descriptor, quint32 total) {
    const std::lock_guard lock(mutex);
    for (auto& [known, drops] : dropsBySocket) {
        if (known == descriptor) {
            drops = std::max(drops, total);
            return;
        }
    }
    dropsBySocket.emplace_back(descriptor, total);
}

void DatagramReceiver::noteFailure(int error) {
    bool announceNow = false;
    {
        const std::lock_guard lock(mutex);
        if (failure == 0)
            failure = error;
        announceNow = !announced;
        announced = true;
    }
    if (announceNow)
        announce();
}

// While the queue is full the datagrams stay with the system, which drops (and counts) what
// its buffer cannot hold.
bool DatagramReceiver::waitForRoom() {
    std::unique_lock lock(mutex);
    roomMade.wait(lock, [this] { return stopping || queuedBytes < kQueueLimitBytes; });
    return !stopping;
}

} // namespace protocol
