#pragma once

#include "fake_clock.h"
#include "fake_endpoint.h"
#include "fake_journal.h"
#include "recording_log.h"

#include "engine/device_engine.h"
#include "support/device_frames.h"

#include <QObject>
#include <QStringList>

#include <vector>

namespace enginetest {

// Every event as one line of text: "status Scanning_OK", "changed 3", "closed ok" ...
class EventRecorder : public QObject {
public:
    explicit EventRecorder(engine::Events& events);

    QStringList since(qsizetype from) const { return lines.mid(from); }
    // The events that start with prefix, from `from` on.
    QStringList matching(const QString& prefix, qsizetype from = 0) const;
    QString lastStatus() const;

    QStringList lines;
};

// An engine with a fake endpoint, clock and log, its adapter 192.168.0.1/24 (with a second
// interface 10.1.0.1/16), and the intervals the program ships with.
class EngineBench {
public:
    static inline const QString kAdapter = QStringLiteral("192.168.0.1");
    static inline const QString kBroadcast = QStringLiteral("255.255.255.255");

    EngineBench();

    // A scan answered by these devices in one burst, each from its own address.
    void scan(const std::vector<testsupport::ScanAnswerFields>& devices);
    // Runs the clock until the scan period, the reads and the closing are over.
    void runUntilIdle();
    void answer(const QString& sourceIp, const QByteArray& frame) {
        endpoint.deliver(sourceIp, frame);
    }
    // The device of this MAC (the first one entered).
    const engine::DeviceRecord& device(const QString& mac) const;
    engine::DeviceId idOf(const QString& mac) const;
    // The frames sent from the mark on.
    std::vector<QByteArray> framesSince(std::size_t mark) const;
    std::vector<QString> destinationsSince(std::size_t mark) const;
    std::size_t sentCount() const { return endpoint.sent.size(); }

    FakeClock clock;
    FakeEndpoint endpoint;
    RecordingLog log;
    FakeJournal journal{endpoint};
    engine::DeviceEngine engine{endpoint, clock, log, journal};
    EventRecorder events{engine.events()};
};

// The frames as devices expect them.
QByteArray addressRequest(quint8 code, const QString& mac, const QString& address);
QByteArray commandRequest(quint8 code, const QString& mac);
QByteArray dhcpRequest(bool on);

} // namespace enginetest
