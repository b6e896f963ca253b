#pragma once

#include "engine/address_policy.h"
#include "engine/change_scheduler.h"
#include "engine/change_transaction.h"
#include "engine/commands.h"
#include "engine/destination.h"
#include "engine/device_set.h"
#include "engine/discovery.h"
#include "engine/endpoint_session.h"
#include "engine/events.h"
#include "engine/port_claim.h"

#include <functional>
#include <optional>

namespace engine {

class Clock;
class Endpoint;
class LogSink;

// The intervals of the protocol's timers, in milliseconds.
struct Intervals {
    int scanPeriod = 2500; // how long a scan takes answers in
    int changeWatch = 200; // one tick of the watch for a change's first answer
    int readPace = 1500;   // one device's netmask and gateway reads per interval
};

// Finds and configures the gateways: the scan and its reads, the address change, blink and
// restart, all over one endpoint, with time from one clock. Every call returns at once; what
// follows is reported through events(). Nothing here waits or runs an event loop, so the
// engine works the same under a window, a command line or a test's fake clock.
class DeviceEngine {
public:
    DeviceEngine(Endpoint& endpoint, Clock& clock, LogSink& log);
    // Every change is written into the journal as it goes.
    DeviceEngine(Endpoint& endpoint, Clock& clock, LogSink& log, ChangeJournal& journal);
    ~DeviceEngine();
    DeviceEngine(const DeviceEngine&) = delete;
    DeviceEngine& operator=(const DeviceEngine&) = delete;

    Events& events() { return eventSink; }

    // Settings, read by every later operation.
    void setIntervals(const Intervals& intervals);
    void setInterfaces(const net::tNetworkInterfaceList& interfaces);
    // The adapter the next endpoint is bound to, and the local side of the destination rule.
    void setAdapter(const QString& adapterIp);
    // While ticked, every request for one device is broadcast.
    void setDhcpTicked(bool ticked);
    void setLineIndex(std::function<int(DeviceId)> lineIndex);
    // Reads of short answers for many devices at once (more than 1 in flight), each asked
    // again once after answerWaitMs without an answer; 1 keeps the pace of one device per
    // read interval.
    void setParallelReads(int inFlight, int answerWaitMs);
    // Taken whenever the endpoint opens, given back when it closes; a front end without one
    // holds the port itself.
    void setPortClaim(PortClaim* claim) { session.setPortClaim(claim); }

    // Operations.
    // A new scan: ends a change still under way and the reads still to do, empties the
    // device set and broadcasts the scan. False when the endpoint could not be opened
    // (reported as a failure): nothing was sent and the device set is as it was.
    bool startScan();
    // False when the operation must not go on (reported as a failure).
    bool openEndpoint(Activity activity);
    // Reads the missing netmask and gateway of one device, then closes the endpoint.
    void readMissing(const QString& mac, bool netmask, bool gateway);
    // These two expect openEndpoint() before them.
    void blink(const std::optional<Target>& target);
    void restart(const std::optional<Target>& target);
    ChangeStart change(const ChangeRequest& request);
    // The changes of many devices at once (see ChangeScheduler), at most inFlight of them,
    // each request waiting confirmationTimeoutMs for its answer.
    void setParallelChanges(int inFlight, int confirmationTimeoutMs);
    void changeMany(const std::vector<ChangeRequest>& requests, ChangeScheduler::Listener listener);
    void answerRestartOffer(bool restart);
    // Every change under way, one or many, writes its current value to the end and nothing
    // further.
    void finishCurrentValue();
    // The change under way ends now, its outstanding value recorded with this outcome.
    void abandonChange(ValueOutcome outcome) { changes.abandon(outcome); }
    // The changes of many under way end now, their outstanding values recorded as
    // interrupted; none further begins.
    void interruptChanges() { manyChanges.interrupt(); }

    // State.
    const DeviceSet& devices() const { return deviceSet; }
    const Discovery& discovery() const { return scan; }
    const ChangeTransaction& transaction() const { return changes; }
    bool endpointOpen() const { return session.isOpen(); }
    int endpointHandle() const { return session.handle(); }
    const QString& adapter() const { return session.adapter(); }
    const net::tNetworkInterfaceList& interfaces() const { return destinations.localInterfaces(); }
    // The rules every change's addresses keep, for one who decides changes before making them.
    const AddressPolicy& addressPolicy() const { return policy; }
    // Where a request for the device at deviceIp goes now (the rule writes its log lines).
    QString destinationFor(const QString& deviceIp) const;
    // The first-answer watch's tick, for a front end that drives it itself.
    void changeWatchTick() { changes.watchTick(); }

private:
    void dispatch(const protocol::ReceiveBuffer& datagram, const QString& sourceIp);

    NoJournal noJournal;
    Events eventSink;
    DeviceSet deviceSet;
    EndpointSession session;
    DestinationRule destinations;
    AddressPolicy policy;
    Discovery scan;
    ChangeTransaction changes;
    ChangeScheduler manyChanges;
    Commands commands;
};

} // namespace engine
