// The change transaction where it used to go wrong, against the device simulator: answers
// that are not the change's own, a refusal that must not end in a timeout, and a value that
// could not be sent.
#include "support/device_frames.h"
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/simulator_process.h"
#include "support/test_network.h"
#include "support/udp_peer.h"

#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kOtherMac = QStringLiteral("00-11-22-33-44-66");
const QColor kRed(255, 0, 0);

std::string deviceSection(const char* name, const QString& mac, const char* ip,
                          const std::string& extra = {}) {
    return std::string("[") + name + "]\nmac = " + mac.toStdString() + "\nip = " + ip +
           "\nnetmask = 255.0.0.0\ngateway = 127.0.0.254\n" + extra + "\n";
}

class ChangeFaults : public ::testing::Test {
protected:
    // Starts the simulator with these devices and waits for the first scan to list them.
    void startWith(const std::string& deviceFile, int lines) {
        simulator = network->devices().startSimulator(deviceFile);
        f.log.setMaxLines(1000000);
        f.activate();
        ASSERT_TRUE(f.waitForScanEnd());
        ASSERT_EQ(form.deviceList().count(), lines);
    }

    int rowOf(const QString& mac) const { return form.deviceList().firstRowWithCaption(mac); }
    QString cell(const QString& mac, int index) const {
        return form.deviceList().cell(rowOf(mac), index);
    }

    void load(const QString& mac) {
        parts.ListView1->selectRow(rowOf(mac));
        form.ListView1Click();
        ASSERT_EQ(parts.EditMacAddr->text(), mac);
    }

    // A device answer that the simulator would not send, from an address of the test's choice.
    bool answerFrom(const QString& source, const QByteArray& frame) {
        return peer.sendFrom(source, frame, QStringLiteral("127.0.0.1"), 55808);
    }

    bool statusIs(const char* key) const {
        return form.statusText() == form.translate(QString::fromLatin1(key));
    }

    static FormFixture::Options timers() {
        FormFixture::Options options;
        options.timerSection = QStringLiteral("TimerScan=1500\nTimerSetParam=200\n"
                                              "TimerGetParams=400\n");
        return options;
    }

    std::unique_ptr<TestNetwork> network = TestNetwork::tier1();
    std::unique_ptr<SimulatorProcess> simulator;
    FormFixture f{timers()};
    app::TForm1& form = f.form();
    const WindowParts& parts = f.parts();
    UdpPeer peer{QStringLiteral("127.0.0.1"), 0};
};

} // namespace

TEST_F(ChangeFaults, ALateConfirmationDuringTheNextScanChangesNothingAndTheScanRunsItsPeriod) {
    startWith(deviceSection("half-deaf", kMac, "127.0.0.40", "silent = ip-permanent") +
                  deviceSection("other", kOtherMac, "127.0.0.50"),
              2);
    load(kMac);
    parts.EditIpAddr->setText("127.0.0.41");
    parts.ButtonSet->click();
    // The temporary IP is confirmed and the permanent request leaves; its answer does not
    // come in time, and the change ends in the timeout, which gives Scan back.
    ASSERT_TRUE(pumpUntil([&] {
        return cell(kMac, 0) == "127.0.0.41" && !form.changeWatchRunning() &&
               f.logCount(QStringLiteral("********* Start save")) == 2;
    }));
    EXPECT_TRUE(statusIs("Changes_not_saved"));
    ASSERT_TRUE(f.waitForClose());
    ASSERT_TRUE(parts.ButtonScan->isEnabled());
    const int closes = f.closeCount();
    bool closedDuringScanPeriod = false;
    QObject watching;
    QObject::connect(&form, &app::TForm1::endpointClosed, &watching,
                     [&] { closedDuringScanPeriod |= form.scanRunning(); });
    parts.ButtonScan->click();
    ASSERT_TRUE(pumpUntil([&] { return form.deviceList().count() == 2; }));

    // The permanent request's answer arrives now, from the device's new address, and
    // another device answers the scan right behind it.
    ASSERT_TRUE(answerFrom("127.0.0.41", QByteArray::fromHex("0282007B")));
    ASSERT_TRUE(answerFrom("127.0.0.60", scanAnswerFrame(ScanAnswerFields{
                                             .mac = "00-11-22-33-44-77", .ip = "127.0.0.60"})));
    ASSERT_TRUE(pumpUntil([&] { return form.deviceList().count() == 3; }))
        << "an answer behind the late confirmation was lost";
    ASSERT_TRUE(f.waitForScanEnd());

    EXPECT_EQ(cell(kMac, 0), "127.0.0.41");
    EXPECT_EQ(cell(kOtherMac, 0), "127.0.0.50");
    EXPECT_EQ(cell("00-11-22-33-44-77", 0), "127.0.0.60");
    EXPECT_TRUE(statusIs("Scan_finished"));
    EXPECT_EQ(f.closeCount(), closes + 1);
    EXPECT_FALSE(closedDuringScanPeriod);
    EXPECT_TRUE(f.logContains("Change answer without a change in progress ignored"));
    EXPECT_EQ(f.logCount(QStringLiteral("********* Start save")), 2);
    ASSERT_EQ(f.boxes.messages().size(), 1u);
    EXPECT_EQ(f.boxes.messages()[0].text, form.translate("Parameter_setting_timeout"));
    EXPECT_EQ(parts.ListView1->textColourOf(rowOf(kMac)), std::nullopt);
}

