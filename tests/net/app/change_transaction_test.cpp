// Saving address changes that the device confirms: the requests on the wire, one per
// confirmed answer, and what the list, the editor, the status panel and the log show.
#include "device_bench.h"

#include "support/event_pump.h"

#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testsupport;
using Icon = platform::MessageBoxes::Icon;
using Buttons = platform::MessageBoxes::Buttons;
using BoxAnswer = platform::MessageBoxes::Answer;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kDeviceIp = QStringLiteral("127.0.0.5");
const QString kBroadcast = QStringLiteral("255.255.255.255");
const QColor kGreen(0, 128, 0);

ScanAnswerFields device(quint8 dhcpByte = 0x10) {
    return ScanAnswerFields{.mac = kMac,
                            .ip = kDeviceIp,
                            .dhcpByte = dhcpByte,
                            .netmask = QStringLiteral("255.0.0.0"),
                            .gateway = QStringLiteral("127.0.0.254")};
}

QString restartPrompt(app::TForm1& form, bool dhcpOn) {
    QString text = form.translate("Settings_are_valid_only_after_TORVANE_restart") + "\r\n" +
                   form.translate("Do_you_want_to_restart_the_device_now");
    if (dhcpOn)
        text += "\r\n\r\n" + form.translate("You_will_have_to_scan_again_to_see_the_values_used");
    return text;
}

void expectRestartPrompt(DeviceBench& bench, bool dhcpOn) {
    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, restartPrompt(bench.form, dhcpOn));
    EXPECT_EQ(boxes[0].caption, bench.form.translate("Configuration_change"));
    EXPECT_EQ(boxes[0].icon, Icon::Question);
    EXPECT_EQ(boxes[0].buttons, Buttons::YesNo);
}

// A device with DHCP on, switched off with its own addresses typed anew.
void switchDhcpOff(DeviceBench& bench, ScriptedDevice& scripted) {
    const WindowParts& parts = bench.parts;
    bench.scan({device(0x11)});
    bench.load(kMac);
    ASSERT_TRUE(parts.CheckBoxDhcpEnabled->isChecked());
    parts.CheckBoxDhcpEnabled->setChecked(false);
    // The edits that still showed the line's values were emptied for typing.
    EXPECT_TRUE(parts.EditIpAddr->text().isEmpty());
    EXPECT_TRUE(parts.EditNetMask->text().isEmpty());
    EXPECT_TRUE(parts.EditGatewayAddr->text().isEmpty());
    parts.EditIpAddr->setText(kDeviceIp);
    parts.EditNetMask->setText("255.0.0.0");
    parts.EditGatewayAddr->setText("127.0.0.254");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
}

} // namespace

TEST(ChangeTransaction, IpOnlyChangeSendsTemporaryThenPermanentAndFollowsTheNewAddress) {
    ASSERT_TRUE(addLoopbackAddress("192.168.0.10"));
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{
        .mac = kMac, .ip = "192.168.0.10", .netmask = "255.255.255.0", .gateway = "192.168.0.1"}});
    bench.load(kMac);
    // The device's new address, from which it answers, is added once the window has listed
    // this PC's addresses: an address of this PC is refused as a device's.
    ASSERT_TRUE(addLoopbackAddress("192.168.0.20"));
    EXPECT_TRUE(parts.actRestart->isEnabled());
    parts.EditIpAddr->setText("192.168.0.20");
    EXPECT_EQ(form.oldIP(), "192.168.0.10");

    ScriptedDevice scripted{.mac = kMac, .ip = "192.168.0.10"};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));

    const auto requests = bench.requestsSinceScan();
    const QByteArray temporary = QByteArray::fromHex("0B03001122334455C0A8001476");
    const QByteArray permanent = QByteArray::fromHex("0B02001122334455C0A8001477");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].bytes, temporary);
    EXPECT_EQ(requests[1].bytes, permanent);
    EXPECT_EQ(requests[0].destination, kBroadcast);
    EXPECT_EQ(requests[1].destination, kBroadcast);

    // The first answer came from the new address and found the line through the old one;
    // the second found it by the new address.
    EXPECT_EQ(bench.cell(kMac, 0), "192.168.0.20");
    EXPECT_TRUE(form.oldIP().isEmpty());
    EXPECT_EQ(form.answerCount(), 2);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_EQ(form.answerState(), app::asSuccess);
    EXPECT_EQ(bench.lineColour(kMac), kGreen);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_TRUE(pumpUntil([&] { return !form.changeWatchRunning(); }));
    EXPECT_EQ(form.setParameterTimerCount(), 0);

    // The endpoint is closed and the controls are back, Restart not among them.
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    EXPECT_TRUE(parts.actBlink->isEnabled());
    EXPECT_FALSE(parts.actRestart->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const QString temporaryText = protocol::frameAsCharacters(temporary);
    const QString permanentText = protocol::frameAsCharacters(permanent);
    EXPECT_TRUE(bench.logShowsInOrder(
        {"**** Start change config", "Send message IP temp",
         "Adding to list at : 0 " + temporaryText, "Send message IP permanent",
         "Adding to list at : 1 " + permanentText, "********* Start save", "********* Start save",
         "********* Start save"}));
    EXPECT_EQ(bench.linesStartingWith("Sending from list at :0 " + temporaryText + " to Socket "),
              1);
    EXPECT_EQ(bench.linesStartingWith("Sending from list at :1 " + permanentText + " to Socket "),
              1);
}

