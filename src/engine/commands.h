#pragma once

#include <QString>

#include <optional>

namespace engine {

class DestinationRule;
class EndpointSession;
class Events;
class LogSink;

// The device a command is for: its MAC picks it, its IP decides the destination.
struct Target {
    QString mac;
    QString ip;
};

// Blink and restart: one frame each, sent at once; the endpoint is closed after them. The
// endpoint must have been opened first.
class Commands {
public:
    Commands(EndpointSession& session, LogSink& log, Events& events,
             const DestinationRule& destinations)
        : session(session), log(log), events(events), destinations(destinations) {}

    // Without a target nothing is sent; the endpoint is closed all the same.
    void blink(const std::optional<Target>& target);
    void restart(const std::optional<Target>& target);
    void blinkAnswer(quint8 status);

private:
    EndpointSession& session;
    LogSink& log;
    Events& events;
    const DestinationRule& destinations;
};

} // namespace engine
