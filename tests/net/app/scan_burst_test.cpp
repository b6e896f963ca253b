// Bursts of answers against the real main window: the simulator's devices answering one scan
// through a small receive buffer, a close in the middle of a burst, and what the window
// tells when datagrams were lost or could not be read.
#include "support/device_frames.h"
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/loopback_devices.h"
#include "support/simulator_process.h"

#include "protocol/udp_endpoint.h"
#include "ui/model/device_table.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

// The query of short answers would start pumping inside the test; it is put off.
FormFixture::Options burstOptions(int receiveBufferBytes, int scanMs = 3600000) {
    FormFixture::Options options;
    options.timerSection =
        QStringLiteral("TimerScan=%1\nTimerSetParam=200\nTimerGetParams=3600000\n").arg(scanMs);
    options.receiveBufferBytes = receiveBufferBytes;
    return options;
}

// The senders of the scan answers in the order the intake logged them.
QStringList intakeOrder(const FormFixture& f) {
    QStringList senders;
    for (const QString& line : f.log.lines()) {
        if (line.startsWith(QLatin1String("MsgLen von  ")))
            senders << line.mid(12).section(u' ', 0, 0);
    }
    return senders;
}

// The senders of the scan answers the simulator sent, in order.
QStringList sendOrder(const std::vector<TrafficRecord>& traffic) {
    QStringList senders;
    for (const TrafficRecord& record : traffic) {
        if (record.sent && record.bytes.size() > 1 && quint8(record.bytes[1]) == 0x81)
            senders << QString::fromStdString(record.source).section(u':', 0, 0);
    }
    return senders;
}

int linesContaining(const FormFixture& f, const QString& text) {
    int count = 0;
    for (const QString& line : f.log.lines()) {
        if (line.contains(text))
            ++count;
    }
    return count;
}

int datagramsTakenIn(const FormFixture& f) {
    return linesContaining(f, QStringLiteral("Socketmessage FD_READ "));
}

SimulatorProcess::Settings generated(int devices) {
    SimulatorProcess::Settings settings;
    settings.arguments = {"--generate", std::to_string(devices), "--quiet"};
    return settings;
}

protocol::UdpEndpoint& endpointOf(app::TForm1& form) {
    return *form.findChild<protocol::UdpEndpoint*>();
}

// Takes the burst in until every device is listed, or nothing more has been read for a
// while (the rest was lost).
bool pumpUntilListedOrIdle(app::TForm1& form, const protocol::UdpEndpoint& endpoint, int devices) {
    quint64 read = 0;
    QElapsedTimer idle;
    idle.start();
    return pumpUntil(
        [&] {
            if (endpoint.datagramsRead() != read) {
                read = endpoint.datagramsRead();
                idle.restart();
            }
            return form.deviceList().count() == devices || idle.elapsed() > 3000;
        },
        120000);
}

} // namespace

TEST(ScanBurst, TenThousandAnswersThroughASmallReceiveBufferAreAllListedInArrivalOrder) {
    constexpr int kDevices = 10000;
    FormFixture f(burstOptions(64 * 1024));
    f.log.setMaxLines(10000000);
    SimulatorProcess simulator(generated(kDevices));
    f.activate();
    auto& form = f.form();
    const protocol::UdpEndpoint& endpoint = endpointOf(form);
    ASSERT_TRUE(pumpUntilListedOrIdle(form, endpoint, kDevices));
    EXPECT_EQ(form.deviceList().count(), kDevices) << endpoint.datagramsDropped() << " dropped";
    EXPECT_EQ(endpoint.datagramsDropped(), 0u);
    const QStringList taken = intakeOrder(f);
    const QStringList sent = sendOrder(simulator.waitForTraffic(
        [](const std::vector<TrafficRecord>& records) {
            return sendOrder(records).size() == kDevices;
        },
        std::chrono::seconds(30)));
    const auto differ = std::mismatch(taken.begin(), taken.end(), sent.begin(), sent.end());
    EXPECT_TRUE(differ.first == taken.end() && differ.second == sent.end())
        << "first out of order at " << (differ.first - taken.begin());
    EXPECT_TRUE(f.boxes.messages().empty());
}

