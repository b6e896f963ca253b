#include "engine/change_transaction.h"

#include "engine/address_policy.h"
#include "engine/device_set.h"
#include "engine/endpoint_session.h"
#include "engine/events.h"
#include "engine/log_sink.h"
#include "net/ipv4.h"
#include "protocol/frame.h"

namespace engine {

namespace {

struct AddressRequest {
    protocol::TDeviceCommand command;
    const char* logLine;
};

AddressRequest addressRequest(Field field, bool permanent) {
    switch (field) {
    case Field::Ip:
        return permanent ? AddressRequest{protocol::dcSetIpPermanent, "Send message IP permanent"}
                         : AddressRequest{protocol::dcSetIpTemporary, "Send message IP temp"};
    case Field::Netmask:
        return permanent ? AddressRequest{protocol::dcSetNetmaskPermanent,
                                          "Send message Netmask permanent"}
                         : AddressRequest{protocol::dcSetNetmaskTemporary, "Send Netmask IP temp"};
    case Field::Gateway:
    case Field::Dhcp:
        break;
    }
    return permanent
               ? AddressRequest{protocol::dcSetGatewayPermanent, "Send message Gateway permanent"}
               : AddressRequest{protocol::dcSetGatewayTemporary, "Send message Gateway temp"};
}

quint8 answerCodeOf(const QByteArray& frame) {
    return quint8(quint8(frame[1]) | 0x80);
}

QString shownAddress(const AddressField& field) {
    return field.state == AddressState::Value ? field.text : QStringLiteral("n/a");
}

QString shownDhcp(DhcpMode mode) {
    switch (mode) {
    case DhcpMode::Active:
        return QStringLiteral("active");
    case DhcpMode::NotActive:
        return QStringLiteral("inactive");
    default:
        break;
    }
    return QStringLiteral("n/a");
}

QString shownValue(const DeviceRecord& device, Field field) {
    switch (field) {
    case Field::Ip:
        return device.ip;
    case Field::Netmask:
        return shownAddress(device.netmask);
    case Field::Gateway:
        return shownAddress(device.gateway);
    case Field::Dhcp:
        break;
    }
    return shownDhcp(device.dhcp);
}

std::size_t slot(Field field) {
    return std::size_t(field);
}

} // namespace

ChangeTransaction::ChangeTransaction(EndpointSession& session, Clock& clock, LogSink& log,
                                     Events& events, DeviceSet& devices, ChangeJournal& journal,
                                     const AddressPolicy& policy)
    : session(session), log(log), events(events), devices(devices), journal(journal),
      policy(policy), watch(clock), step(clock) {}

std::vector<QByteArray> ChangeTransaction::unsentFrames() const {
    std::vector<QByteArray> frames;
    for (const Queued& queued : unsent)
        frames.push_back(queued.frame);
    return frames;
}

ChangeStart ChangeTransaction::start(const ChangeRequest& given) {
    log.logStringOnly(QStringLiteral("**** Start change config"));
    ChangeStart result;
    if (!given.device || !devices.contains(*given.device)) {
        log.logStringOnly(QStringLiteral("No device line for ") + given.mac +
                          QStringLiteral(", nothing to change"));
        return result;
    }
    // The IP goes out and into the list in canonical form, as netmask and gateway do, so that
    // the answers from the new address are recognised; the checks see what would be sent.
    ChangeRequest request = given;
    if (net::isValidIpText(request.ip))
        request.ip = normalizeAddr(request.ip);
    result.ip = request.ip;
    const ChangePlan plan = planChange(devices, request, policy);
    if (plan.refusal.kind != Refusal::Kind::None) {
        if (plan.dhcpChanged)
            log.logStringOnly(QStringLiteral("DCHP changed start set query"));
        if (plan.refusal.kind == Refusal::Kind::AddressRule)
            log.logStringOnly(QStringLiteral("Refused, ") + addressRefusalText(plan.refusal));
        result.outcome = ChangeStart::Outcome::Refused;
        result.refusal = plan.refusal;
        return result;
    }
    if (plan.nothingChanged) {
        log.logStringOnly(QString::fromUtf8("Nix geändert, nicht speichern"));
        result.outcome = ChangeStart::Outcome::NothingChanged;
        return result;
    }

    // A change never sends what an earlier one left behind.
    dropUnsent(QStringLiteral("left from an earlier change"));
    recordOutstanding(ValueOutcome::Interrupted);
    step.stop();
    current = Phase::Idle;
    if (plan.dhcpChanged)
        log.logStringOnly(QStringLiteral("DCHP changed start set query"));
    device = *request.device;
    mac = request.mac;
    oldIp = devices.at(device).ip;
    newIp = request.ip;
    dhcpTicked = request.dhcpTicked;
    progress = {};
    currentField.reset();
    const DeviceRecord& before = devices.at(device);
    for (const PlannedRequest& planned : plan.requests) {
        const QString to = planned.field == Field::Dhcp
                               ? shownDhcp(planned.dhcpOn ? DhcpMode::Active : DhcpMode::NotActive)
                               : (planned.sendable ? normalizeAddr(planned.value) : planned.value);
        progress[slot(planned.field)].what = {
            session.adapter(), mac, oldIp, planned.field, shownValue(before, planned.field), to};
    }
    if (!queue(plan)) {
        result.outcome = ChangeStart::Outcome::NothingToSend;
        if (!plan.notSent.isEmpty())
            emit events.valuesNotSent(plan.notSent);
        return result;
    }
    notSent = plan.notSent;
    answers = 0;
    setState(AnswerState::Pending);
    emit events.changeStarted();
    answerApplied = false;
    watchCount = 0;
    watch.startRepeating(watchIntervalMs, [this] { watchTick(); });
    result.outcome = ChangeStart::Outcome::Queued;
    // The change takes the endpoint over and closes it when it ends.
    session.cancelCloses();
    sendNext();
    return result;
}

bool ChangeTransaction::queue(const ChangePlan& plan) {
    const std::optional<QByteArray> macBytes = protocol::macBytesFromText(mac);
    int index = 0;
    for (const PlannedRequest& request : plan.requests) {
        QByteArray frame;
        if (request.field == Field::Dhcp) {
            askForRestart = false;
            log.logStringOnly(QStringLiteral("Set DHCP for ") + mac);
            frame = protocol::buildFrame(protocol::dcSetDhcp,
                                         QByteArray(1, char(request.dhcpOn ? 1 : 0)));
            log.logStringOnly(QStringLiteral("Adding to list at : %1 ").arg(index) +
                              protocol::frameAsCharacters(frame));
            lastMac = mac;
            log.logStringOnly(QStringLiteral("Set DHCP Message ") +
                              protocol::frameAsCharacters(frame));
        } else {
            const AddressRequest kind = addressRequest(request.field, request.permanent);
            log.logStringOnly(QString::fromLatin1(kind.logLine));
            if (!request.sendable || !macBytes) {
                log.logStringOnly(QStringLiteral("Not queued, no valid address: ") + request.value);
                continue;
            }
            frame = protocol::buildFrame(kind.command,
                                         *macBytes + protocol::addressBytes(request.value));
            lastMac = mac;
            log.logStringOnly(QStringLiteral("Adding to list at : %1 ").arg(index) +
                              protocol::frameAsCharacters(frame));
        }
        unsent.push_back({request, frame, index++});
    }
    queuedCount = index;
    return !unsent.empty();
}

void ChangeTransaction::sendNext() {
    log.logStringOnly(QStringLiteral("********* Start save"));
    if (!session.open(Activity::Changing)) {
        fail();
        return;
    }
    if (unsent.empty()) {
        complete();
        return;
    }
    emit events.changeSending();
    const Queued& next = unsent.front();
    // The DHCP request carries no MAC: it goes to the device's own address.
    const QString destination =
        next.request.field == Field::Dhcp ? devices.at(device).ip : protocol::kLimitedBroadcast;
    log.logStringOnly(QStringLiteral("Sending from list at :%1 ").arg(next.index) +
                      protocol::frameAsCharacters(next.frame) +
                      QStringLiteral(" to Socket %1").arg(session.handle()));
    // Written before the request leaves: a program killed right after the send leaves the
    // value standing as unfinished.
    currentField = next.request.field;
    recordValue(next.request.field, progress[slot(next.request.field)].outcome);
    int error = 0;
    if (destination.isEmpty() || !session.send(next.frame, destination, &error)) {
        // The status panel must not go on showing the scan's text for a change that ended.
        emit events.statusChanged(Status::ChangesNotSaved);
        emit events.failed({Failure::Kind::SaveSendFailed, error});
        fail();
        return;
    }
    outstanding = unsent.front();
    unsent.pop_front();
    current = Phase::AwaitingAnswer;
    // Every request is watched, not only the first: a change whose later answer never came
    // would hold the endpoint, the port, Save and Scan for good.
    answerApplied = false;
    watchCount = 0;
    if (!watch.isActive())
        watch.startRepeating(watchIntervalMs, [this] { watchTick(); });
}

void ChangeTransaction::answer(quint8 code, quint8 status, const QString& sourceIp) {
    if (!outstanding) {
        log.logStringOnly(QStringLiteral("Change answer without a change in progress ignored"));
        return;
    }
    if (sourceIp != oldIp && sourceIp != newIp) {
        log.logStringOnly(QStringLiteral("Change answer from ") + sourceIp +
                          QStringLiteral(", not the changed device, ignored"));
        return;
    }
    // A repeated answer to a request already answered must not stand in for the answer to
    // the one now outstanding, which may never come.
    if (code != answerCodeOf(outstanding->frame)) {
        log.logStringOnly(QStringLiteral("Change answer %1 to no request awaiting one, ignored")
                              .arg(QString::number(code, 16).toUpper()));
        return;
    }
    ++answers;
    const Queued answered = *outstanding;
    outstanding.reset();
    const bool dhcp = answered.request.field == Field::Dhcp;
    switch (answered.request.field) {
    case Field::Netmask:
        emit events.statusChanged(Status::SettingNetmaskOk);
        applied(answered);
        return;
    case Field::Gateway:
        emit events.statusChanged(Status::SettingGatewayaddressOk);
        applied(answered);
        return;
    case Field::Ip:
    case Field::Dhcp:
        break;
    }
    switch (status) {
    case 0:
        if (dhcp) {
            log.logStringOnly(QStringLiteral("---- dchp state changed "));
            emit events.statusChanged(Status::SettingDhcpOk);
            askForRestart = true;
        } else {
            emit events.statusChanged(Status::SettingIpAddress);
        }
        applied(answered);
        break;
    case 1:
        emit events.statusChanged(dhcp ? Status::SettingDhcpNotAllowed : Status::SettingNotAllowed);
        recordValue(answered.request.field, ValueOutcome::Refused);
        stop(QStringLiteral("the device refused"));
        break;
    case 2:
        emit events.statusChanged(dhcp ? Status::SettingDhcpNotPossible
                                       : Status::SettingNotPossible);
        recordValue(answered.request.field, ValueOutcome::Refused);
        stop(QStringLiteral("the device refused"));
        break;
    default:
        // An unknown status neither confirms nor refuses: nothing further is sent, and the
        // value did not get written as asked.
        recordValue(answered.request.field, ValueOutcome::Refused);
        current = Phase::Stopped;
        session.requestClose({});
        break;
    }
}

void ChangeTransaction::applied(const Queued& answered) {
    answerApplied = true;
    const PlannedRequest& request = answered.request;
    DeviceRecord& record = devices.edit(device);
    switch (request.field) {
    case Field::Ip:
        for (const DeviceId marked : devices.setIp(device, newIp)) {
            if (marked != device)
                emit events.deviceChanged(marked);
        }
        emit events.changeValueConfirmed(Field::Ip, newIp);
        break;
    case Field::Netmask:
    case Field::Gateway: {
        const QString value = normalizeAddr(request.value);
        (request.field == Field::Netmask ? record.netmask : record.gateway) =
            AddressField::value(value);
        emit events.changeValueConfirmed(request.field, value);
        break;
    }
    case Field::Dhcp:
        record.dhcp = dhcpTicked ? DhcpMode::Active : DhcpMode::NotActive;
        break;
    }
    const bool whole = request.permanent || request.field == Field::Dhcp;
    recordValue(request.field, whole ? ValueOutcome::Done : ValueOutcome::TemporaryOnly);
    emit events.deviceChanged(device);
    current = Phase::Stepping;
    step.startOnce(kStepMs, [this] { sendNext(); });
}

void ChangeTransaction::complete() {
    setState(AnswerState::Success);
    watch.stop();
    watchCount = 0;
    if (askForRestart) {
        log.logStringOnly(QStringLiteral("---------------------"));
        current = Phase::AwaitingRestart;
        emit events.restartOffered(dhcpTicked);
        return;
    }
    finish();
}

void ChangeTransaction::answerRestartOffer(bool restart) {
    if (current != Phase::AwaitingRestart)
        return;
    current = Phase::Idle;
    if (restart) {
        askForRestart = false;
        if (restartDevice)
            restartDevice(mac, devices.at(device).ip);
    }
    finish();
}

void ChangeTransaction::finish() {
    current = Phase::Idle;
    // A change that left values out did not write everything it was asked to: it says so
    // instead of the plain finish.
    if (!notSent.isEmpty())
        emit events.valuesNotSent(notSent);
    if (ended) {
        ended();
        return;
    }
    const int expected = notSent.isEmpty() ? queuedCount : 0;
    session.requestClose({[this, expected] {
                              if (expected != 0 && expected == answers)
                                  emit events.statusChanged(Status::OperationFinished);
                          },
                          askForRestart});
}

void ChangeTransaction::stop(const QString& reason) {
    dropUnsent(reason);
    current = Phase::Stopped;
    // Nothing further leaves: the endpoint, and the port with it, is given back.
    session.requestClose({});
}

void ChangeTransaction::fail() {
    setState(AnswerState::Failed);
    watch.stop();
    watchCount = 0;
    dropUnsent(QStringLiteral("the change failed"));
    current = Phase::Idle;
    if (ended)
        ended();
    else
        session.requestClose({});
}

void ChangeTransaction::watchTick() {
    if (answerApplied) {
        watchCount = 0;
        watch.stop();
        return;
    }
    if (watchCount < kTimeoutTicks) {
        ++watchCount;
        return;
    }
    emit events.statusChanged(Status::ChangesNotSaved);
    watch.stop();
    watchCount = 0;
    setState(AnswerState::Failed);
    emit events.changeTimedOut();
    recordOutstanding(ValueOutcome::Timeout);
    step.stop();
    dropUnsent(QStringLiteral("no answer in time"));
    current = Phase::Idle;
    emit events.failed({Failure::Kind::ChangeTimedOut, 0});
    session.requestClose({});
}

void ChangeTransaction::endForScan() {
    if (outstanding || step.isActive() || !unsent.empty()) {
        // The list the change wrote to is emptied: an answer that comes now has no device
        // of the change left to go to.
        log.logStringOnly(QStringLiteral("Change still waiting for its answers ended by the scan"));
    }
    recordOutstanding(ValueOutcome::Interrupted);
    dropUnsent(QStringLiteral("a scan started"));
    step.stop();
    watch.stop();
    watchCount = 0;
    current = Phase::Idle;
    device = -1;
    if (!lastMac.isEmpty()) {
        lastMac.clear();
        emit events.changeStateChanged();
    }
}

void ChangeTransaction::finishCurrentValue() {
    std::deque<Queued> kept;
    std::deque<Queued> dropped;
    for (Queued& queued : unsent) {
        const Field field = queued.request.field;
        const bool underWay =
            currentField == field && progress[slot(field)].outcome != ValueOutcome::Done;
        (underWay ? kept : dropped).push_back(std::move(queued));
    }
    unsent = std::move(dropped);
    dropUnsent(QStringLiteral("the change was interrupted"));
    unsent = std::move(kept);
}

void ChangeTransaction::abandon(ValueOutcome outcome) {
    if (current == Phase::Idle)
        return;
    recordOutstanding(outcome);
    step.stop();
    watch.stop();
    watchCount = 0;
    dropUnsent(QStringLiteral("the change was given up"));
    setState(AnswerState::Failed);
    current = Phase::Idle;
}

void ChangeTransaction::recordOutstanding(ValueOutcome outcome) {
    if (outstanding)
        recordValue(outstanding->request.field, outcome);
    outstanding.reset();
}

void ChangeTransaction::recordValue(Field field, ValueOutcome outcome) {
    ValueProgress& value = progress[slot(field)];
    if (!value.begun) {
        value.entry = journal.begin(value.what);
        value.begun = true;
    }
    if (outcome != ValueOutcome::NotSent)
        journal.record(value.entry, outcome);
    value.outcome = outcome;
    emit events.changeValueRecorded(field, outcome);
}

void ChangeTransaction::dropUnsent(const QString& reason) {
    for (const Queued& queued : unsent) {
        log.logStringOnly(QStringLiteral("Request not sent (%1): %2")
                              .arg(reason, protocol::frameAsHex(queued.frame)));
        // A value none of whose requests left is in the journal all the same: it was to be
        // written and was not.
        if (!progress[slot(queued.request.field)].begun)
            recordValue(queued.request.field, ValueOutcome::NotSent);
    }
    unsent.clear();
}

void ChangeTransaction::setState(AnswerState answerState) {
    state = answerState;
    emit events.changeStateChanged();
}

} // namespace engine
