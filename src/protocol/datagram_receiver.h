#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace protocol {

// One datagram as it was read, with its sender.
struct ReceivedDatagram {
    QByteArray bytes;
    QString sourceIp;
    // 0, or the error number of a datagram that could not be read whole: EMSGSIZE for one
    // longer than the receive buffer, whose bytes are then left out.
    int error = 0;
};

// Reads the datagrams of some sockets on a thread of its own, as fast as the system delivers
// them, into a queue that another thread takes them from in the order the system received
// them (SO_TIMESTAMPNS on every socket), across all the sockets. A busy taker therefore never
// makes the system's receive buffers overflow; the queue itself is bounded, and while it is
// full the thread leaves datagrams to the system.
class DatagramReceiver {
public:
    struct Source {
        int descriptor = -1;
        // Only datagrams that came in on this interface are taken (needs IP_PKTINFO on the
        // socket); 0 takes all.
        int onlyFromInterface = 0;
    };

    // `announce` runs on the receive thread when datagrams (or a failure) wait and none were
    // announced since the taker last found the queue empty.
    explicit DatagramReceiver(std::function<void()> announce);
    ~DatagramReceiver();
    DatagramReceiver(const DatagramReceiver&) = delete;
    DatagramReceiver& operator=(const DatagramReceiver&) = delete;

    // Starts reading these sockets (SO_TIMESTAMPNS on, for the order, and SO_RXQ_OVFL, for
    // the drop count). The
    // queue and the counts go on from where they are, so the thread may be started again
    // with another set of sockets.
    bool start(const std::vector<Source>& sources, int* error);
    // Ends the thread and waits for it. What it read stays in the queue.
    void stop();
    bool isRunning() const { return thread.joinable(); }
    // Empties the queue and the counts, for a new socket.
    void reset();

    // The oldest datagrams read, at most maxCount. The next announcement comes only once a
    // call has found the queue empty, so a taker that leaves datagrams behind comes back for
    // them by itself.
    std::vector<ReceivedDatagram> take(std::size_t maxCount);
    // The first failure of a socket itself (not of one datagram) since the last call, or 0.
    int takeFailure();
    // Datagrams read (whole or not) and datagrams the system dropped for want of buffer
    // on the sockets, both since the last reset().
    quint64 readCount() const;
    quint64 dropCount() const;
    // The system's running count of drops on a socket, as learned besides the datagrams
    // (which tell it only when they come after a drop).
    void noteDrops(int descriptor, quint32 total);

private:
    struct ReadBuffers;
    struct Arrival;

    void run(std::vector<Source> sources);
    // Reads one socket until it has nothing more; false when the thread is to end.
    bool drain(const Source& source, ReadBuffers& buffers, std::vector<Arrival>& held);
    // Hands over, in the order the system received them, the datagrams it received up to the
    // horizon.
    void release(std::vector<Arrival>& held, qint64 horizonNs);
    void deliver(std::vector<ReceivedDatagram> read, std::size_t bytes);
    void noteFailure(int error);
    bool waitForRoom();

    std::function<void()> announce;
    std::thread thread;
    int wakeDescriptor = -1;
    quint64 readCounter = 0; // the thread's own

    mutable std::mutex mutex;
    std::condition_variable roomMade;
    // Read and not yet handed to the taker, one batch per read of the thread. The taker moves
    // them all to its own side at once, so neither thread holds the lock for long.
    std::vector<std::vector<ReceivedDatagram>> arrived;
    std::size_t arrivedCount = 0;
    std::size_t queuedBytes = 0; // of the arrived datagrams and the taker's together
    bool announced = false;
    bool stopping = false;
    int failure = 0;
    quint64 reads = 0;
    // The system's running count of drops, per socket descriptor.
    std::vector<std::pair<int, quint32>> dropsBySocket;

    // The taker's side, touched by the taking thread only.
    std::deque<ReceivedDatagram> backlog;
};

} // namespace protocol
