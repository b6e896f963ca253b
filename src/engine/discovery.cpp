#include "engine/discovery.h"

#include "engine/destination.h"
#include "engine/device_set.h"
#include "engine/endpoint_session.h"
#include "engine/events.h"
#include "engine/log_sink.h"
#include "net/ipv4.h"

#include <QStringBuilder>

namespace engine {

Discovery::Discovery(EndpointSession& session, Clock& clock, LogSink& log, Events& events,
                     DeviceSet& devices, const DestinationRule& destinations)
    : session(session), log(log), events(events), devices(devices), destinations(destinations),
      lineIndex([](DeviceId id) { return int(id); }), scanPeriod(clock), scanEndPause(clock),
      readTicks(clock), readGap(clock), readsEndPause(clock),
      reads(clock, log, devices, [this](const QString& mac, Field field) {
          if (field == Field::Netmask)
              reportProgress();
          const bool sent = readParam(mac, field);
          if (!sent)
              emit this->events.failed({Failure::Kind::ReadsNotRetrieved, 0});
          return sent;
      }) {
    reads.setDrained([this] {
        // During the scan period more short answers may come; its end finishes the reads.
        if (!scanRunning() && !scanEndPause.isActive())
            finishParallelReads();
    });
}

void Discovery::setIntervals(int scanPeriodMs, int readIntervalMs) {
    this->scanPeriodMs = scanPeriodMs;
    this->readIntervalMs = readIntervalMs;
}

void Discovery::setParallelReads(int inFlight, int answerWaitMs) {
    parallelLimit = inFlight;
    reads.setLimits(inFlight, answerWaitMs);
}

bool Discovery::holdsEndpoint() const {
    return scanRunning() || (parallel() && reads.busy());
}

bool Discovery::startScan() {
    if (!session.open(Activity::Scanning))
        return false;
    // A scan started while one runs ends with the first one's period.
    if (!scanPeriod.isActive())
        scanPeriod.startOnce(scanPeriodMs, [this] { endScanPeriod(); });
    scanEndPause.stop();
    devices.clear();
    emit events.devicesCleared();
    emit events.statusChanged(Status::Scanning);
    session.resetUnreadable();
    droppedBefore = session.dropped();
    log.logStringWithTime(QStringLiteral("Sending scan to %1").arg(session.handle()));
    int error = 0;
    if (!session.send(protocol::buildFrame(protocol::dcScan, {}), protocol::kLimitedBroadcast,
                      &error))
        emit events.failed({Failure::Kind::ScanSendFailed, error});
    return true;
}

void Discovery::dropReads() {
    if (!queue.empty())
        log.logStringOnly(QStringLiteral("Scan started, netmask and gateway reads dropped for "
                                         "%1 devices")
                              .arg(queue.size()));
    queue.clear();
    readTicks.stop();
    readGap.stop();
    readsEndPause.stop();
    readsTaken = 0;
    reads.reset();
    acceptingReads = true;
}

void Discovery::scanAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    emit events.statusChanged(Status::ScanningOk);
    const protocol::ScanAnswer answer = protocol::decodeScanAnswer(buffer);
    // Thousands of answers a second pass here: the lines are built without parsing a format.
    log.logStringOnly(QStringLiteral("insert at Index ") % QString::number(devices.count() + 1));
    const DeviceSet::Entered entered = devices.enter(answer.mac, answer.ip);
    const DeviceId id = entered.id;
    takeAnswer(devices.edit(id), answer);
    devices.edit(id).doubtful = sourceIp != answer.ip;
    devices.edit(id).answeredFrom = sourceIp;
    // A new device is announced with all its answer said, so a list shows it once, complete.
    if (entered.added)
        emit events.deviceAdded(id);
    else
        emit events.deviceChanged(id);
    for (const DeviceId marked : entered.marksChanged) {
        if (marked != id)
            emit events.deviceChanged(marked);
    }
    log.logStringOnly(QStringLiteral("MsgLen von  ") % answer.ip %
                      QStringLiteral(" vor entscheidung ") % QString::number(answer.length));
    if (!answer.carriesParams) {
        log.logStringOnly(QStringLiteral("Add to list index ") % QString::number(lineIndex(id)));
        if (parallel()) {
            shortAnswerInParallel(id, answer.mac);
            return;
        }
        queue.push_back(answer.mac);
        if (!readTicks.isActive()) {
            log.logStringOnly(QStringLiteral("Start trimer get Params"));
            readTicks.startRepeating(readIntervalMs, [this] { readTick(); });
        }
    } else {
        log.logStringOnly(QStringLiteral("Adresse schon da "));
        log.logStringOnly(QStringLiteral("int ") % QString::number(answer.dhcpByte));
        log.logStringOnly(QStringLiteral("int buf dann and mask ") %
                          QString::number(answer.dhcpByte & 0x30));
    }
}

