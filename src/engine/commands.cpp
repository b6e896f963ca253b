#include "engine/commands.h"

#include "engine/destination.h"
#include "engine/endpoint_session.h"
#include "engine/events.h"
#include "engine/log_sink.h"
#include "protocol/frame.h"

namespace engine {

void Commands::blink(const std::optional<Target>& target) {
    const auto macBytes = target ? protocol::macBytesFromText(target->mac) : std::nullopt;
    if (!target) {
        log.logStringOnly(QStringLiteral("No device line, blink not sent"));
    } else {
        emit events.statusChanged(Status::Blinktest);
        const QString destination = destinations.forDevice(target->ip);
        int error = 0;
        if (!macBytes ||
            !session.send(protocol::buildFrame(protocol::dcBlink, *macBytes), destination, &error))
            emit events.failed({Failure::Kind::BlinkSendFailed, error});
    }
    session.requestClose({});
}

void Commands::restart(const std::optional<Target>& target) {
    log.logStringOnly(QStringLiteral("Send device restart!"));
    const auto macBytes = target ? protocol::macBytesFromText(target->mac) : std::nullopt;
    if (!macBytes) {
        log.logStringOnly(QStringLiteral("No device line, restart not sent"));
    } else {
        const QString destination = destinations.forDevice(target->ip);
        int error = 0;
        if (!session.send(protocol::buildFrame(protocol::dcRestart, *macBytes), destination,
                          &error))
            emit events.failed({Failure::Kind::RestartSendFailed, error});
    }
    session.requestClose({});
}

void Commands::blinkAnswer(quint8 status) {
    if (status == 1)
        emit events.statusChanged(Status::BlinktestNotAllowed);
}

} // namespace engine