TEST(ChangeTransaction, NetmaskTypedWithLeadingZerosGoesOutAsItsBytesAndIsShownCanonical) {
    DeviceBench bench;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditNetMask->setText("255.255.000.000");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));

    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{QByteArray::fromHex("0B09001122334455FFFF0000EE"),
                                       QByteArray::fromHex("0B06001122334455FFFF0000F1")}));
    EXPECT_EQ(parts.EditNetMask->text(), "255.255.0.0");
    EXPECT_EQ(bench.cell(kMac, 1), "255.255.0.0");
    EXPECT_EQ(bench.cell(kMac, 0), kDeviceIp);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_TRUE(bench.f.boxes.messages().empty()); // no restart is offered
    EXPECT_TRUE(bench.logShowsInOrder({"Send Netmask IP temp", "Send message Netmask permanent"}));
}

TEST(ChangeTransaction, GatewayChangeSendsTemporaryThenPermanent) {
    DeviceBench bench;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditGatewayAddr->setText("127.0.0.200");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));

    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x0A, kMac, "127.0.0.200"),
                                       addressRequest(0x08, kMac, "127.0.0.200")}));
    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.200");
    EXPECT_EQ(bench.cell(kMac, 1), "255.0.0.0");
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_TRUE(
        bench.logShowsInOrder({"Send message Gateway temp", "Send message Gateway permanent"}));
}

TEST(ChangeTransaction, EachRequestLeavesOnlyAfterThePreviousWasConfirmedAndWrittenDown) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.6");
    parts.EditNetMask->setText("255.255.0.0");
    parts.EditGatewayAddr->setText("127.0.0.1");

    // Each request is recorded with what the list showed when it arrived.
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    struct Arrival {
        QByteArray bytes;
        int answersBefore;
        qint64 sinceLastAnswerMs;
        QString status;
    };
    std::vector<Arrival> arrivals;
    QElapsedTimer clock;
    clock.start();
    qint64 lastAnswerAt = -1;
    int answers = 0;
    bench.devices.answerBy([&](const UdpPeer::Datagram& request) {
        auto reply = scripted(request);
        if (quint8(request.bytes[1]) < 0x80)
            arrivals.push_back({request.bytes, answers,
                                lastAnswerAt < 0 ? -1 : clock.elapsed() - lastAnswerAt,
                                form.statusText()});
        if (!reply.empty()) {
            ++answers;
            lastAnswerAt = clock.elapsed();
        }
        return reply;
    });
    const int closes = bench.f.closeCount();
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] { return bench.f.closeCount() > closes; }, 20000));

    const std::vector<QByteArray> expected{
        addressRequest(0x03, kMac, "127.0.0.6"),   addressRequest(0x02, kMac, "127.0.0.6"),
        addressRequest(0x09, kMac, "255.255.0.0"), addressRequest(0x06, kMac, "255.255.0.0"),
        addressRequest(0x0A, kMac, "127.0.0.1"),   addressRequest(0x08, kMac, "127.0.0.1")};
    // The status panel names the answer that let each request go.
    const char* const statusKeys[] = {nullptr,
                                      "Setting_IP_address",
                                      "Setting_IP_address",
                                      "Setting_Netmask_OK",
                                      "Setting_Netmask_OK",
                                      "Setting_Gatewayaddress_OK"};
    ASSERT_EQ(arrivals.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(arrivals[i].bytes, expected[i]) << "request " << i;
        EXPECT_EQ(arrivals[i].answersBefore, int(i)) << "request " << i;
        if (statusKeys[i]) {
            EXPECT_EQ(arrivals[i].status, form.translate(statusKeys[i])) << "request " << i;
        }
        // markChanged waits 200 ms between writing a value and sending the next request.
        if (i > 0) {
            EXPECT_GE(arrivals[i].sinceLastAnswerMs, 200) << "request " << i;
        }
    }
    EXPECT_EQ(bench.cell(kMac, 0), "127.0.0.6");
    EXPECT_EQ(bench.cell(kMac, 1), "255.255.0.0");
    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.1");
    EXPECT_EQ(form.answerCount(), 6);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
}

