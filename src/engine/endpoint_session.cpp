#include "engine/endpoint_session.h"

#include "engine/events.h"
#include "engine/log_sink.h"

#include <QStringBuilder>

#include <cerrno>

namespace engine {

EndpointSession::EndpointSession(Endpoint& endpoint, Clock& clock, LogSink& log, Events& events)
    : endpoint(endpoint), log(log), events(events), continuation(clock), grace(clock) {
    endpoint.setListener(this);
}

EndpointSession::~EndpointSession() {
    endpoint.setListener(nullptr);
}

bool EndpointSession::open(Activity activity) {
    log.logStringWithTime(QStringLiteral("Create Socket, current handle %1").arg(handle()));
    if (portClaim && !portClaim->claim(activity)) {
        log.logStringWithTime(QStringLiteral("Port in use by ") + portClaim->holder() +
                              QStringLiteral(", nothing sent"));
        emit events.failed({Failure::Kind::PortInUse, 0, portClaim->holder()});
        return false;
    }
    if (handle() == 0) {
        int error = 0;
        if (!endpoint.create(&error)) {
            // The handle stays 0, so the next operation tries again.
            emit events.failed({Failure::Kind::SocketError, error});
        } else {
            // Sent from elsewhere, the requests would go out through whatever the system
            // chose and their answers to another program: nothing is sent.
            if (!endpoint.bind(adapterIp, &error)) {
                emit events.failed({Failure::Kind::BindError, error});
                endpoint.close(nullptr);
                log.logStringWithTime(
                    QStringLiteral("Bind failed with error %1, socket closed, nothing sent")
                        .arg(error));
                releasePort();
                return false;
            }
            endpoint.permitBroadcast();
            log.logStringWithTime(QStringLiteral("Bound FSocket handle %1").arg(handle()));
            if (!endpoint.startEvents(&error)) {
                emit events.failed({Failure::Kind::SocketError, error});
                return true;
            }
            log.logStringWithTime(QStringLiteral("Start WSAAsyncSelect %1").arg(handle()));
        }
    }
    socketOpen = true;
    return true;
}

bool EndpointSession::send(const QByteArray& frame, const QString& destinationIp, int* error) {
    return endpoint.sendTo(frame, destinationIp, error);
}

void EndpointSession::datagramsArrived() {
    if (takeBatch())
        takeInLater();
}

void EndpointSession::writable() {
    log.logStringWithTime(QStringLiteral("Socketmessage received of type: 2"));
    log.logStringWithTime(QStringLiteral("Socketmessage FD_WRITE "));
}

bool EndpointSession::takeBatch() {
    // A front end that runs an event loop inside one of the events below must not see the
    // intake start again inside itself: the rest waits for the next turn.
    if (takingIn) {
        takeInLater();
        return false;
    }
    takingIn = true;
    const std::vector<ReceivedDatagram> batch = endpoint.takeDatagrams(kBatchSize);
    if (!batch.empty())
        emit events.batchBegins();
    for (const ReceivedDatagram& datagram : batch) {
        log.logStringWithTime(QStringLiteral("Socketmessage received of type: 1"));
        const int error = datagram.error != 0 ? datagram.error
                          : datagram.bytes.size() > qsizetype(protocol::kReceiveBufferSize)
                              ? EMSGSIZE
                              : 0;
        if (error != 0) {
            // One bad datagram is counted and passed over; the scan reports the count.
            ++unreadableCount;
            log.logStringWithTime(QStringLiteral("Socketmessage FD_READ error %1 from %2")
                                      .arg(error)
                                      .arg(datagram.sourceIp));
            continue;
        }
        log.logStringWithTime(QStringLiteral("Socketmessage FD_READ ") %
                              QString::number(datagram.bytes.size()));
        if (datagram.bytes.isEmpty() || !dispatch)
            continue;
        protocol::ReceiveBuffer buffer{};
        std::copy(datagram.bytes.cbegin(), datagram.bytes.cend(), buffer.begin());
        dispatch(buffer, datagram.sourceIp);
    }
    if (!batch.empty())
        emit events.batchEnds();
    takingIn = false;
    return batch.size() == kBatchSize;
}

void EndpointSession::takeInLater() {
    if (!continuation.isActive())
        continuation.startOnce(0, [this] { datagramsArrived(); });
}

void EndpointSession::requestClose(CloseRequest request) {
    closes.push_back(std::move(request));
    if (!grace.isActive())
        startGrace();
}

void EndpointSession::cancelCloses() {
    closes.clear();
    grace.stop();
}

void EndpointSession::startGrace() {
    grace.startOnce(kCloseGraceMs, [this] { endGrace(); });
}

void EndpointSession::endGrace() {
    // Everything read before the close is still handled.
    while (takeBatch()) {
    }
    CloseRequest request = std::move(closes.front());
    closes.pop_front();
    if (!closes.empty())
        startGrace();
    if (request.beforeClosing)
        request.beforeClosing();
    log.logStringWithTime(QStringLiteral("doCloseSocket handle %1").arg(handle()));
    if (!socketOpen || (stillNeeded && stillNeeded()))
        return;
    const int closedHandle = handle();
    int error = 0;
    const bool closed = endpoint.close(&error);
    // The descriptor is gone either way.
    releasePort();
    if (!closed) {
        log.logStringWithTime(QStringLiteral("CloseSocket Error%1").arg(error));
        log.logStringWithTime(QStringLiteral("CloseSocket error do  buttons %1").arg(handle()));
        emit events.endpointClosed({false, request.offerRestart});
        return;
    }
    log.logStringWithTime(QStringLiteral("CloseSocket closed %1").arg(closedHandle));
    socketOpen = false;
    log.logStringWithTime(QStringLiteral("CloseSocket success do buttons %1").arg(handle()));
    emit events.endpointClosed({true, request.offerRestart});
}

void EndpointSession::releasePort() {
    if (portClaim)
        portClaim->release();
}

} // namespace engine