TEST_F(ChangeFaults, AConfirmationFromAnotherDeviceIsNotTakenAndTheTimeoutFollows) {
    startWith(deviceSection("deaf-to-gateways", kMac, "127.0.0.40", "silent = gateway-temporary") +
                  deviceSection("other", kOtherMac, "127.0.0.50"),
              2);
    load(kMac);
    parts.EditGatewayAddr->setText("127.0.0.1");
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] { return f.logCount(QStringLiteral("********* Start save")) == 1; }));

    // The gateway confirmation comes from the other device's address.
    ASSERT_TRUE(answerFrom("127.0.0.50", statusAnswerFrame(0x8A, 0)));
    ASSERT_TRUE(pumpUntil([&] {
        return f.logContains("Change answer from 127.0.0.50, not the changed device, ignored");
    }));
    ASSERT_TRUE(pumpUntil([&] { return statusIs("Changes_not_saved"); }));
    pumpRounds(1); // the box follows the status panel

    EXPECT_EQ(cell(kOtherMac, 2), "127.0.0.254");
    EXPECT_EQ(cell(kMac, 2), "127.0.0.254");
    EXPECT_EQ(parts.ListView1->textColourOf(rowOf(kMac)), kRed);
    EXPECT_EQ(requestsReceived(*simulator, 0x0A), 1u);
    EXPECT_EQ(requestsReceived(*simulator, 0x08), 0u);
    const auto boxes = f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, form.translate("Parameter_setting_timeout"));
}

TEST_F(ChangeFaults, ALateConfirmationWritesWhatWasSentWhileTheEditorShowsAnotherDevice) {
    startWith(deviceSection("slow-to-store", kMac, "127.0.0.40", "silent = netmask-permanent") +
                  "[other]\nmac = 00-11-22-33-44-66\nip = 127.0.0.50\n"
                  "netmask = 255.255.255.0\ngateway = 127.0.0.254\n",
              2);
    load(kMac);
    parts.EditNetMask->setText("255.255.000.000");
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] {
        return cell(kMac, 1) == "255.255.0.0" &&
               f.logCount(QStringLiteral("********* Start save")) == 2;
    }));

    // The user looks at the other device while the permanent netmask is still unconfirmed;
    // then its confirmation arrives, late but within the watch.
    load(kOtherMac);
    const int closes = f.closeCount();
    ASSERT_TRUE(answerFrom("127.0.0.40", statusAnswerFrame(0x86, 0)));
    ASSERT_TRUE(pumpUntil([&] { return f.closeCount() > closes; }, 20000));

    EXPECT_TRUE(statusIs("Operation_finished"));
    EXPECT_EQ(cell(kMac, 1), "255.255.0.0");
    EXPECT_EQ(cell(kOtherMac, 1), "255.255.255.0");
    EXPECT_EQ(parts.EditMacAddr->text(), kOtherMac);
    EXPECT_EQ(parts.EditNetMask->text(), "255.255.255.0");
}

