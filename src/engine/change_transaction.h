#pragma once

#include "engine/change_journal.h"
#include "engine/change_plan.h"
#include "engine/clock.h"
#include "engine/outcomes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace engine {

class AddressPolicy;
class DeviceSet;
class EndpointSession;
class Events;
class LogSink;

// How a change began.
struct ChangeStart {
    enum class Outcome {
        Queued,         // its requests are on their way
        Refused,        // see refusal; nothing was queued
        NothingChanged, // the device already has these values
        NothingToSend,  // every value to write was invalid (reported as not sent)
        NoDevice,       // no device to change
    };
    Outcome outcome = Outcome::NoDevice;
    Refusal refusal;
    // The IP as it is sent and listed: in canonical form when it is a valid address.
    QString ip;
};

// One address change of one device. Its requests leave one at a time: each after the
// device's answer to the one before was applied and a short step has passed. An answer
// counts only while a request of this change is outstanding, only from the device's old or
// new address, and only when its code answers that request; anything else is logged as
// stray and changes nothing. A watch declares the change failed when the answer to one of
// its requests is not applied in time. Every value's progress goes into
// the journal before each of its requests leaves and when each answer comes.
class ChangeTransaction {
public:
    enum class Phase {
        Idle,
        AwaitingAnswer,  // a request is out
        Stepping,        // an answer was applied; the next request leaves after the step
        Stopped,         // the device refused, or answered with an unknown status
        AwaitingRestart, // complete; the restart offer waits for its answer
    };

    // The pause between an applied answer and the next request.
    static constexpr int kStepMs = 200;
    // Watch ticks counted without an applied answer to the request out before the change
    // is declared failed.
    static constexpr int kTimeoutTicks = 12;

    ChangeTransaction(EndpointSession& session, Clock& clock, LogSink& log, Events& events,
                      DeviceSet& devices, ChangeJournal& journal, const AddressPolicy& policy);

    void setWatchInterval(int ms) { watchIntervalMs = ms; }
    // Restarts the device of the change (mac, ip) when the user accepts the offer.
    void setRestartDevice(std::function<void(const QString& mac, const QString& ip)> restart) {
        restartDevice = std::move(restart);
    }
    // Called at the change's end instead of closing the endpoint, for one who runs several
    // changes at once and closes it after the last.
    void setEnded(std::function<void()> ended) { this->ended = std::move(ended); }

    ChangeStart start(const ChangeRequest& request);
    void answer(quint8 code, quint8 status, const QString& sourceIp);
    void answerRestartOffer(bool restart);
    // A scan begins: the change ends, what it did not send is dropped, and the list
    // forgets which line it coloured.
    void endForScan();
    // The value under way is still written to its end (temporary and permanent); nothing
    // of the other values is sent.
    void finishCurrentValue();
    // The change ends now: the value whose request is out is recorded with this outcome
    // (a front end's own timeout, or an interruption), nothing further is sent.
    void abandon(ValueOutcome outcome);

    // One tick of the watch for the outstanding request's answer; its timer calls it.
    void watchTick();

    Phase phase() const { return current; }
    // A request is out or about to leave, or the restart offer waits: the change needs the
    // endpoint, and a second change must not begin.
    bool underWay() const {
        return current == Phase::AwaitingAnswer || current == Phase::Stepping ||
               current == Phase::AwaitingRestart;
    }
    AnswerState answerState() const { return state; }
    const QString& lastChangedMac() const { return lastMac; }
    bool restartWanted() const { return askForRestart; }
    int answerCount() const { return answers; }
    int watchTicks() const { return watchCount; }
    bool watchRunning() const { return watch.isActive(); }
    std::vector<QByteArray> unsentFrames() const;

private:
    struct Queued {
        PlannedRequest request;
        QByteArray frame;
        int index = 0;
    };

    bool queue(const ChangePlan& plan);
    void sendNext();
    void applied(const Queued& answered);
    void complete();
    void finish();
    void stop(const QString& reason);
    void fail();
    void dropUnsent(const QString& reason);
    void setState(AnswerState answerState);
    void recordValue(Field field, ValueOutcome outcome);
    // The value whose request is out ends with this outcome.
    void recordOutstanding(ValueOutcome outcome);

    EndpointSession& session;
    LogSink& log;
    Events& events;
    DeviceSet& devices;
    ChangeJournal& journal;
    const AddressPolicy& policy;
    std::function<void(const QString&, const QString&)> restartDevice;
    std::function<void()> ended;
    int watchIntervalMs = 200;
    Timer watch;
    Timer step;

    Phase current = Phase::Idle;
    std::deque<Queued> unsent;
    std::optional<Queued> outstanding;
    DeviceId device = -1;
    QString mac;
    QString oldIp;
    QString newIp;
    bool dhcpTicked = false;
    QList<Field> notSent;
    int queuedCount = 0;
    int answers = 0;
    bool answerApplied = false;
    int watchCount = 0;

    // Each value's journal entry during the change, by Field.
    struct ValueProgress {
        bool begun = false;
        ChangeJournal::EntryId entry = 0;
        ValueOutcome outcome = ValueOutcome::NotSent;
        JournalEntry what;
    };
    std::array<ValueProgress, 4> progress;
    std::optional<Field> currentField; // of the request sent last

    AnswerState state = AnswerState::Success;
    QString lastMac;
    bool askForRestart = false;
};

} // namespace engine
