// What a change may send: a failed send ends it, what one change did not send never goes
// with the next, the IP leaves in canonical form, and without a device nothing leaves.
#include "device_bench.h"

#include "support/event_pump.h"

#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testsupport;
using Icon = platform::MessageBoxes::Icon;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kDeviceIp = QStringLiteral("127.0.0.5");
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

ScanAnswerFields device(const QString& ip = kDeviceIp) {
    return ScanAnswerFields{.mac = kMac,
                            .ip = ip,
                            .dhcpByte = 0x10,
                            .netmask = QStringLiteral("255.0.0.0"),
                            .gateway = QStringLiteral("127.0.0.254")};
}

QString discarded(const QString& reason, const QByteArray& frame) {
    return "Request not sent (" + reason + "): " + protocol::frameAsHex(frame);
}

} // namespace

TEST(ChangeQueue, AFailedSendEndsTheChangeAsFailedAndNothingOfItLeavesLater) {
    // The device reports an address the namespace has no route to: the DHCP request, which
    // goes to that address, cannot be sent.
    const QString unreachable = QStringLiteral("10.1.2.3");
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scanWith({{kDeviceIp, scanAnswerFrame(device(unreachable))}}, 1);
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.50");
    parts.CheckBoxDhcpEnabled->setChecked(true);
    ScriptedDevice scripted{.mac = kMac, .ip = unreachable};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, form.translate("Error_sending_save"));
    EXPECT_TRUE(boxes[0].caption.isEmpty());
    EXPECT_EQ(boxes[0].icon, Icon::None);
    EXPECT_EQ(form.answerState(), app::asFailed);
    EXPECT_EQ(bench.lineColour(kMac), kRed);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_TRUE(bench.f.logContains(
        discarded("the change failed", addressRequest(0x03, kMac, "127.0.0.50"))));
    EXPECT_TRUE(bench.f.logContains(
        discarded("the change failed", addressRequest(0x02, kMac, "127.0.0.50"))));
    // The change is over: no timeout follows, the controls are back.
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    EXPECT_TRUE(bench.framesSinceScan().empty());

    // The next change sends its own requests and nothing else, no failure text among them.
    parts.CheckBoxDhcpEnabled->setChecked(false);
    parts.EditNetMask->setText("255.0.0.0");
    parts.EditGatewayAddr->setText("127.0.0.254");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, kMac, "127.0.0.50"),
                                       addressRequest(0x02, kMac, "127.0.0.50")}));
    for (const QByteArray& frame : bench.devices.requests())
        EXPECT_FALSE(frame.contains(form.translate("Error_sending").toLatin1()));
    EXPECT_EQ(bench.cell(kMac, 0), "127.0.0.50");
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_EQ(bench.lineColour(kMac), kGreen);
}

TEST(ChangeQueue, WhatATimedOutChangeDidNotSendNeverLeavesWithTheNext) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    bench.tickSetParamTimerByHand();
    parts.EditIpAddr->setText("127.0.0.6");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp, .answersLeft = 0};
    ASSERT_TRUE(bench.saveAndWaitUntil(scripted, [&] { return !bench.framesSinceScan().empty(); }));
    bench.tickSetParamTimer(13);
    ASSERT_TRUE(bench.statusIs("Changes_not_saved"));
    EXPECT_TRUE(bench.f.logContains(
        discarded("no answer in time", addressRequest(0x02, kMac, "127.0.0.6"))));

    // The device answers again; only the netmask is changed now.
    scripted.answersLeft = -1;
    parts.EditIpAddr->setText(kDeviceIp);
    parts.EditNetMask->setText("255.255.0.0");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, kMac, "127.0.0.6"),
                                       addressRequest(0x09, kMac, "255.255.0.0"),
                                       addressRequest(0x06, kMac, "255.255.0.0")}));
    EXPECT_EQ(form.answerState(), app::asSuccess);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
}