void Discovery::takeAnswer(DeviceRecord& record, const protocol::ScanAnswer& answer) {
    record.typeCode = answer.deviceType;
    record.revision = answer.revision;
    if (!answer.carriesParams) {
        // The reads fill these in.
        record.netmask = AddressField::of(AddressState::Searching);
        record.gateway = AddressField::of(AddressState::Searching);
        record.dhcp = DhcpMode::NotReported;
        return;
    }
    record.netmask = AddressField::value(answer.netmask);
    record.gateway = AddressField::value(answer.gateway);
    record.restart = RestartSupport::Supported;
    switch (protocol::dhcpStateOf(answer.dhcpByte)) {
    case protocol::DhcpState::NotActive:
        record.dhcp = DhcpMode::NotActive;
        break;
    case protocol::DhcpState::Active:
        record.dhcp = DhcpMode::Active;
        break;
    case protocol::DhcpState::NotSupported:
        record.dhcp = DhcpMode::NotSupported;
        record.restart = RestartSupport::NotSupported;
        break;
    }
}

void Discovery::readAnswer(const protocol::ReceiveBuffer& answer, const QString& sourceIp,
                           Field field) {
    const bool isNetmask = field == Field::Netmask;
    log.logStringOnly(isNetmask ? QStringLiteral("Lesen der Netmask ")
                                : QStringLiteral("Lesen der Gateway address "));
    // While the reads go on, their progress stands in for the plain "read".
    if (readsRunning())
        reportProgress();
    else
        emit events.statusChanged(Status::ReadingOk);
    const QString value = net::ipTextFromBytes(answer, 2);
    (isNetmask ? netmask : gateway) = value;
    log.logStringOnly(QStringLiteral("---- ") + value);
    log.logStringWithIndent(QStringLiteral("Insert to List for ") + sourceIp);
    if (parallel()) {
        parallelAnswer(value, sourceIp, field);
        return;
    }
    // The answer carries no MAC: every device listed at its source address takes it.
    for (const DeviceId id : devices.withIp(sourceIp)) {
        DeviceRecord& record = devices.edit(id);
        (isNetmask ? record.netmask : record.gateway) = AddressField::value(value);
        emit events.deviceChanged(id);
    }
}

bool Discovery::readParam(const QString& mac, Field field) {
    const DeviceRecord* device = devices.latestWithMac(mac);
    const QString deviceIp = device ? device->ip : QString();
    const QString destination = destinations.forDevice(deviceIp);
    log.logStringOnly(QStringLiteral("MAC ") + mac);
    log.logStringOnly(QStringLiteral("Adr ") + deviceIp);
    protocol::TDeviceCommand command = protocol::dcReadNetmask;
    if (field == Field::Netmask) {
        log.logStringOnly(QStringLiteral("Preparing Message Netmask for IP ") + deviceIp);
    } else {
        log.logStringOnly(QStringLiteral("Preparing Message Gateway for IP ") + deviceIp);
        command = protocol::dcReadGateway;
    }
    const auto macBytes = protocol::macBytesFromText(mac);
    if (!macBytes)
        return false;
    const QByteArray frame = protocol::buildFrame(command, *macBytes);
    log.logStringOnly(QStringLiteral("SendMessage ") + protocol::frameAsCharacters(frame));
    log.logStringWithTime(QStringLiteral("Sending scan getParam to %1").arg(session.handle()));
    int error = 0;
    if (!session.send(frame, destination, &error)) {
        log.logStringWithTime(QString::number(error));
        return false;
    }
    return true;
}

