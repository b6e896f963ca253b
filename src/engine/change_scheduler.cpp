#include "engine/change_scheduler.h"

#include "engine/device_set.h"
#include "engine/endpoint_session.h"
#include "engine/events.h"
#include "engine/log_sink.h"
#include "net/ipv4.h"

#include <algorithm>

namespace engine {

namespace {

bool isConfirmation(Status status) {
    return status == Status::SettingIpAddress || status == Status::SettingNetmaskOk ||
           status == Status::SettingGatewayaddressOk || status == Status::SettingDhcpOk;
}

bool isRefusal(Status status) {
    return status == Status::SettingNotAllowed || status == Status::SettingNotPossible ||
           status == Status::SettingDhcpNotAllowed || status == Status::SettingDhcpNotPossible;
}

quint8 answerCodeOf(const QByteArray& frame) {
    return frame.size() > 1 ? quint8(quint8(frame[1]) | 0x80) : 0;
}

} // namespace

// One change of the run, with events of its own, so that what its transaction reports is
// known to be about its device.
struct ChangeScheduler::Slot {
    Slot(EndpointSession& session, Clock& clock, LogSink& log, DeviceSet& devices,
         ChangeJournal& journal, const AddressPolicy& policy)
        : transaction(session, clock, log, events, devices, journal, policy), confirmation(clock) {}

    std::size_t change = 0;
    Events events;
    ChangeTransaction transaction;
    Timer confirmation;
    QByteArray outstanding; // the request that waits for its answer
    // The device refused; the change ends once its transaction has recorded the refusal.
    std::optional<Status> refusal;
    bool ended = false;
    ChangeEnd result;
};

ChangeScheduler::ChangeScheduler(EndpointSession& session, Clock& clock, LogSink& log,
                                 DeviceSet& devices, ChangeJournal& journal,
                                 const AddressPolicy& policy)
    : session(session), clock(clock), log(log), devices(devices), journal(journal), policy(policy) {
}

ChangeScheduler::~ChangeScheduler() = default;

void ChangeScheduler::setLimits(int inFlight, int confirmationTimeoutMs) {
    limit = std::max(1, inFlight);
    timeoutMs = std::max(1, confirmationTimeoutMs);
}

void ChangeScheduler::run(const std::vector<ChangeRequest>& given, Listener heard) {
    changes = given;
    listener = std::move(heard);
    changeSlots.clear();
    changeSlots.resize(changes.size());
    addresses.assign(changes.size(), {});
    users.clear();
    endedCount = 0;
    running = 0;
    holding = false;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const ChangeRequest& request = changes[i];
        if (request.device && devices.contains(*request.device))
            addresses[i].append(devices.at(*request.device).ip);
        const QString newIp =
            net::isValidIpText(request.ip) ? normalizeAddr(request.ip) : request.ip;
        if (!newIp.isEmpty() && !addresses[i].contains(newIp))
            addresses[i].append(newIp);
        for (const QString& address : addresses[i])
            users[address].push_back(i);
    }
    if (changes.empty()) {
        session.requestClose({});
        return;
    }
    startMore();
}

bool ChangeScheduler::mustWait(std::size_t change) const {
    for (const QString& address : addresses[change]) {
        const auto found = users.constFind(address);
        if (found == users.cend() || found->front() != change)
            return true;
    }
    return false;
}

void ChangeScheduler::startMore() {
    // A change that ends while it starts (refused by its checks) makes room at once; the
    // loop then looks again instead of starting inside itself.
    if (starting) {
        startAgain = true;
        return;
    }
    starting = true;
    do {
        startAgain = false;
        for (std::size_t i = 0; i < changes.size() && running < limit; ++i) {
            if (!changeSlots[i] && !mustWait(i))
                start(i);
        }
    } while (startAgain);
    starting = false;
}

ChangeScheduler::Slot& ChangeScheduler::makeSlot(std::size_t change) {
    changeSlots[change] = std::make_unique<Slot>(session, clock, log, devices, journal, policy);
    Slot& slot = *changeSlots[change];
    slot.change = change;
    ++running;
    return slot;
}

void ChangeScheduler::start(std::size_t change) {
    Slot& slot = makeSlot(change);
    connect(slot);
    // The scheduler times every request itself; the watch only must not come first.
    slot.transaction.setWatchInterval(timeoutMs / ChangeTransaction::kTimeoutTicks + 1);
    slot.transaction.setEnded([this, &slot] {
        // A change that could not send its request ends failed, not done.
        ChangeEnd ended;
        if (slot.transaction.answerState() == AnswerState::Failed)
            ended.kind = ChangeEnd::Kind::SendFailed;
        end(slot, ended);
    });
    const ChangeStart start = slot.transaction.start(changes[change]);
    slot.result.start = start;
    if (start.outcome != ChangeStart::Outcome::Queued) {
        ChangeEnd notStarted;
        notStarted.kind = ChangeEnd::Kind::NotStarted;
        end(slot, notStarted);
    }
}