TEST(ChangeQueue, WhatAChangeWaitingInVainLeftIsDroppedAndTheNextSendsItsOwn) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.6");
    parts.EditNetMask->setText("255.255.0.0");
    // The IP answer moves the line to the new address; the next answer comes from an
    // address that is not the device's, so it is not taken and the change stops there.
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    bench.devices.answerBy([&](const UdpPeer::Datagram& request) {
        auto answers = scripted(request);
        if (quint8(request.bytes[1]) == protocol::dcSetIpPermanent) {
            for (auto& answer : answers)
                answer.first = QStringLiteral("127.0.0.99");
        }
        return answers;
    });
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] {
        return bench.f.logContains(
            "Change answer from 127.0.0.99, not the changed device, ignored");
    }));
    pumpRounds(200);
    EXPECT_EQ(form.answerCount(), 1);
    ASSERT_EQ(bench.framesSinceScan().size(), 2u);
    EXPECT_EQ(bench.cell(kMac, 0), "127.0.0.6");
    EXPECT_EQ(bench.cell(kMac, 1), "255.0.0.0");
    EXPECT_EQ(form.answerState(), app::asPending);
    // Save waits for the change to end; the watch ends it.
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    ASSERT_TRUE(pumpUntil([&] { return bench.statusIs("Changes_not_saved"); }));

    parts.EditNetMask->setText("255.0.0.0");
    parts.EditGatewayAddr->setText("127.0.0.1");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    for (quint8 code : {quint8(0x09), quint8(0x06)}) {
        EXPECT_TRUE(bench.f.logContains(
            discarded("no answer in time", addressRequest(code, kMac, "255.255.0.0"))));
    }
    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, kMac, "127.0.0.6"),
                                       addressRequest(0x02, kMac, "127.0.0.6"),
                                       addressRequest(0x0A, kMac, "127.0.0.1"),
                                       addressRequest(0x08, kMac, "127.0.0.1")}));
    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.1");
    EXPECT_EQ(form.answerCount(), 2);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
}

TEST(ChangeQueue, AnIpTypedWithLeadingZerosLeavesAndIsListedCanonically) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.000.000.020");
    parts.EditNetMask->setText("255.255.0.0");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    const int closes = bench.f.closeCount();
    bench.devices.answerBy(std::ref(scripted));
    form.actChangeIPConfigExecute();
    EXPECT_EQ(parts.EditIpAddr->text(), "127.0.0.20");
    ASSERT_TRUE(pumpUntil([&] { return bench.f.closeCount() > closes; }, 20000));

    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{QByteArray::fromHex("0B030011223344557F0000145F"),
                                       addressRequest(0x02, kMac, "127.0.0.20"),
                                       addressRequest(0x09, kMac, "255.255.0.0"),
                                       addressRequest(0x06, kMac, "255.255.0.0")}));
    // The answers after the IP answer come from 127.0.0.20 and still find the line.
    EXPECT_EQ(bench.cell(kMac, 0), "127.0.0.20");
    EXPECT_EQ(bench.cell(kMac, 1), "255.255.0.0");
    EXPECT_EQ(form.answerCount(), 4);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
}

TEST(ChangeQueue, ALostSelectionIsFoundAgainThroughTheEditorsMac) {
    DeviceBench bench;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.ListView1->selectionModel()->clearSelection();
    ASSERT_LT(parts.ListView1->selectedRow(), 0);
    parts.EditGatewayAddr->setText("127.0.0.1");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    EXPECT_EQ(parts.ListView1->selectedRow(), bench.rowOf(kMac));
    EXPECT_EQ(bench.framesSinceScan().size(), 2u);
    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.1");
}

TEST(ChangeQueue, WithoutALineForTheEditorsDeviceNothingIsQueuedOrSent) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.ListView1->selectionModel()->clearSelection();
    parts.EditMacAddr->setText("02-99-99-99-99-99");
    parts.EditIpAddr->setText("127.0.0.6");
    parts.CheckBoxDhcpEnabled->setChecked(true);
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    EXPECT_TRUE(bench.f.logContains("No device line for 02-99-99-99-99-99, nothing to change"));
    EXPECT_LT(parts.ListView1->selectedRow(), 0);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(bench.framesSinceScan().empty());
}