void Discovery::endScanPeriod() {
    emit events.statusChanged(Status::ScanFinished);
    const ScanSummary summary{session.unreadable(), session.dropped() - droppedBefore};
    if (summary.unreadable > 0)
        log.logStringWithTime(
            QStringLiteral("Datagrams that could not be read: %1").arg(summary.unreadable));
    if (summary.dropped > 0)
        log.logStringWithTime(
            QStringLiteral("Datagrams dropped by the system for want of receive buffer: %1")
                .arg(summary.dropped));
    emit events.scanFinished(summary);
    // With reads still under way, their end closes the endpoint.
    if (!readsRunning())
        scanEndPause.startOnce(kScanEndPauseMs, [this] {
            if (parallel())
                finishParallelReads();
            else
                session.requestClose({});
        });
}

void Discovery::readTick() {
    // A tick that comes while the last device's reads or the end of the reads are still
    // under way waits for them.
    if (readGap.isActive() || readsEndPause.isActive())
        return;
    log.logStringOnly(QStringLiteral("Anzahl in queue: %1").arg(queue.size()));
    if (queue.empty()) {
        readsEndPause.startOnce(kReadsEndPauseMs, [this] { finishReads(); });
        return;
    }
    const QString mac = queue.front();
    queue.pop_front();
    log.logStringOnly(QStringLiteral("Getting list Index: ") + mac);
    log.logStringOnly(QStringLiteral("Anzahl in queue: %1").arg(queue.size()));
    ++readsTaken;
    reportProgress();
    // Another operation (a blink while the reads go on) may have closed the endpoint, and
    // another program may have taken the port since: the reads left are given up then.
    if (!session.isOpen() && !session.open(Activity::Reading)) {
        queue.clear();
        finishReads();
        return;
    }
    const bool netmaskSent = readParam(mac, Field::Netmask);
    readGap.startOnce(kReadGapMs, [this, mac, netmaskSent] {
        // The gateway is not asked for when the netmask could not be.
        if (!netmaskSent || !readParam(mac, Field::Gateway))
            emit events.failed({Failure::Kind::ReadsNotRetrieved, 0});
    });
}

void Discovery::finishReads() {
    // A short answer that came meanwhile queued another device: the reads go on.
    if (!queue.empty())
        return;
    log.logStringOnly(QStringLiteral("Stop timer getParams"));
    readTicks.stop();
    markUnanswered();
    emit events.readsFinished();
    // During the scan period the endpoint stays open for the scan's answers.
    if (!scanRunning())
        session.requestClose({});
}

void Discovery::markUnanswered() {
    for (const DeviceRecord& record : devices.all())
        markUnanswered(record.id);
}

void Discovery::markUnanswered(DeviceId id) {
    DeviceRecord& record = devices.edit(id);
    const bool linkLocal = record.ip.startsWith(QLatin1String("169.254"));
    const AddressField unanswered =
        AddressField::of(linkLocal ? AddressState::NotConfigurable : AddressState::NotAvailable);
    bool changed = false;
    for (AddressField* field : {&record.netmask, &record.gateway}) {
        if (field->state == AddressState::Searching) {
            *field = unanswered;
            changed = true;
        }
    }
    if (changed)
        emit events.deviceChanged(id);
}

void Discovery::reportProgress() {
    if (parallel())
        emit events.readsProgressed(reads.started(), reads.started() + reads.queued());
    else
        emit events.readsProgressed(readsTaken, readsTaken + int(queue.size()));
}

void Discovery::shortAnswerInParallel(DeviceId id, const QString& mac) {
    if (acceptingReads) {
        reads.want(mac);
        return;
    }
    log.logStringOnly(QStringLiteral("Reads of ") + mac +
                      QStringLiteral(" not sent, the scan and its reads are over"));
    markUnanswered(id);
}

void Discovery::parallelAnswer(const QString& value, const QString& sourceIp, Field field) {
    // Only the device read at this address now may take it: others there have their own
    // values, and a late or repeated answer must not overwrite what was read.
    const std::optional<DeviceId> id = reads.reader(sourceIp, field);
    if (!id) {
        log.logStringOnly(QStringLiteral("Read answer from ") + sourceIp +
                          QStringLiteral(" that no read waits for, ignored"));
        return;
    }
    DeviceRecord& record = devices.edit(*id);
    (field == Field::Netmask ? record.netmask : record.gateway) = AddressField::value(value);
    emit events.deviceChanged(*id);
    reads.answered(sourceIp, field);
}

void Discovery::finishParallelReads() {
    markUnanswered();
    if (reads.started() > 0)
        emit events.readsFinished();
    // A short answer that comes during the closing grace is still read; once the grace is
    // over, none is.
    session.requestClose({[this] { acceptingReads = false; }});
}

} // namespace engine
