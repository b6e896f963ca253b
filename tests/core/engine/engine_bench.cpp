#include "engine_bench.h"

#include "protocol/frame.h"

namespace enginetest {

namespace {

QString fieldName(engine::Field field) {
    switch (field) {
    case engine::Field::Ip:
        return QStringLiteral("Ip");
    case engine::Field::Netmask:
        return QStringLiteral("Netmask");
    case engine::Field::Gateway:
        return QStringLiteral("Gateway");
    case engine::Field::Dhcp:
        return QStringLiteral("Dhcp");
    }
    return QString();
}

net::tNetworkInterface interface(const QString& address, const QString& mask) {
    net::tNetworkInterface record;
    record.AddrIP = address;
    record.SubnetMask = mask;
    return record;
}

} // namespace

EventRecorder::EventRecorder(engine::Events& events) {
    const auto record = [this](const QString& line) { lines << line; };
    connect(&events, &engine::Events::devicesCleared, this, [=] { record("cleared"); });
    connect(&events, &engine::Events::deviceAdded, this,
            [=](engine::DeviceId id) { record(QStringLiteral("added %1").arg(id)); });
    connect(&events, &engine::Events::deviceChanged, this,
            [=](engine::DeviceId id) { record(QStringLiteral("changed %1").arg(id)); });
    connect(&events, &engine::Events::readsProgressed, this, [=](int done, int total) {
        record(QStringLiteral("reads %1 of %2").arg(done).arg(total));
    });
    connect(&events, &engine::Events::scanFinished, this, [=](engine::ScanSummary summary) {
        record(QStringLiteral("finished unreadable %1 dropped %2")
                   .arg(summary.unreadable)
                   .arg(summary.dropped));
    });
    connect(&events, &engine::Events::statusChanged, this,
            [=](engine::Status status) { record("status " + engine::statusKey(status)); });
    connect(&events, &engine::Events::failed, this, [=](engine::Failure failure) {
        record(QStringLiteral("failed %1 %2")
                   .arg(engine::failureKey(failure.kind))
                   .arg(failure.error));
    });
    connect(&events, &engine::Events::changeStarted, this, [=] { record("change started"); });
    connect(&events, &engine::Events::changeSending, this, [=] { record("sending"); });
    connect(&events, &engine::Events::changeStateChanged, this, [=] { record("colour"); });
    connect(&events, &engine::Events::changeValueConfirmed, this,
            [=](engine::Field field, const QString& value) {
                record("confirmed " + fieldName(field) + " " + value);
            });
    connect(&events, &engine::Events::changeTimedOut, this, [=] { record("timed out"); });
    connect(&events, &engine::Events::valuesNotSent, this, [=](const QList<engine::Field>& fields) {
        QStringList names;
        for (const engine::Field field : fields)
            names << fieldName(field);
        record("not sent " + names.join(','));
    });
    connect(&events, &engine::Events::restartOffered, this, [=](bool dhcpTicked) {
        record(QStringLiteral("restart offered%1").arg(dhcpTicked ? " with DHCP" : ""));
    });
    connect(&events, &engine::Events::endpointClosed, this, [=](engine::CloseResult result) {
        record(QStringLiteral("closed %1%2")
                   .arg(result.closed ? "ok" : "with error")
                   .arg(result.offerRestart ? ", restart offered" : ""));
    });
}

QStringList EventRecorder::matching(const QString& prefix, qsizetype from) const {
    QStringList found;
    for (const QString& line : lines.mid(from)) {
        if (line.startsWith(prefix))
            found << line;
    }
    return found;
}

QString EventRecorder::lastStatus() const {
    const QStringList statuses = matching(QStringLiteral("status "));
    return statuses.isEmpty() ? QString() : statuses.last().mid(7);
}

EngineBench::EngineBench() {
    engine.setAdapter(kAdapter);
    engine.setInterfaces({interface(QStringLiteral("10.1.0.1"), QStringLiteral("255.255.0.0")),
                          interface(kAdapter, QStringLiteral("255.255.255.0"))});
}

void EngineBench::scan(const std::vector<testsupport::ScanAnswerFields>& devices) {
    engine.startScan();
    std::vector<engine::ReceivedDatagram> burst;
    for (const testsupport::ScanAnswerFields& fields : devices)
        burst.push_back({testsupport::scanAnswerFrame(fields), fields.ip, 0});
    endpoint.deliver(burst);
    clock.advance(0);
}

void EngineBench::runUntilIdle() {
    // Every timer of the engine stops by itself once its work is done.
    for (int round = 0; round < 100000 && !clock.idle(); ++round)
        clock.advance(100);
}

engine::DeviceId EngineBench::idOf(const QString& mac) const {
    const auto& ids = engine.devices().withMac(mac);
    return ids.empty() ? -1 : ids.front();
}

const engine::DeviceRecord& EngineBench::device(const QString& mac) const {
    return engine.devices().at(idOf(mac));
}

std::vector<QByteArray> EngineBench::framesSince(std::size_t mark) const {
    std::vector<QByteArray> frames;
    for (std::size_t i = mark; i < endpoint.sent.size(); ++i)
        frames.push_back(endpoint.sent[i].frame);
    return frames;
}

std::vector<QString> EngineBench::destinationsSince(std::size_t mark) const {
    std::vector<QString> destinations;
    for (std::size_t i = mark; i < endpoint.sent.size(); ++i)
        destinations.push_back(endpoint.sent[i].destination);
    return destinations;
}

QByteArray addressRequest(quint8 code, const QString& mac, const QString& address) {
    return protocol::buildFrame(code, protocol::macBytesFromText(mac).value() +
                                          protocol::addressBytes(address));
}

QByteArray commandRequest(quint8 code, const QString& mac) {
    return protocol::buildFrame(code, protocol::macBytesFromText(mac).value());
}

QByteArray dhcpRequest(bool on) {
    return protocol::buildFrame(protocol::dcSetDhcp, QByteArray(1, on ? 1 : 0));
}

} // namespace enginetest