TEST_F(ChangeFaults, AnAddressInUseRefusesSwitchingDhcpOffWithoutATimeoutOrARequest) {
    startWith(deviceSection("on-dhcp", kMac, "127.0.0.40", "dhcp = active") +
                  deviceSection("other", kOtherMac, "127.0.0.50"),
              2);
    load(kMac);
    const QString statusBefore = form.statusText();
    parts.CheckBoxDhcpEnabled->click();
    ASSERT_FALSE(parts.CheckBoxDhcpEnabled->isChecked());
    parts.EditIpAddr->setText("127.0.0.50");
    parts.EditNetMask->setText("255.0.0.0");
    parts.EditGatewayAddr->setText("127.0.0.254");
    parts.ButtonSet->click();

    // Longer than the 13 ticks of TimerSetParam: no timeout may follow the refusal.
    EXPECT_FALSE(pumpUntil([&] { return f.boxes.messages().size() > 1; }, 3500));
    const auto boxes = f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, form.translate("ip_already_in_use"));
    EXPECT_EQ(boxes[0].caption, form.translate("Error"));
    EXPECT_EQ(form.statusText(), statusBefore);
    EXPECT_EQ(parts.ListView1->textColourOf(rowOf(kMac)), std::nullopt);
    EXPECT_TRUE(app::TForm1::isShownInvalid(parts.EditIpAddr));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(requestsReceived(*simulator, 0x0C), 0u);

    // With a free address the same change goes through, its DHCP request sent once.
    parts.EditIpAddr->setText("127.0.0.45");
    const int closes = f.closeCount();
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] { return f.closeCount() > closes; }, 20000));
    EXPECT_TRUE(statusIs("Operation_finished"));
    EXPECT_EQ(cell(kMac, 0), "127.0.0.45");
    EXPECT_EQ(cell(kMac, 3), form.stateTexts().dhcpNotActive);
    EXPECT_EQ(requestsReceived(*simulator, 0x0C), 1u);
    EXPECT_EQ(f.boxes.messages().size(), 2u); // the restart offer
}

TEST_F(ChangeFaults, SwitchingDhcpOffWithoutAValidNetmaskSaysThatTheNetmaskWasNotSent) {
    startWith(deviceSection("on-dhcp", kMac, "127.0.0.40", "dhcp = active"), 1);
    load(kMac);
    parts.CheckBoxDhcpEnabled->click();
    parts.EditIpAddr->setText("127.0.0.45");
    parts.EditNetMask->setText(form.stateTexts().notAvailable);
    parts.EditGatewayAddr->setText("127.0.0.1");
    const int closes = f.closeCount();
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] { return f.closeCount() > closes; }, 20000));

    EXPECT_EQ(form.statusText(),
              "Operation finished; not sent for want of a valid address: netmask");
    EXPECT_TRUE(f.logContains("Not queued, no valid address: " + form.stateTexts().notAvailable));
    EXPECT_EQ(cell(kMac, 0), "127.0.0.45");
    EXPECT_EQ(cell(kMac, 1), "255.0.0.0");
    EXPECT_EQ(cell(kMac, 2), "127.0.0.1");
    EXPECT_EQ(cell(kMac, 3), form.stateTexts().dhcpNotActive);
    for (const quint8 code : {0x0C, 0x03, 0x02, 0x0A, 0x08})
        EXPECT_EQ(requestsReceived(*simulator, code), 1u) << int(code);
    for (const quint8 code : {0x09, 0x06})
        EXPECT_EQ(requestsReceived(*simulator, code), 0u) << int(code);
}
