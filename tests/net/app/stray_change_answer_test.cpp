// Change answers that no change of this program asked for (a late duplicate, or the answer to
// another PC configuring the device) arrive while the endpoint is open for a scan or while a
// change waits for another answer: they must leave the list, the restart offer and the
// transaction's count alone.
#include "device_bench.h"

#include "support/device_frames.h"
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/loopback_devices.h"

#include "protocol/frame.h"
#include "ui/model/device_table.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QByteArray kScanRequest = QByteArray::fromHex("0101FD");
const QString kMac = QStringLiteral("02-00-00-00-00-0A");
const QString kIp = QStringLiteral("127.0.0.10");
const QString kLateMac = QStringLiteral("02-00-00-00-00-0B");
const QString kLateIp = QStringLiteral("127.0.0.11");

} // namespace

TEST(StrayChangeAnswer, ConfirmationsNobodyAskedForChangeNothing) {
    FormFixture::Options options;
    options.timerSection = QStringLiteral("TimerScan=600000\nTimerSetParam=200\n"
                                          "TimerGetParams=600000\n");
    FormFixture f(options);
    LoopbackDevices devices;
    f.activate();
    ASSERT_TRUE(devices.waitFor(kScanRequest));
    ScanAnswerFields device{.mac = kMac, .ip = kIp, .dhcpByte = 0x11};
    ASSERT_TRUE(devices.send({kIp, scanAnswerFrame(device)}));
    app::TForm1& form = f.form();
    ASSERT_TRUE(pumpUntil([&] { return form.deviceList().count() == 1; }));

    for (const quint8 code : {0x82, 0x83, 0x86, 0x88, 0x89, 0x8A, 0x8C})
        ASSERT_TRUE(devices.send({kIp, statusAnswerFrame(code, 0)}));
    for (const quint8 code : {0x82, 0x83, 0x8C})
        ASSERT_TRUE(devices.send({kIp, statusAnswerFrame(code, 1)}));
    // Datagrams are taken in order: once this device is listed, the others have been read.
    ScanAnswerFields late{.mac = kLateMac, .ip = kLateIp};
    ASSERT_TRUE(devices.send({kLateIp, scanAnswerFrame(late)}));
    ASSERT_TRUE(pumpUntil([&] { return form.deviceList().count() == 2; }));

    const int row = form.deviceList().firstRowWithCaption(kMac);
    EXPECT_EQ(form.deviceList().cell(row, 0), kIp);
    EXPECT_EQ(form.deviceList().cell(row, 1), device.netmask);
    EXPECT_EQ(form.deviceList().cell(row, 2), device.gateway);
    EXPECT_EQ(form.deviceList().cell(row, 3), form.stateTexts().dhcpActive);
    EXPECT_FALSE(f.logContains(QStringLiteral("---- dchp state changed ")));
    EXPECT_EQ(form.answerCount(), 0);
    EXPECT_FALSE(form.askForRestart());
    EXPECT_TRUE(f.boxes.messages().empty());
    EXPECT_TRUE(
        f.logContains(QStringLiteral("Change answer without a change in progress ignored")));
}

TEST(StrayChangeAnswer, ARepeatedConfirmationDoesNotStandInForTheNextOne) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = kIp}});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.12");
    // The permanent request is never confirmed; a late copy of the temporary request's
    // confirmation arrives while it waits.
    ScriptedDevice device{.mac = kMac, .ip = kIp};
    bench.devices.answerBy([&](const UdpPeer::Datagram& request) {
        auto answers = device(request);
        if (quint8(request.bytes[1]) == protocol::dcSetIpPermanent) {
            for (auto& answer : answers)
                answer.second = statusAnswerFrame(0x83, 0);
        }
        return answers;
    });
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] {
        return bench.f.logContains("Change answer 83 to no request awaiting one, ignored");
    }));
    pumpRounds(200);

    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, kMac, "127.0.0.12"),
                                       addressRequest(0x02, kMac, "127.0.0.12")}));
    EXPECT_EQ(bench.cell(kMac, 0), "127.0.0.12");
    EXPECT_EQ(form.answerCount(), 1);
    EXPECT_EQ(bench.lineColour(kMac), bench.pendingColour());
    EXPECT_TRUE(bench.statusIs("Setting_IP_address"));
    EXPECT_EQ(bench.f.closeCount(), 1); // only the first scan's
}
