#include "engine/device_engine.h"

namespace engine {

DeviceEngine::DeviceEngine(Endpoint& endpoint, Clock& clock, LogSink& log)
    : DeviceEngine(endpoint, clock, log, noJournal) {}

DeviceEngine::DeviceEngine(Endpoint& endpoint, Clock& clock, LogSink& log, ChangeJournal& journal)
    : session(endpoint, clock, log, eventSink), destinations(session, log),
      scan(session, clock, log, eventSink, deviceSet, destinations),
      changes(session, clock, log, eventSink, deviceSet, journal, policy),
      manyChanges(session, clock, log, deviceSet, journal, policy),
      commands(session, log, eventSink, destinations) {
    session.setDispatch([this](const protocol::ReceiveBuffer& datagram, const QString& sourceIp) {
        dispatch(datagram, sourceIp);
    });
    // A scan period and a change waiting for its answers keep the endpoint from an
    // operation that ends; the reads open it again when they send next.
    session.setStillNeeded(
        [this] { return scan.holdsEndpoint() || changes.underWay() || manyChanges.busy(); });
    changes.setRestartDevice([this](const QString& mac, const QString& ip) {
        commands.restart(Target{mac, ip});
    });
}

DeviceEngine::~DeviceEngine() = default;

void DeviceEngine::setIntervals(const Intervals& intervals) {
    scan.setIntervals(intervals.scanPeriod, intervals.readPace);
    changes.setWatchInterval(intervals.changeWatch);
}

void DeviceEngine::setInterfaces(const net::tNetworkInterfaceList& interfaces) {
    destinations.setInterfaces(interfaces);
    policy.setInterfaces(interfaces);
}

void DeviceEngine::setAdapter(const QString& adapterIp) {
    session.setAdapter(adapterIp);
    policy.setAdapter(adapterIp);
}

void DeviceEngine::setDhcpTicked(bool ticked) {
    destinations.setDhcpTicked(ticked);
}

void DeviceEngine::setLineIndex(std::function<int(DeviceId)> lineIndex) {
    scan.setLineIndex(std::move(lineIndex));
}

void DeviceEngine::setParallelReads(int inFlight, int answerWaitMs) {
    scan.setParallelReads(inFlight, answerWaitMs);
}

bool DeviceEngine::startScan() {
    changes.endForScan();
    scan.dropReads();
    // The scan takes the endpoint over; it closes it when it ends.
    session.cancelCloses();
    return scan.startScan();
}

bool DeviceEngine::openEndpoint(Activity activity) {
    return session.open(activity);
}

void DeviceEngine::readMissing(const QString& mac, bool netmask, bool gateway) {
    if (!session.open(Activity::Reading))
        return;
    if (netmask)
        scan.readParam(mac, Field::Netmask);
    if (gateway)
        scan.readParam(mac, Field::Gateway);
    session.requestClose({});
}

void DeviceEngine::blink(const std::optional<Target>& target) {
    commands.blink(target);
}

void DeviceEngine::restart(const std::optional<Target>& target) {
    commands.restart(target);
}

ChangeStart DeviceEngine::change(const ChangeRequest& request) {
    return changes.start(request);
}

void DeviceEngine::setParallelChanges(int inFlight, int confirmationTimeoutMs) {
    manyChanges.setLimits(inFlight, confirmationTimeoutMs);
}

void DeviceEngine::changeMany(const std::vector<ChangeRequest>& requests,
                              ChangeScheduler::Listener listener) {
    manyChanges.run(requests, std::move(listener));
}

void DeviceEngine::finishCurrentValue() {
    changes.finishCurrentValue();
    manyChanges.finishCurrentValues();
}

void DeviceEngine::answerRestartOffer(bool restart) {
    changes.answerRestartOffer(restart);
}

QString DeviceEngine::destinationFor(const QString& deviceIp) const {
    return destinations.forDevice(deviceIp);
}

void DeviceEngine::dispatch(const protocol::ReceiveBuffer& datagram, const QString& sourceIp) {
    const quint8 code = datagram[1];
    switch (code) {
    case protocol::answerCode(protocol::dcScan):
        scan.scanAnswer(datagram, sourceIp);
        break;
    case protocol::answerCode(protocol::dcReadNetmask):
        scan.readAnswer(datagram, sourceIp, Field::Netmask);
        break;
    case protocol::answerCode(protocol::dcReadGateway):
        scan.readAnswer(datagram, sourceIp, Field::Gateway);
        break;
    case protocol::answerCode(protocol::dcBlink):
        commands.blinkAnswer(datagram[2]);
        break;
    case protocol::answerCode(protocol::dcSetIpPermanent):
    case protocol::answerCode(protocol::dcSetIpTemporary):
    case protocol::answerCode(protocol::dcSetNetmaskPermanent):
    case protocol::answerCode(protocol::dcSetNetmaskTemporary):
    case protocol::answerCode(protocol::dcSetGatewayPermanent):
    case protocol::answerCode(protocol::dcSetGatewayTemporary):
    case protocol::answerCode(protocol::dcSetDhcp):
        if (manyChanges.busy())
            manyChanges.answer(code, datagram[2], sourceIp);
        else
            changes.answer(code, datagram[2], sourceIp);
        break;
    default:
        break;
    }
}

} // namespace engine
