#pragma once

#include "engine/clock.h"
#include "engine/endpoint.h"
#include "engine/port_claim.h"
#include "protocol/frame.h"

#include <QString>

#include <deque>
#include <functional>

namespace engine {

class Events;
class LogSink;

// The engine's side of the endpoint: opened on demand by each operation, datagrams taken in
// by batches and handed on one by one in arrival order, and closed when an operation ends,
// after a grace period during which late answers are still taken in.
class EndpointSession : public EndpointListener {
public:
    using Dispatch =
        std::function<void(const protocol::ReceiveBuffer& datagram, const QString& sourceIp)>;

    // The most datagrams handled before the event loop gets its turn again.
    static constexpr std::size_t kBatchSize = 64;
    // The wait for late answers before an operation's endpoint is closed.
    static constexpr int kCloseGraceMs = 505;

    EndpointSession(Endpoint& endpoint, Clock& clock, LogSink& log, Events& events);
    ~EndpointSession() override;

    // The local address the next endpoint is bound to.
    void setAdapter(const QString& ip) { adapterIp = ip; }
    const QString& adapter() const { return adapterIp; }
    // Receives every datagram that was read, with its source address.
    void setDispatch(Dispatch dispatch) { this->dispatch = std::move(dispatch); }
    // Asked when a close is due: an operation still running keeps its endpoint open.
    void setStillNeeded(std::function<bool()> stillNeeded) {
        this->stillNeeded = std::move(stillNeeded);
    }

    // Taken before the endpoint opens and given back when it closes; none: the front end
    // holds the port itself.
    void setPortClaim(PortClaim* claim) { portClaim = claim; }

    bool isOpen() const { return socketOpen; }
    int handle() const { return endpoint.handle(); }
    // Opens the endpoint unless it is open already; failures are reported as events. False
    // when the operation must send nothing: another program holds the port, or the adapter
    // address could not be bound (the endpoint is closed again).
    bool open(Activity activity);
    bool send(const QByteArray& frame, const QString& destinationIp, int* error);

    struct CloseRequest {
        // Runs when the grace period is over, before the endpoint is closed.
        std::function<void()> beforeClosing;
        bool offerRestart = false;
    };
    // Ends an operation. Requests are served one after the other, each after its own grace
    // period.
    void requestClose(CloseRequest request);
    // Forgets the closes still waiting: a new operation has taken the endpoint over.
    void cancelCloses();
    bool closing() const { return !closes.empty(); }

    // Datagrams that could not be read since the last reset.
    int unreadable() const { return unreadableCount; }
    quint64 dropped() const { return endpoint.droppedCount(); }
    void resetUnreadable() { unreadableCount = 0; }

    void datagramsArrived() override;
    void writable() override;

private:
    // Takes one batch in; true when more may be waiting.
    bool takeBatch();
    void takeInLater();
    void startGrace();
    void endGrace();
    void releasePort();

    Endpoint& endpoint;
    LogSink& log;
    Events& events;
    Dispatch dispatch;
    std::function<bool()> stillNeeded;
    PortClaim* portClaim = nullptr;
    QString adapterIp;
    bool socketOpen = false;
    bool takingIn = false;
    int unreadableCount = 0;
    Timer continuation;
    Timer grace;
    std::deque<CloseRequest> closes;
};

} // namespace engine
