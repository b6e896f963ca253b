// The change transaction, blink and restart against the device simulator on loopback.
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/simulator_process.h"
#include "support/test_network.h"

#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");

std::string gatewayFile(const std::string& extra = {}) {
    return "[gateway]\n"
           "mac = 00-11-22-33-44-55\n"
           "ip = 127.0.0.40\n"
           "netmask = 255.0.0.0\n"
           "gateway = 127.0.0.254\n"
           "dhcp = inactive\n" +
           extra;
}

class ChangeAgainstSimulator : public ::testing::Test {
protected:
    void startWith(const std::string& deviceFile) {
        simulator = network->devices().startSimulator(deviceFile);
        f.activate();
        ASSERT_TRUE(f.waitForScanEnd());
        ASSERT_EQ(form.deviceList().count(), 1);
        parts.ListView1->selectRow(0);
        form.ListView1Click();
        ASSERT_EQ(parts.EditMacAddr->text(), kMac);
    }

    bool save() {
        const int closes = f.closeCount();
        form.actChangeIPConfigExecute();
        return pumpUntil([&] { return f.closeCount() > closes; }, 20000);
    }

    std::unique_ptr<TestNetwork> network = TestNetwork::tier1();
    std::unique_ptr<SimulatorProcess> simulator;
    FormFixture f;
    app::TForm1& form = f.form();
    const WindowParts& parts = f.parts();
};

} // namespace

TEST_F(ChangeAgainstSimulator, AnAddressChangeIsTakenAndTheNextScanFindsTheDeviceThere) {
    startWith(gatewayFile());
    parts.EditIpAddr->setText("127.0.0.41");
    parts.EditNetMask->setText("255.255.0.0");
    ASSERT_TRUE(save());
    EXPECT_EQ(form.statusText(), form.translate("Operation_finished"));
    EXPECT_EQ(form.deviceList().cell(0, 0), "127.0.0.41");
    EXPECT_EQ(form.deviceList().cell(0, 1), "255.255.0.0");
    for (quint8 code : {0x03, 0x02, 0x09, 0x06})
        EXPECT_EQ(requestsReceived(*simulator, code), 1u) << int(code);

    // The simulated device now uses the new address: a new scan lists it there.
    form.ButtonScanClick();
    ASSERT_TRUE(f.waitForScanEnd());
    ASSERT_EQ(form.deviceList().count(), 1);
    EXPECT_EQ(form.deviceList().cell(0, 0), "127.0.0.41");
    EXPECT_EQ(form.deviceList().cell(0, 1), "255.255.0.0");
}

TEST_F(ChangeAgainstSimulator, ASecondSaveWhileAChangeWaitsLeavesTheFirstToBeStoredWhole) {
    startWith(gatewayFile());
    parts.EditIpAddr->setText("127.0.0.41");
    parts.EditNetMask->setText("255.255.0.0");
    const int closes = f.closeCount();
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] { return form.answerCount() == 1; }));
    // A click on the line loads the editor; Save is not offered again, and a Save that
    // comes all the same is passed over.
    form.ListView1Click();
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    parts.EditGatewayAddr->setText("127.0.0.1");
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] { return f.closeCount() > closes; }, 20000));
    EXPECT_EQ(form.statusText(), form.translate("Operation_finished"));
    EXPECT_EQ(form.answerCount(), 4);
    EXPECT_EQ(requestsReceived(*simulator, 0x0A), 0u);

    // What the device stored is what it comes up with after a restart.
    form.actRestartExecute();
    ASSERT_TRUE(f.waitForClose());
    form.ButtonScanClick();
    ASSERT_TRUE(f.waitForScanEnd());
    ASSERT_EQ(form.deviceList().count(), 1);
    EXPECT_EQ(form.deviceList().cell(0, 0), "127.0.0.41");
    EXPECT_EQ(form.deviceList().cell(0, 1), "255.255.0.0");
    EXPECT_EQ(form.deviceList().cell(0, 2), "127.0.0.254");
}

TEST_F(ChangeAgainstSimulator, ARefusingDeviceStopsTheChangeAfterItsFirstAnswer) {
    startWith(gatewayFile("ip-status = 1\n"));
    parts.EditIpAddr->setText("127.0.0.41");
    form.actChangeIPConfigExecute();
    ASSERT_TRUE(pumpUntil([&] { return form.answerCount() == 1; }));
    pumpRounds(200);
    EXPECT_EQ(form.statusText(), form.translate("Setting_not_allowed"));
    EXPECT_EQ(form.deviceList().cell(0, 0), "127.0.0.40");
    EXPECT_EQ(requestsReceived(*simulator, 0x03), 1u);
    EXPECT_EQ(requestsReceived(*simulator, 0x02), 0u);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
}

TEST_F(ChangeAgainstSimulator, BlinkIsAnsweredAndRestartReachesTheDevice) {
    startWith(gatewayFile("blink-status = 1\n"));
    form.actBlinkExecute();
    ASSERT_TRUE(f.waitForClose());
    EXPECT_EQ(form.statusText(), form.translate("Blinktest_not_allowed"));
    form.actRestartExecute();
    ASSERT_TRUE(f.waitForClose());
    simulator->waitForTraffic(
        [](const std::vector<TrafficRecord>& records) {
            for (const TrafficRecord& record : records) {
                if (!record.sent && record.bytes.size() > 1 && quint8(record.bytes[1]) == 0x0B)
                    return true;
            }
            return false;
        },
        std::chrono::seconds(10));
    EXPECT_EQ(requestsReceived(*simulator, 0x04), 1u);
    EXPECT_EQ(requestsReceived(*simulator, 0x0B), 1u);
    EXPECT_FALSE(form.socketOpen());
}