TEST(ScanBurst, AScanEndingDuringABurstTakesInWhatWasReadAndNothingAfter) {
    // The scan period ends at once, so the close comes while the burst may still go on.
    FormFixture f(burstOptions(0, 1));
    f.log.setMaxLines(10000000);
    SimulatorProcess simulator(generated(20000));
    f.activate();
    auto& form = f.form();
    ASSERT_TRUE(f.waitForClose(60000));
    EXPECT_FALSE(form.socketOpen());
    const protocol::UdpEndpoint& endpoint = endpointOf(form);
    // Every datagram read before the close was taken in by it, the echo of the scan included.
    const int taken = datagramsTakenIn(f);
    EXPECT_EQ(quint64(taken), endpoint.datagramsRead());
    const int listed = form.deviceList().count();
    EXPECT_EQ(listed + 1, taken);
    // Nothing is taken in afterwards, however long the burst goes on.
    pumpUntil([] { return false; }, 1000);
    EXPECT_EQ(datagramsTakenIn(f), taken);
    EXPECT_EQ(form.deviceList().count(), listed);
}

// As if the receive thread got no processor while a burst came: the answers the system's
// buffers could not hold are lost, and the window says how many.
TEST(ScanBurst, AnswersTheSystemDroppedAreReportedOnceWhenTheScanEnds) {
    constexpr int kDevices = 1000;
    FormFixture f(burstOptions(2048, 5000));
    LoopbackDevices devices;
    f.activate();
    ASSERT_TRUE(devices.waitFor(QByteArray::fromHex("0101FD")));
    auto& form = f.form();
    protocol::UdpEndpoint& endpoint = endpointOf(form);
    endpoint.stopReceiving();
    for (int device = 0; device < kDevices; ++device) {
        ScanAnswerFields fields;
        fields.mac = QStringLiteral("02-00-00-00-%1-%2")
                         .arg(device / 256, 2, 16, QLatin1Char('0'))
                         .arg(device % 256, 2, 16, QLatin1Char('0'))
                         .toUpper();
        fields.ip = QStringLiteral("127.0.%1.%2").arg(3 + device / 250).arg(1 + device % 250);
        ASSERT_TRUE(devices.send({fields.ip, scanAnswerFrame(fields)}));
    }
    int error = 0;
    ASSERT_TRUE(endpoint.startEvents(&error)) << error;
    ASSERT_TRUE(
        pumpUntil([&] { return quint64(datagramsTakenIn(f)) == endpoint.datagramsRead(); }));
    ASSERT_TRUE(f.waitForScanEnd());

    const int listed = form.deviceList().count();
    const quint64 dropped = endpoint.datagramsDropped();
    ASSERT_GT(dropped, 0u);
    EXPECT_EQ(quint64(listed) + dropped, quint64(kDevices));
    EXPECT_EQ(f.logCountEndingWith(
                  QStringLiteral(" Datagrams dropped by the system for want of receive buffer: %1")
                      .arg(dropped)),
              1);
    EXPECT_EQ(form.statusText(),
              QString::number(dropped) + " " + form.translate("answers_were_lost_scan_again"));
    EXPECT_TRUE(f.boxes.messages().empty());
}

TEST(ScanBurst, ADatagramTooLongToReadStopsNothingAndIsCountedAfterTheScan) {
    FormFixture f(burstOptions(0, 600));
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields first{.mac = "02-00-00-00-00-05", .ip = "127.0.0.5"};
    ScanAnswerFields last{.mac = "02-00-00-00-00-07", .ip = "127.0.0.7"};
    QByteArray tooLong = scanAnswerFrame(ScanAnswerFields{.mac = "02-00-00-00-00-06"});
    tooLong.append(QByteArray(1600, '\x55'));
    devices.answerScan({{"127.0.0.5", scanAnswerFrame(first)},
                        {"127.0.0.6", tooLong},
                        {"127.0.0.7", scanAnswerFrame(last)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    EXPECT_EQ(form.deviceList().count(), 2);
    EXPECT_EQ(form.deviceList().caption(1), last.mac);
    EXPECT_TRUE(f.boxes.messages().empty());
    EXPECT_EQ(f.logCountEndingWith(" Socketmessage FD_READ error 90 from 127.0.0.6"), 1);
    EXPECT_EQ(f.logCountEndingWith(" Datagrams that could not be read: 1"), 1);
    EXPECT_EQ(form.statusText(), "1 " + form.translate("datagrams_could_not_be_read"));
    EXPECT_EQ(linesContaining(f, "Datagrams dropped"), 0);
}
