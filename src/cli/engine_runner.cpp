#include "cli/engine_runner.h"

#include "cli/refusal_text.h"
#include "engine/device_engine.h"
#include "net/ipv4.h"
#include "protocol/frame.h"

#include <QEventLoop>
#include <QTimer>

#include <cstring>
#include <span>

namespace cli {

namespace {

QString systemError(int error) {
    return error == 0 ? QStringLiteral("unknown error") : QString::fromLocal8Bit(strerror(error));
}

bool isRefusal(engine::Status status) {
    switch (status) {
    case engine::Status::SettingNotAllowed:
    case engine::Status::SettingNotPossible:
    case engine::Status::SettingDhcpNotAllowed:
    case engine::Status::SettingDhcpNotPossible:
        return true;
    default:
        return false;
    }
}

bool isConfirmation(engine::Status status) {
    switch (status) {
    case engine::Status::SettingIpAddress:
    case engine::Status::SettingNetmaskOk:
    case engine::Status::SettingGatewayaddressOk:
    case engine::Status::SettingDhcpOk:
        return true;
    default:
        return false;
    }
}

QString refusalText(engine::Status status) {
    switch (status) {
    case engine::Status::SettingNotAllowed:
        return QStringLiteral("the device does not allow the IP address");
    case engine::Status::SettingNotPossible:
        return QStringLiteral("the device cannot take the IP address");
    case engine::Status::SettingDhcpNotAllowed:
        return QStringLiteral("the device does not allow the DHCP change");
    default:
        break;
    }
    return QStringLiteral("the device cannot switch DHCP");
}

} // namespace

QString requestText(const QByteArray& frame) {
    if (frame.size() < 3)
        return QStringLiteral("request");
    const quint8 code = quint8(frame[1]);
    if (code == protocol::dcSetDhcp)
        return quint8(frame[2]) == 1 ? QStringLiteral("DHCP on") : QStringLiteral("DHCP off");
    QString what;
    switch (code) {
    case protocol::dcSetIpTemporary:
        what = QStringLiteral("IP address (temporary)");
        break;
    case protocol::dcSetIpPermanent:
        what = QStringLiteral("IP address (permanent)");
        break;
    case protocol::dcSetNetmaskTemporary:
        what = QStringLiteral("netmask (temporary)");
        break;
    case protocol::dcSetNetmaskPermanent:
        what = QStringLiteral("netmask (permanent)");
        break;
    case protocol::dcSetGatewayTemporary:
        what = QStringLiteral("gateway (temporary)");
        break;
    case protocol::dcSetGatewayPermanent:
        what = QStringLiteral("gateway (permanent)");
        break;
    default:
        return QStringLiteral("request %1").arg(code, 2, 16, QLatin1Char('0'));
    }
    const auto bytes =
        std::span(reinterpret_cast<const quint8*>(frame.constData()), std::size_t(frame.size()));
    return what + u' ' + net::ipTextFromBytes(bytes, 8);
}

EngineRunner::EngineRunner(engine::DeviceEngine& engine, int confirmationTimeoutMs)
    : engine(engine), timeoutMs(confirmationTimeoutMs) {
    QObject::connect(&engine.events(), &engine::Events::failed, &owner,
                     [this](engine::Failure failure) { noteFailure(failure); });
}

EngineRunner::~EngineRunner() = default;

void EngineRunner::noteFailure(const engine::Failure& reported) {
    using Kind = engine::Failure::Kind;
    QString text;
    switch (reported.kind) {
    case Kind::SocketError:
        text = QStringLiteral("cannot open the UDP socket");
        break;
    case Kind::BindError:
        text = QStringLiteral("cannot bind %1:%2").arg(engine.adapter()).arg(protocol::kDevicePort);
        break;
    case Kind::ScanSendFailed:
        text = QStringLiteral("cannot send the scan");
        break;
    case Kind::ReadsNotRetrieved:
        text = QStringLiteral("cannot send a netmask or gateway read");
        break;
    case Kind::SaveSendFailed:
        text = QStringLiteral("cannot send a change request");
        break;
    case Kind::BlinkSendFailed:
        text = QStringLiteral("cannot send the blink request");
        break;
    case Kind::RestartSendFailed:
        text = QStringLiteral("cannot send the restart request");
        break;
    case Kind::ChangeTimedOut:
        return; // the change reports it as its timeout
    case Kind::PortInUse:
        return; // the command takes the port itself before the engine runs (holdPort)
    }
    if (failure.isEmpty())
        failure = text + QStringLiteral(": ") + systemError(reported.error);
    // Without a socket nothing that follows can work.
    if (reported.kind == Kind::SocketError || reported.kind == Kind::BindError)
        finish();
}

void EngineRunner::interrupt() {
    ++interruptCount;
    if (interruptCount == 1) {
        engine.finishCurrentValue();
        return;
    }
    if (endAtOnce)
        endAtOnce();
    else
        finish();
}

void EngineRunner::interruptScan() {
    stopped = true;
    finish();
}

void EngineRunner::run(const std::function<void()>& start) {
    if (stopped)
        return;
    finished = false;
    QEventLoop eventLoop;
    loop = &eventLoop;
    start();
    if (!finished)
        eventLoop.exec();
    loop = nullptr;
}

void EngineRunner::finish() {
    finished = true;
    if (loop)
        loop->quit();
}

bool EngineRunner::scan() {
    // A watch scans again after a failure, which the next scan may not repeat.
    failure.clear();
    bool periodOver = false;
    engine::Events& events = engine.events();
    QObject context;
    QObject::connect(&events, &engine::Events::scanFinished, &context, [&] { periodOver = true; });
    // A short answer that came during the closing grace is still read: the endpoint is then
    // opened again, and closed once more when the reads are over.
    QObject::connect(&events, &engine::Events::endpointClosed, &context, [&] {
        if (periodOver && !engine.discovery().readsRunning())
            finish();
    });
    // A scan refused before it went out left the devices of the one before.
    bool started = false;
    run([&] { started = engine.startScan(); });
    if (started && scanEnded)
        scanEnded();
    return failure.isEmpty();
}

bool EngineRunner::blink(const engine::Target& target, bool* refused) {
    *refused = false;
    QObject context;
    QObject::connect(&engine.events(), &engine::Events::statusChanged, &context,
                     [&](engine::Status status) {
                         if (status == engine::Status::BlinktestNotAllowed)
                             *refused = true;
                     });
    QObject::connect(&engine.events(), &engine::Events::endpointClosed, &context,
                     [this] { finish(); });
    run([&] {
        engine.openEndpoint(engine::Activity::Blinking);
        if (!finished)
            engine.blink(target);
    });
    return failure.isEmpty() && !*refused;
}

bool EngineRunner::restart(const engine::Target& target) {
    QObject context;
    QObject::connect(&engine.events(), &engine::Events::endpointClosed, &context,
                     [this] { finish(); });
    run([&] {
        engine.openEndpoint(engine::Activity::Restarting);
        if (!finished)
            engine.restart(target);
    });
    return failure.isEmpty();
}

ChangeResult EngineRunner::change(const engine::ChangeRequest& request,
                                  const ChangeListener& listener) {
    ChangeResult result;
    bool decided = false;
    QByteArray outstanding;
    QTimer confirmation;
    confirmation.setSingleShot(true);
    const auto decide = [&](ChangeResult::Kind kind, const QString& detail) {
        if (decided)
            return;
        decided = true;
        result.kind = kind;
        result.detail = detail;
        confirmation.stop();
        finish();
    };
    const auto timedOut = [&] {
        // The engine itself watches only the first answer; the later ones are timed here,
        // and the value then out goes into the journal as timed out.
        engine.abandonChange(engine::ValueOutcome::Timeout);
        decide(ChangeResult::Kind::Timeout, unconfirmedText(outstanding));
    };
    QObject::connect(&confirmation, &QTimer::timeout, timedOut);

    engine::Events& events = engine.events();
    QObject context;
    QObject::connect(&events, &engine::Events::changeSending, &context, [&] {
        const auto frames = engine.transaction().unsentFrames();
        outstanding = frames.empty() ? QByteArray() : frames.front();
        if (listener.sending)
            listener.sending(outstanding);
        confirmation.start(timeoutMs);
    });
    QObject::connect(&events, &engine::Events::statusChanged, &context, [&](engine::Status status) {
        if (isConfirmation(status)) {
            confirmation.stop();
            if (listener.confirmed)
                listener.confirmed(outstanding);
        } else if (isRefusal(status)) {
            decide(ChangeResult::Kind::Refused, refusalText(status));
        }
    });
    QObject::connect(&events, &engine::Events::changeTimedOut, &context, timedOut);
    QObject::connect(&events, &engine::Events::changeValueRecorded, &context,
                     [&](engine::Field field, engine::ValueOutcome outcome) {
                         result.values[std::size_t(field)] = outcome;
                     });
    endAtOnce = [&] {
        engine.abandonChange(engine::ValueOutcome::Interrupted);
        decide(ChangeResult::Kind::Interrupted, QStringLiteral("interrupted"));
    };
    QObject::connect(&events, &engine::Events::failed, &context, [&](engine::Failure failed) {
        if (failed.kind == engine::Failure::Kind::SaveSendFailed)
            decide(ChangeResult::Kind::NetworkFailed, failure);
    });
    QObject::connect(&events, &engine::Events::restartOffered, &context, [&] {
        result.restartNeeded = true;
        // A restart is a separate command: the device is not restarted behind the user's back.
        engine.answerRestartOffer(false);
    });
    QObject::connect(&events, &engine::Events::endpointClosed, &context,
                     [&] { decide(ChangeResult::Kind::Done, QString()); });

    engine::ChangeStart start;
    run([&] {
        start = engine.change(request);
        if (start.outcome != engine::ChangeStart::Outcome::Queued)
            finish();
    });
    endAtOnce = nullptr;
    if (!failure.isEmpty() && !decided)
        return {ChangeResult::Kind::NetworkFailed, failure, false};
    if (start.outcome == engine::ChangeStart::Outcome::Queued)
        return result;
    return notBegun(start, request.mac);
}

void EngineRunner::changeMany(const std::vector<engine::ChangeRequest>& requests,
                              const ChangeEnded& ended) {
    // Nothing further begins once the user has interrupted.
    if (interruptCount > 0 || requests.empty()) {
        for (std::size_t i = 0; i < requests.size(); ++i)
            ended(i, std::nullopt);
        return;
    }
    std::size_t endedCount = 0;
    QObject context;
    // The engine keeps the endpoint open while any change of the run is under way.
    QObject::connect(&engine.events(), &engine::Events::endpointClosed, &context, [&] {
        if (endedCount == requests.size())
            finish();
    });
    engine::ChangeScheduler::Listener listener;
    listener.ended = [&](std::size_t change, const engine::ChangeEnd& end) {
        ++endedCount;
        ended(change, resultOf(requests[change], end));
        // Without a request sent, no endpoint was opened that would close.
        if (endedCount == requests.size() && !engine.endpointOpen())
            finish();
    };
    endAtOnce = [this] {
        engine.interruptChanges();
        finish();
    };
    run([&] { engine.changeMany(requests, listener); });
    endAtOnce = nullptr;
}

std::optional<ChangeResult> EngineRunner::resultOf(const engine::ChangeRequest& request,
                                                   const engine::ChangeEnd& end) {
    using Kind = engine::ChangeEnd::Kind;
    ChangeResult result;
    result.restartNeeded = end.restartNeeded;
    result.values = end.values;
    switch (end.kind) {
    case Kind::Done:
        break;
    case Kind::NotStarted:
        return notBegun(end.start, request.mac);
    case Kind::Refused:
        result.kind = ChangeResult::Kind::Refused;
        result.detail = refusalText(end.refusal);
        break;
    case Kind::Timeout:
        result.kind = ChangeResult::Kind::Timeout;
        result.detail = unconfirmedText(end.unconfirmed);
        break;
    case Kind::SendFailed:
        if (failure.isEmpty())
            failure = QStringLiteral("cannot send a change request: ") + systemError(end.error);
        result.kind = ChangeResult::Kind::NetworkFailed;
        result.detail = failure;
        break;
    case Kind::Interrupted:
        result.kind = ChangeResult::Kind::Interrupted;
        result.detail = QStringLiteral("interrupted");
        break;
    case Kind::NotRun:
        return std::nullopt;
    }
    return result;
}

QString EngineRunner::unconfirmedText(const QByteArray& request) const {
    return QStringLiteral("%1 not confirmed within %2 ms")
        .arg(request.isEmpty() ? QStringLiteral("the change") : requestText(request))
        .arg(timeoutMs);
}

ChangeResult EngineRunner::notBegun(const engine::ChangeStart& start, const QString& mac) const {
    if (start.outcome == engine::ChangeStart::Outcome::NothingChanged)
        return {ChangeResult::Kind::Unchanged, QString(), false};
    return {ChangeResult::Kind::Refused, notStartedText(start, engine.devices(), mac), false};
}

} // namespace cli
