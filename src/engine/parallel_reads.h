#pragma once

#include "engine/clock.h"
#include "engine/device_record.h"
#include "engine/outcomes.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace engine {

class DeviceSet;
class LogSink;

// The netmask and gateway reads of many devices at once, a bounded number in flight. The
// read answers carry no MAC, only their source address tells them apart: so at most one
// device per address is read at a time, and devices sharing an IP wait for each other. A
// device that does not answer in time is asked once more, then given up. Each MAC is read
// once, however often its short answer arrives.
class ParallelReads {
public:
    // Sends one read for the device of this MAC; false when it could not be sent.
    using Send = std::function<bool(const QString& mac, Field field)>;

    ParallelReads(Clock& clock, LogSink& log, const DeviceSet& devices, Send send);
    ~ParallelReads();

    void setLimits(int inFlight, int answerWaitMs);
    // Runs when the last read still to do is answered or given up.
    void setDrained(std::function<void()> drained) { this->drained = std::move(drained); }

    // A new scan: nothing is in flight or waiting, and every MAC may be read again.
    void reset();
    // The device of this MAC sent a short answer.
    void want(const QString& mac);
    // The device whose read of this field waits at this address, if one does.
    std::optional<DeviceId> reader(const QString& sourceIp, Field field) const;
    // That device's answer has been taken in.
    void answered(const QString& sourceIp, Field field);

    bool busy() const { return !waiting.empty() || !inFlight.empty(); }
    // Devices whose reads were sent since the scan began, and those still waiting.
    int started() const { return startedCount; }
    int queued() const { return int(waiting.size()); }

private:
    struct Read;

    void startMore();
    void send(Read& read);
    void expired(const QString& ip);
    void settle(const QString& ip);

    Clock& clock;
    LogSink& log;
    const DeviceSet& devices;
    Send sendRead;
    std::function<void()> drained;
    int limit = 32;
    int waitMs = 3000;
    std::deque<QString> waiting;
    QSet<QString> seenMacs;
    // By the address the answers come from.
    QHash<QString, std::shared_ptr<Read>> inFlight;
    int startedCount = 0;
};

} // namespace engine