TEST(ChangeTransaction, SwitchingDhcpOffSendsSevenFramesAndOffersARestart) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    switchDhcpOff(bench, scripted);

    const auto requests = bench.requestsSinceScan();
    const std::vector<QByteArray> expected{
        QByteArray::fromHex("020C00F1"),          addressRequest(0x03, kMac, kDeviceIp),
        addressRequest(0x02, kMac, kDeviceIp),    addressRequest(0x09, kMac, "255.0.0.0"),
        addressRequest(0x06, kMac, "255.0.0.0"),  addressRequest(0x0A, kMac, "127.0.0.254"),
        addressRequest(0x08, kMac, "127.0.0.254")};
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(requests[i].bytes, expected[i]) << "request " << i;
        // The DHCP request carries no MAC and goes to the device; the others go to everyone.
        EXPECT_EQ(requests[i].destination, i == 0 ? kDeviceIp : kBroadcast) << "request " << i;
    }
    EXPECT_EQ(bench.cell(kMac, 3), form.stateTexts().dhcpNotActive);
    EXPECT_EQ(form.answerCount(), 7);
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    expectRestartPrompt(bench, false);
    // Declined: the restart stays offered.
    EXPECT_TRUE(form.askForRestart());
    EXPECT_TRUE(parts.actRestart->isEnabled());
    const QString dhcpText = protocol::frameAsCharacters(expected[0]);
    EXPECT_TRUE(bench.logShowsInOrder(
        {"**** Start change config", "DCHP changed start set query",
         "Set DHCP for 00-11-22-33-44-55", "Adding to list at : 0 " + dhcpText,
         "Set DHCP Message " + dhcpText, "Send message IP temp",
         "Adding to list at : 1 " + protocol::frameAsCharacters(expected[1]),
         "---- dchp state changed ", "---------------------"}));

    // Queuing the next DHCP request withdraws the offer; a refused one does not renew it.
    scripted.status[protocol::dcSetDhcp] = 1;
    parts.CheckBoxDhcpEnabled->setChecked(true);
    ASSERT_TRUE(bench.saveAndWaitUntil(scripted, [&] { return form.answerCount() == 1; }));
    EXPECT_TRUE(bench.statusIs("Setting_DHCP_not_allowed"));
    EXPECT_FALSE(form.askForRestart());
}

