#pragma once

#include "engine/change_journal.h"
#include "engine/change_plan.h"
#include "engine/commands.h"
#include "engine/outcomes.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QEventLoop;

namespace engine {
class DeviceEngine;
struct ChangeEnd;
struct ChangeStart;
} // namespace engine

namespace cli {

// What a change came to.
struct ChangeResult {
    enum class Kind {
        Done,
        Unchanged,
        Refused, // by the checks before sending, or by the device
        Timeout, // a request was not confirmed in time
        NetworkFailed,
        Interrupted, // a second interrupt ended it while a request was out
    };
    Kind kind = Kind::Done;
    QString detail;
    // The device confirmed a DHCP change, which takes effect at its next restart.
    bool restartNeeded = false;
    // Where each value written stands at the end, by engine::Field; none for the values the
    // change did not write.
    std::array<std::optional<engine::ValueOutcome>, 4> values{};
};

// Told about every request of a change as it leaves and as the device confirms it.
struct ChangeListener {
    std::function<void(const QByteArray& frame)> sending;
    std::function<void(const QByteArray& frame)> confirmed;
};

// Runs the engine's operations one at a time to their end, each in an event loop of its
// own, so that a command reads as a sequence of steps. Between two operations nothing of
// the engine runs.
class EngineRunner {
public:
    EngineRunner(engine::DeviceEngine& engine, int confirmationTimeoutMs);
    ~EngineRunner();
    EngineRunner(const EngineRunner&) = delete;
    EngineRunner& operator=(const EngineRunner&) = delete;

    // One scan, with the reads that complete short answers. False when the network failed.
    bool scan();
    // Called once each scan that went out is over, also one that Ctrl-C cut short: the
    // engine's devices are then those it heard.
    void onScanEnded(std::function<void()> ended) { scanEnded = std::move(ended); }
    // Blink: false with refused set when the device refused.
    bool blink(const engine::Target& target, bool* refused);
    bool restart(const engine::Target& target);
    ChangeResult change(const engine::ChangeRequest& request, const ChangeListener& listener);
    // How each change of a run of many ended, by its index in the run; none for a change
    // that an interrupt kept from beginning.
    using ChangeEnded =
        std::function<void(std::size_t change, const std::optional<ChangeResult>& result)>;
    // The changes of many devices at once (DeviceEngine::changeMany), to the end of the
    // last; each is told as soon as it ends.
    void changeMany(const std::vector<engine::ChangeRequest>& requests, const ChangeEnded& ended);

    // Ends the scan that runs at once, as if its period were over, so that what it found
    // can be reported (Ctrl-C); no later operation starts. A change is never cut off so:
    // its result would not say what the device took.
    void interruptScan();
    bool interrupted() const { return stopped; }

    // Why the network failed, for the user; empty while it has not.
    const QString& networkFailure() const { return failure; }

    // An interrupt from the user: the first lets the value under way be written to its end
    // and nothing further be sent; a second ends the operation under way at once.
    void interrupt();
    int interruptions() const { return interruptCount; }

private:
    // Starts an operation and turns the event loop until finish() is called.
    void run(const std::function<void()>& start);
    void finish();
    void noteFailure(const engine::Failure& failure);
    std::optional<ChangeResult> resultOf(const engine::ChangeRequest& request,
                                         const engine::ChangeEnd& end);
    // What a change that did not begin came to, for the user.
    ChangeResult notBegun(const engine::ChangeStart& start, const QString& mac) const;
    QString unconfirmedText(const QByteArray& request) const;

    engine::DeviceEngine& engine;
    int timeoutMs;
    QObject owner; // the connections that live as long as the runner
    QEventLoop* loop = nullptr;
    bool finished = false;
    bool stopped = false;
    QString failure;
    int interruptCount = 0;
    // Ends the operation under way at a second interrupt.
    std::function<void()> endAtOnce;
    std::function<void()> scanEnded;
};

// "IP address (temporary) 10.0.0.5", "DHCP on": what a change request asks for.
QString requestText(const QByteArray& frame);

} // namespace cli
