#pragma once

#include "engine/change_transaction.h"
#include "engine/clock.h"
#include "engine/outcomes.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace engine {

class AddressPolicy;
class DeviceSet;
class EndpointSession;
class LogSink;

// How the change of one device of a run ended.
struct ChangeEnd {
    enum class Kind {
        Done,
        NotStarted, // see start: refused by the checks, nothing to change, no device
        Refused,    // by the device; see refusal
        Timeout,    // see unconfirmed
        SendFailed,
        Interrupted, // ended at once while a request was out
        NotRun,      // the run was told to stop before this change began
    };
    Kind kind = Kind::Done;
    ChangeStart start;
    Status refusal = Status::SettingNotAllowed;
    QByteArray unconfirmed; // empty: the watch for the first answer gave up
    int error = 0;          // SendFailed: the system's error number
    // The device confirmed a DHCP change, which takes effect at its next restart.
    bool restartNeeded = false;
    // Where each value written stands at the end, by Field; none for the values the change
    // did not write.
    std::array<std::optional<ValueOutcome>, 4> values{};
};

// The changes of many devices at once, each of them a change transaction of its own whose
// requests still leave one after the other, each confirmed. Answers carry no MAC: an answer
// goes to the one device whose request waits for that answer code at that address. So two
// changes run at the same time only when neither the current nor the new IP of the one is
// an address of the other; a change that shares an address with an earlier one of the run
// waits until that one has ended, and the run's order is kept among them.
class ChangeScheduler {
public:
    struct Listener {
        std::function<void(std::size_t change, const QByteArray& frame)> sending;
        std::function<void(std::size_t change, const QByteArray& frame)> confirmed;
        std::function<void(std::size_t change, const ChangeEnd& end)> ended;
    };

    // Every change of a run is written into the journal, as a single change is.
    ChangeScheduler(EndpointSession& session, Clock& clock, LogSink& log, DeviceSet& devices,
                    ChangeJournal& journal, const AddressPolicy& policy);
    ~ChangeScheduler();

    // Changes at once, and how long each request waits for its confirmation.
    void setLimits(int inFlight, int confirmationTimeoutMs);
    // Starts the changes; the listener hears of each by its index. The endpoint is closed
    // after the last has ended.
    void run(const std::vector<ChangeRequest>& changes, Listener listener);
    // A change answer that came from sourceIp.
    void answer(quint8 code, quint8 status, const QString& sourceIp);
    bool busy() const { return endedCount < changes.size(); }
    // Every change under way writes its current value to its end (temporary and permanent)
    // and nothing further; no further change begins.
    void finishCurrentValues();
    // Every change under way ends now, the value whose request is out recorded as
    // interrupted; no further change begins.
    void interrupt();

private:
    struct Slot;

    void startMore();
    Slot& makeSlot(std::size_t change);
    void start(std::size_t change);
    // An earlier change of the run that has not ended uses one of its addresses.
    bool mustWait(std::size_t change) const;
    void connect(Slot& slot);
    void end(Slot& slot, ChangeEnd end);
    // The changes not yet begun end as not run, and none begins any more.
    void withholdUnstarted();

    EndpointSession& session;
    Clock& clock;
    LogSink& log;
    DeviceSet& devices;
    ChangeJournal& journal;
    const AddressPolicy& policy;
    int limit = 32;
    int timeoutMs = 3000;
    std::vector<ChangeRequest> changes;
    // The addresses each change uses: the device's current IP and its new one.
    std::vector<QStringList> addresses;
    // For each address, the changes using it that have not ended, in the run's order.
    QHash<QString, std::deque<std::size_t>> users;
    // Kept to the run's end: a change that ended may still be on the call stack.
    std::vector<std::unique_ptr<Slot>> changeSlots;
    std::size_t endedCount = 0;
    int running = 0;
    bool starting = false;
    bool startAgain = false;
    bool holding = false; // told to stop: nothing further begins
    Listener listener;
};

} // namespace engine