void ChangeScheduler::connect(Slot& slot) {
    Events& events = slot.events;
    QObject::connect(&events, &Events::changeSending, &events, [this, &slot] {
        const std::vector<QByteArray> frames = slot.transaction.unsentFrames();
        slot.outstanding = frames.empty() ? QByteArray() : frames.front();
        slot.confirmation.startOnce(timeoutMs, [this, &slot] {
            ChangeEnd timedOut;
            timedOut.kind = ChangeEnd::Kind::Timeout;
            timedOut.unconfirmed = slot.outstanding;
            end(slot, timedOut);
        });
        if (listener.sending)
            listener.sending(slot.change, slot.outstanding);
    });
    QObject::connect(&events, &Events::statusChanged, &events, [this, &slot](Status status) {
        if (isConfirmation(status)) {
            slot.confirmation.stop();
            const QByteArray confirmed = slot.outstanding;
            slot.outstanding.clear();
            if (listener.confirmed)
                listener.confirmed(slot.change, confirmed);
        } else if (isRefusal(status)) {
            slot.refusal = status;
        }
    });
    QObject::connect(&events, &Events::changeValueRecorded, &events,
                     [&slot](Field field, ValueOutcome outcome) {
                         slot.result.values[std::size_t(field)] = outcome;
                     });
    QObject::connect(&events, &Events::changeTimedOut, &events, [this, &slot] {
        ChangeEnd timedOut;
        timedOut.kind = ChangeEnd::Kind::Timeout;
        timedOut.unconfirmed = slot.outstanding;
        end(slot, timedOut);
    });
    QObject::connect(&events, &Events::failed, &events, [this, &slot](Failure failure) {
        if (failure.kind != Failure::Kind::SaveSendFailed)
            return;
        ChangeEnd failed;
        failed.kind = ChangeEnd::Kind::SendFailed;
        failed.error = failure.error;
        end(slot, failed);
    });
    QObject::connect(&events, &Events::restartOffered, &events, [&slot] {
        slot.result.restartNeeded = true;
        // A restart is a command of its own: no device is restarted behind the user's back.
        slot.transaction.answerRestartOffer(false);
    });
}

void ChangeScheduler::answer(quint8 code, quint8 status, const QString& sourceIp) {
    Slot* waiting = nullptr;
    int count = 0;
    for (const std::unique_ptr<Slot>& slot : changeSlots) {
        if (slot && !slot->ended && answerCodeOf(slot->outstanding) == code &&
            addresses[slot->change].contains(sourceIp)) {
            waiting = slot.get();
            ++count;
        }
    }
    if (count != 1) {
        log.logStringOnly(QStringLiteral("Change answer %1 from %2 that %3, ignored")
                              .arg(QString::number(code, 16).toUpper(), sourceIp,
                                   count == 0 ? QStringLiteral("no change waits for")
                                              : QStringLiteral("several changes wait for")));
        return;
    }
    waiting->transaction.answer(code, status, sourceIp);
    if (waiting->refusal) {
        ChangeEnd refused;
        refused.kind = ChangeEnd::Kind::Refused;
        refused.refusal = *waiting->refusal;
        end(*waiting, refused);
    }
}

void ChangeScheduler::end(Slot& slot, ChangeEnd result) {
    if (slot.ended)
        return;
    slot.ended = true;
    slot.confirmation.stop();
    slot.outstanding.clear();
    // A change cut off records its value under way as what cut it off, and sends nothing
    // further: its unsent values go into the journal as not sent.
    if (result.kind == ChangeEnd::Kind::Timeout)
        slot.transaction.abandon(ValueOutcome::Timeout);
    else if (result.kind == ChangeEnd::Kind::Interrupted)
        slot.transaction.abandon(ValueOutcome::Interrupted);
    result.start = slot.result.start;
    result.restartNeeded = result.restartNeeded || slot.result.restartNeeded;
    result.values = slot.result.values;
    --running;
    ++endedCount;
    for (const QString& address : addresses[slot.change]) {
        std::deque<std::size_t>& waitingHere = users[address];
        std::erase(waitingHere, slot.change);
    }
    if (listener.ended)
        listener.ended(slot.change, result);
    if (!busy()) {
        session.requestClose({});
        return;
    }
    if (!holding)
        startMore();
}

void ChangeScheduler::withholdUnstarted() {
    holding = true;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (changeSlots[i])
            continue;
        ChangeEnd notRun;
        notRun.kind = ChangeEnd::Kind::NotRun;
        end(makeSlot(i), notRun);
    }
}

void ChangeScheduler::finishCurrentValues() {
    if (!busy())
        return;
    withholdUnstarted();
    for (const std::unique_ptr<Slot>& slot : changeSlots) {
        if (slot && !slot->ended)
            slot->transaction.finishCurrentValue();
    }
}

void ChangeScheduler::interrupt() {
    if (!busy())
        return;
    withholdUnstarted();
    for (const std::unique_ptr<Slot>& slot : changeSlots) {
        if (!slot || slot->ended)
            continue;
        ChangeEnd interrupted;
        interrupted.kind = ChangeEnd::Kind::Interrupted;
        end(*slot, interrupted);
    }
}

} // namespace engine