TEST(ChangeTransaction, SwitchingDhcpOnSendsOneFrameAndYesRestartsTheDevice) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(0x10)});
    bench.load(kMac);
    ASSERT_TRUE(parts.CheckBoxDhcpEnabled->isEnabled());
    parts.CheckBoxDhcpEnabled->setChecked(true);
    EXPECT_FALSE(parts.EditIpAddr->isEnabled());
    bench.f.boxes.messageAnswers.push_back(BoxAnswer::Yes);

    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    QString statusAtRestart;
    bench.devices.answerBy([&](const UdpPeer::Datagram& request) {
        if (request.bytes == commandRequest(0x0B, kMac))
            statusAtRestart = form.statusText();
        return scripted(request);
    });
    const int closedBefore = bench.stampedLineCount("doCloseSocket handle 0");
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil(
        [&] { return bench.stampedLineCount("doCloseSocket handle 0") > closedBefore; }, 20000));
    EXPECT_EQ(statusAtRestart, form.translate("Setting_DHCP_OK"));

    const auto requests = bench.requestsSinceScan();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].bytes, QByteArray::fromHex("020C01F0"));
    EXPECT_EQ(requests[0].destination, kDeviceIp);
    // The restart carries the MAC of the editor; with DHCP ticked it is broadcast.
    EXPECT_EQ(requests[1].bytes, QByteArray::fromHex("070B001122334455EE"));
    EXPECT_EQ(requests[1].destination, kBroadcast);

    EXPECT_EQ(bench.cell(kMac, 3), form.stateTexts().dhcpActive);
    expectRestartPrompt(bench, true);
    EXPECT_FALSE(form.askForRestart());
    // Two closes: the restart's own, then the transaction's, which finds the endpoint closed.
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
    EXPECT_FALSE(form.socketOpen());
    EXPECT_FALSE(parts.actRestart->isEnabled());
    EXPECT_TRUE(bench.logShowsInOrder({"---- dchp state changed ", "---------------------",
                                       "Send device restart!", "doCloseSocket handle 0"}));
}

TEST(ChangeTransaction, ADeclinedRestartIsOfferedAgainAfterTheNextChangeUntilAccepted) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    switchDhcpOff(bench, scripted);
    ASSERT_TRUE(form.askForRestart());

    // A netmask change ends with the prompt again; No leaves Restart enabled by the close.
    bench.f.boxes.calls.clear();
    parts.EditNetMask->setText("255.255.0.0");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    expectRestartPrompt(bench, false);
    EXPECT_TRUE(form.askForRestart());
    EXPECT_TRUE(parts.actRestart->isEnabled());

    // Accepted with the next change: the restart goes to the device, in the adapter's subnet.
    bench.f.boxes.calls.clear();
    bench.f.boxes.messageAnswers.push_back(BoxAnswer::Yes);
    parts.EditGatewayAddr->setText("127.0.0.1");
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    expectRestartPrompt(bench, false);
    EXPECT_FALSE(form.askForRestart());
    const auto requests = bench.requestsSinceScan();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().bytes, commandRequest(0x0B, kMac));
    EXPECT_EQ(requests.back().destination, kDeviceIp);
    EXPECT_FALSE(parts.actRestart->isEnabled());
}

TEST(ChangeTransaction, NothingChangedSendsNothing) {
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({device(0x10)});
    bench.load(kMac);
    const auto stateBefore = form.answerState();
    form.actChangeIPConfigExecute();
    pumpRounds(10);
    EXPECT_TRUE(bench.f.logContains(QString::fromUtf8("Nix geändert, nicht speichern")));
    EXPECT_TRUE(bench.framesSinceScan().empty());
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_FALSE(form.socketOpen());
    EXPECT_EQ(form.answerState(), stateBefore);
}

TEST(ChangeTransaction, OfTwoLinesWithTheSendersAddressOnlyTheChangedDeviceIsUpdated) {
    const QString macA = QStringLiteral("02-00-00-00-00-0A");
    const QString macB = QStringLiteral("02-00-00-00-00-0B");
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = macA, .ip = "127.0.0.30"},
                ScanAnswerFields{.mac = macB, .ip = "127.0.0.30"}});
    bench.load(macA);
    parts.EditIpAddr->setText("127.0.0.31");
    ScriptedDevice scripted{.mac = macA, .ip = "127.0.0.30", .answersIpChangeFromOldAddress = true};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));

    EXPECT_EQ(bench.cell(macA, 0), "127.0.0.31");
    // The other device did not change its address, and each request waited for its answer.
    EXPECT_EQ(form.deviceList().cell(form.deviceList().firstRowWithCaption(macB), 0), "127.0.0.30");
    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, macA, "127.0.0.31"),
                                       addressRequest(0x02, macA, "127.0.0.31")}));
    EXPECT_EQ(form.answerCount(), 2);
    EXPECT_EQ(form.answerState(), app::asSuccess);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_TRUE(bench.statusIs("Operation_finished"));
}
