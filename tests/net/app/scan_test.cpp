// A scan from the main window against devices played by the test on loopback.
#include "support/device_frames.h"
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/loopback_devices.h"
#include "support/shell_command.h"

#include "platform/port_lock.h"
#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QByteArray kScanRequest = QByteArray::fromHex("0101FD");

QString cell(FormFixture& f, int row, int index) {
    return f.form().deviceList().cell(row, index);
}

} // namespace

class ScanWithoutDevices : public ::testing::TestWithParam<bool> {};

// The box of the hint can be turned off in the settings; the status panel tells it always.
TEST_P(ScanWithoutDevices, EndsWithTheEndpointClosedScanEnabledAndTheNoAnswerHint) {
    const bool boxWanted = GetParam();
    FormFixture f;
    LoopbackDevices devices;
    if (!boxWanted) {
        platform::Registry registry(f.store());
        ASSERT_TRUE(registry.openKey(
            QStringLiteral("\\software\\Kestrelwald\\TorvaneScan\\HintsSheet"), true));
        registry.writeBool(QStringLiteral("CheckBoxNoAnswerHint"), false);
    }
    f.activate();
    EXPECT_EQ(f.form().statusText(), f.form().translate("Scanning"));
    EXPECT_FALSE(f.parts().ButtonScan->isEnabled());
    devices.waitFor(kScanRequest);
    ASSERT_TRUE(f.waitForScanEnd());
    // Loopback passes any firewall; the ruleset does not drop the answers for certain.
    const QString hint = f.form().translate("No_device_answered_firewall_may_drop");
    EXPECT_TRUE(pumpUntil([&] { return f.form().statusText() == hint; }))
        << f.form().statusText().toStdString();
    const auto* box = f.form().findChild<QMessageBox*>(QStringLiteral("NoAnswerHintBox"));
    EXPECT_EQ(box && box->isVisible(), boxWanted);
    EXPECT_TRUE(!box || !box->isModal());
    EXPECT_TRUE(f.parts().ButtonScan->isEnabled());
    EXPECT_EQ(f.form().FSocket(), 0);
    EXPECT_EQ(f.form().deviceList().count(), 0);
    EXPECT_TRUE(f.logContains(QStringLiteral("Stop timer getParams")) ||
                !f.logContains(QStringLiteral("Start trimer get Params")));
    EXPECT_TRUE(f.boxes.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(HintBox, ScanWithoutDevices, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Shown" : "TurnedOff"; });

TEST(Scan, WhileAnotherProgramHoldsThePortTheScanIsRefusedNamingIt) {
    FormFixture f;
    LoopbackDevices devices;
    platform::PortLock other(
        platform::PortLock::folderFor(QFileInfo(f.store().filePath()).absolutePath()), 55808);
    ASSERT_EQ(other.acquire("torvane-cli", "changing", 0), platform::PortLock::Outcome::Held);
    f.activate();
    const QString refusal =
        QStringLiteral("UDP port 55808 is in use by torvane-cli (pid %1, changing)")
            .arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(pumpUntil([&] { return !f.boxes.messages().empty(); }));
    EXPECT_EQ(f.boxes.messages()[0].text, refusal);
    EXPECT_EQ(f.form().statusText(), refusal);
    EXPECT_TRUE(f.parts().ButtonScan->isEnabled());
    EXPECT_FALSE(f.form().socketOpen());

    // Given back, the port is the window's at the next press, and the holder it names.
    other.release();
    f.parts().ButtonScan->click();
    ASSERT_TRUE(devices.waitFor(kScanRequest));
    EXPECT_EQ(devices.requests().size(), 1u);
    EXPECT_EQ(other.acquire("torvane-cli", "scanning", 0), platform::PortLock::Outcome::InUse);
    EXPECT_EQ(
        other.holder(),
        QStringLiteral("torvanescan (pid %1, scanning)").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(f.waitForScanEnd());
    // The close gives it back.
    EXPECT_EQ(other.acquire("torvane-cli", "scanning", 0), platform::PortLock::Outcome::Held);
}

TEST(Scan, FullAnswersFillEveryColumnAndQueueNothing) {
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields active{.mac = "02-00-00-00-00-0A", .ip = "127.0.0.10", .dhcpByte = 0x11};
    ScanAnswerFields inactive{.mac = "02-00-00-00-00-0B", .ip = "127.0.0.11", .dhcpByte = 0x10};
    ScanAnswerFields unsupported{
        .mac = "02-00-00-00-00-0C", .ip = "127.0.0.12", .deviceType = 0x0777, .dhcpByte = 18};
    devices.answerScan({{"127.0.0.10", scanAnswerFrame(active)},
                        {"127.0.0.11", scanAnswerFrame(inactive)},
                        {"127.0.0.12", scanAnswerFrame(unsupported)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    ASSERT_EQ(form.deviceList().count(), 3);
    EXPECT_EQ(form.deviceList().caption(0), "02-00-00-00-00-0A");
    EXPECT_EQ(cell(f, 0, 0), "127.0.0.10");
    EXPECT_EQ(cell(f, 0, 1), "255.0.0.0");
    EXPECT_EQ(cell(f, 0, 2), "127.0.0.254");
    EXPECT_EQ(cell(f, 0, 3), form.stateTexts().dhcpActive);
    EXPECT_EQ(cell(f, 0, 5), "V1.05");
    EXPECT_EQ(cell(f, 0, 6), " ");
    EXPECT_EQ(cell(f, 0, 7), "restartSupported");
    EXPECT_EQ(cell(f, 1, 3), form.stateTexts().dhcpNotActive);
    EXPECT_EQ(cell(f, 2, 3), form.stateTexts().dhcpNotSupported);
    EXPECT_EQ(cell(f, 2, 7), "restartNOTSupported");
    EXPECT_EQ(cell(f, 2, 4), "not defined (887)");
    EXPECT_TRUE(form.queryParamsQueue().isEmpty());
    EXPECT_FALSE(f.logContains(QStringLiteral("Start trimer get Params")));
    EXPECT_TRUE(f.logContains(QStringLiteral("MsgLen von  127.0.0.10 vor entscheidung 27")));
    EXPECT_TRUE(f.logContains(QStringLiteral("int 17")));
    EXPECT_TRUE(f.logContains(QStringLiteral("int buf dann and mask 16")));
    EXPECT_EQ(form.statusText(), form.translate("Scan_finished"));
}

TEST(Scan, ShortAnswersAreQueriedOneDevicePerTick) {
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields a{.mac = "02-00-00-00-00-01", .ip = "127.0.0.21", .length = 17};
    ScanAnswerFields b{.mac = "02-00-00-00-00-02", .ip = "127.0.0.22", .length = 18};
    devices.answerScan({{"127.0.0.21", scanAnswerFrame(a)}, {"127.0.0.22", scanAnswerFrame(b)}});
    auto& form = f.form();
    const WindowParts& parts = f.parts();
    ASSERT_TRUE(pumpUntil([&] { return form.deviceList().count() == 2; }));
    EXPECT_EQ(cell(f, 0, 1), form.stateTexts().searching);
    EXPECT_EQ(cell(f, 0, 2), form.stateTexts().searching);
    EXPECT_EQ(cell(f, 0, 3), form.stateTexts().notAvailableShort);
    EXPECT_TRUE(cell(f, 0, 7).isEmpty());
    EXPECT_EQ(form.queryParamsQueue(), QStringList({"02-00-00-00-00-01", "02-00-00-00-00-02"}));
    EXPECT_TRUE(form.readsRunning());

    // Each device is asked for its netmask, then its gateway, at its own address.
    for (const auto& [mac, ip] : {std::pair{a.mac, a.ip}, std::pair{b.mac, b.ip}}) {
        const QByteArray macBytes = *protocol::macBytesFromText(mac);
        const auto netmaskRead = devices.waitFor(protocol::buildFrame(0x05, macBytes));
        ASSERT_TRUE(netmaskRead);
        EXPECT_EQ(netmaskRead->destination, ip);
        ASSERT_TRUE(devices.send({ip, readAnswerFrame(0x85, "255.255.0.0")}));
        const auto gatewayRead = devices.waitFor(protocol::buildFrame(0x07, macBytes));
        ASSERT_TRUE(gatewayRead);
        EXPECT_EQ(gatewayRead->destination, ip);
        ASSERT_TRUE(devices.send({ip, readAnswerFrame(0x87, "127.0.9.9")}));
    }
    ASSERT_TRUE(f.waitForScanEnd());
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(cell(f, row, 1), "255.255.0.0");
        EXPECT_EQ(cell(f, row, 2), "127.0.9.9");
    }
    EXPECT_EQ(form.netmask(), "255.255.0.0");
    EXPECT_EQ(form.gatewayip(), "127.0.9.9");
    EXPECT_TRUE(f.logContains(QStringLiteral("Getting list Index: 02-00-00-00-00-01")));
    EXPECT_TRUE(f.logContains(QStringLiteral("        Insert to List for 127.0.0.21")));
    EXPECT_TRUE(f.logContains(QStringLiteral("Stop timer getParams")));
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
}

TEST(Scan, SilentDevicesEndNotAvailableOrNotConfigurable) {
    ASSERT_TRUE(runShell("ip addr replace 169.254.3.4/32 dev lo"));
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields plain{.mac = "02-00-00-00-00-01", .ip = "127.0.0.21", .length = 17};
    ScanAnswerFields linkLocal{.mac = "02-00-00-00-00-02", .ip = "169.254.3.4", .length = 17};
    devices.answerScan(
        {{"127.0.0.21", scanAnswerFrame(plain)}, {"169.254.3.4", scanAnswerFrame(linkLocal)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    ASSERT_EQ(form.deviceList().count(), 2);
    EXPECT_EQ(cell(f, 0, 1), form.stateTexts().notAvailable);
    EXPECT_EQ(cell(f, 0, 2), form.stateTexts().notAvailable);
    EXPECT_EQ(cell(f, 1, 1), form.stateTexts().notConfigurable);
    EXPECT_EQ(cell(f, 1, 2), form.stateTexts().notConfigurable);
    EXPECT_TRUE(f.boxes.messages().empty());
}

TEST(Scan, DuplicateAddressesAreMarked) {
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields a{.mac = "02-00-00-00-00-01", .ip = "127.0.0.30"};
    ScanAnswerFields b{.mac = "02-00-00-00-00-02", .ip = "127.0.0.30"};
    devices.answerScan({{"127.0.0.30", scanAnswerFrame(a)}, {"127.0.0.30", scanAnswerFrame(b)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    const WindowParts& parts = f.parts();
    ASSERT_EQ(form.deviceList().count(), 2);
    EXPECT_EQ(cell(f, 0, 6), "D");
    EXPECT_EQ(cell(f, 1, 6), "D");
    EXPECT_EQ(parts.ListView1->backgroundOf(0), QColor(255, 0, 0));
}

// Anyone on the segment can send an answer that claims another device's address.
TEST(Scan, AnAnswerFromAnotherAddressThanItClaimsIsMarkedDoubtful) {
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields honest{.mac = "02-00-00-00-00-01", .ip = "127.0.0.31"};
    ScanAnswerFields claiming{.mac = "02-00-00-00-00-02", .ip = "127.0.0.32"};
    devices.answerScan(
        {{"127.0.0.31", scanAnswerFrame(honest)}, {"127.0.0.33", scanAnswerFrame(claiming)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    const WindowParts& parts = f.parts();
    const ui::DeviceTable& lines = form.deviceList();
    form.show();
    pumpRounds(5);
    ASSERT_EQ(lines.count(), 2);
    const int row = lines.firstRowWithCaption("02-00-00-00-00-02");
    EXPECT_TRUE(parts.ListView1->isMarked(row));
    EXPECT_FALSE(parts.ListView1->isMarked(1 - row));
    form.ListView1MouseMove(parts.ListView1->visualRect(lines.index(row, 1)).center());
    EXPECT_EQ(parts.ListView1->hintText(), "Doubtful: the answer came from 127.0.0.33, not from "
                                           "127.0.0.32, the address it claims");
}

TEST(Scan, ForeignSubnetDeviceAnsweringByBroadcastIsListed) {
    ASSERT_TRUE(runShell("ip addr replace 10.9.0.5/32 dev lo"));
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields foreign{.mac = "02-00-00-00-00-09",
                             .ip = "10.9.0.5",
                             .netmask = "255.255.255.0",
                             .gateway = "10.9.0.1"};
    devices.answerScan({{"10.9.0.5", scanAnswerFrame(foreign)}}, "255.255.255.255");
    ASSERT_TRUE(pumpUntil([&] { return f.form().deviceList().count() == 1; }));
    EXPECT_EQ(cell(f, 0, 0), "10.9.0.5");
    EXPECT_EQ(cell(f, 0, 1), "255.255.255.0");
}

TEST(Scan, ReadRequestsGoByBroadcastOutsideTheSubnetOrWithDhcpTicked) {
    ASSERT_TRUE(runShell("ip addr replace 10.9.0.5/32 dev lo"));
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields foreign{.mac = "02-00-00-00-00-09", .ip = "10.9.0.5", .length = 17};
    devices.answerScan({{"10.9.0.5", scanAnswerFrame(foreign)}}, "255.255.255.255");
    const auto read =
        devices.waitFor(protocol::buildFrame(0x05, *protocol::macBytesFromText(foreign.mac)));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->destination, "255.255.255.255");
    ASSERT_TRUE(f.waitForScanEnd());

    // The DHCP box forces the broadcast even for a device in the adapter's subnet.
    auto& form = f.form();
    const WindowParts& parts = f.parts();
    parts.CheckBoxDhcpEnabled->setChecked(true);
    EXPECT_EQ(form.engine().destinationFor(QStringLiteral("127.0.0.44")), "255.255.255.255");
    parts.CheckBoxDhcpEnabled->setChecked(false);
    EXPECT_EQ(form.engine().destinationFor(QStringLiteral("127.0.0.44")), "127.0.0.44");
    // The adapter's own address.
    EXPECT_EQ(form.engine().destinationFor(QStringLiteral("127.0.0.1")), "255.255.255.255");
    EXPECT_TRUE(f.logContains(QStringLiteral("Subnetmask found 255.0.0.0")));
}

TEST(Scan, ClickingALineLoadsTheEditorAndQueriesMissingValues) {
    FormFixture f;
    LoopbackDevices devices;
    f.activate();
    ScanAnswerFields full{.mac = "02-00-00-00-00-01", .ip = "127.0.0.21", .dhcpByte = 0x11};
    ScanAnswerFields silent{.mac = "02-00-00-00-00-02", .ip = "127.0.0.22", .length = 17};
    devices.answerScan(
        {{"127.0.0.21", scanAnswerFrame(full)}, {"127.0.0.22", scanAnswerFrame(silent)}});
    ASSERT_TRUE(f.waitForScanEnd());
    auto& form = f.form();
    const WindowParts& parts = f.parts();

    parts.ListView1->selectRow(0);
    form.ListView1Click();
    EXPECT_EQ(parts.EditMacAddr->text(), full.mac);
    EXPECT_EQ(parts.EditIpAddr->text(), full.ip);
    EXPECT_TRUE(parts.CheckBoxDhcpEnabled->isChecked());
    EXPECT_TRUE(parts.CheckBoxDhcpEnabled->isEnabled());
    EXPECT_FALSE(parts.EditIpAddr->isEnabled());
    EXPECT_TRUE(parts.actRestart->isEnabled());
    EXPECT_TRUE(parts.ButtonSet->isEnabled());

    // The second device's netmask and gateway are asked for again, and answered now.
    parts.ListView1->selectRow(1);
    const QByteArray macBytes = *protocol::macBytesFromText(silent.mac);
    bool answered = false;
    devices.answerBy([&](const UdpPeer::Datagram& request) -> std::vector<LoopbackDevices::Answer> {
        if (request.bytes != protocol::buildFrame(0x05, macBytes))
            return {};
        answered = true;
        return {{silent.ip, readAnswerFrame(0x85, "255.255.255.0")}};
    });
    form.ListView1Click();
    ASSERT_TRUE(f.waitForClose());
    devices.stopAnswering();
    EXPECT_TRUE(answered);
    // The answer reaches the list while the click closes the endpoint, whether or not it
    // came in time for the edit.
    EXPECT_EQ(cell(f, 1, 1), "255.255.255.0");
    EXPECT_EQ(parts.EditMacAddr->text(), silent.mac);
    EXPECT_FALSE(parts.CheckBoxDhcpEnabled->isEnabled());
    EXPECT_TRUE(parts.EditIpAddr->isEnabled());
    EXPECT_FALSE(parts.actRestart->isEnabled());
    EXPECT_EQ(form.FSocket(), 0);
}
