// One press of Scan on a PC with two network cards, against the demo's mixed gateways on the
// segment behind the chosen card: every device is listed with the texts it must show, and
// nothing of the other segment.
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/simulator_process.h"
#include "support/test_network.h"

#include "platform/registry.h"
#include "ui/model/device_table.h"

#include <QComboBox>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace testsupport;

namespace {

// An older gateway still waiting for a DHCP server, deaf to reads: its netmask and gateway
// can only end up "not configurable". The demo has no such device, so the test adds it.
const char* const kOldLinkLocalDevice = "\n[old-unconfigured]\n"
                                        "mac = 02-54-56-01-00-71\n"
                                        "ip = 169.254.10.21\n"
                                        "type = 0x0108\n"
                                        "revision = V1.00\n"
                                        "layout = short18\n"
                                        "silent = reads\n";

std::string fileText(const char* path) {
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

enum class Dhcp { Inactive, Active, Unsupported, Unreported };
enum class Address { Read, NotAvailable, NotConfigurable };

struct Expected {
    const char* ip;
    const char* netmask; // as shown; for a short answer what the reads bring
    const char* gateway;
    Dhcp dhcp;
    const char* type;
    const char* revision;
    Address address = Address::Read;
};

const char* const kProfibus = "TORVANE PB-DP Gateway";

// By MAC: what the list must show for each gateway of data/demo/devices.ini.
const std::map<QString, Expected> kExpected{
    {"02-54-56-01-00-11",
     {"10.77.0.11", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, kProfibus, "V2.10"}},
    {"02-54-56-01-00-12",
     {"10.77.0.12", "255.255.255.0", "10.77.0.1", Dhcp::Active, "TORVANE DeviceNet Gateway",
      "V1.42"}},
    {"02-54-56-01-00-13",
     {"10.77.0.13", "255.255.255.0", "10.77.0.1", Dhcp::Unsupported, "TORVANE CANopen Gateway",
      "V1.07"}},
    {"02-54-56-01-00-14",
     {"10.77.0.14", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE Modbus RTU Gateway",
      "V3.01"}},
    {"02-54-56-01-00-15",
     {"10.77.0.15", "255.255.255.0", "10.77.0.1", Dhcp::Active, "TORVANE Modbus TCP Gateway",
      "V3.02"}},
    {"02-54-56-01-00-21",
     {"10.77.0.21", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE PROFINET IO Gateway",
      "V4.00"}},
    {"02-54-56-01-00-22",
     {"10.77.0.22", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE EtherNet/IP Gateway",
      "V2.33"}},
    {"02-54-56-01-00-23",
     {"10.77.0.23", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE EtherCAT Gateway",
      "V1.90"}},
    {"02-54-56-01-00-24",
     {"10.77.0.24", "255.255.255.0", "10.77.0.1", Dhcp::Unreported, "TORVANE CC-Link Gateway",
      "V0.98"}},
    {"02-54-56-01-00-25",
     {"10.77.0.25", "255.255.255.0", "10.77.0.1", Dhcp::Unreported,
      "TORVANE IO-Link Master Gateway", "V0.99"}},
    // N = 17 has no room for the type's high byte: code 0x0C.
    {"02-54-56-01-00-26",
     {"10.77.0.26", "255.255.255.0", "10.77.0.1", Dhcp::Unreported, "not defined (12)", "V0.50"}},
    {"02-54-56-01-00-27",
     {"10.77.0.27", "", "", Dhcp::Unreported, "TORVANE ASi Master Gateway", "V0.42",
      Address::NotAvailable}},
    {"02-54-56-01-00-31",
     {"10.77.0.31", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE ASi Master Gateway",
      "V2.00"}},
    {"02-54-56-01-00-32",
     {"10.77.0.32", "255.255.255.0", "10.77.0.1", Dhcp::Active, "TORVANE Powerlink Gateway",
      "V1.11"}},
    {"02-54-56-01-00-33",
     {"10.77.0.33", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE LonWorks Gateway",
      "V1.03"}},
    {"02-54-56-01-00-41",
     {"10.77.0.40", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE BACnet/IP Gateway",
      "V1.20"}},
    {"02-54-56-01-00-42",
     {"10.77.0.40", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "TORVANE BACnet/IP Gateway",
      "V1.20"}},
    // Type 0x0777: only the bits 0x1B of the high byte count.
    {"02-54-56-01-00-50",
     {"10.77.0.50", "255.255.255.0", "10.77.0.1", Dhcp::Inactive, "not defined (887)", "X0.01"}},
    // Outside the PC's subnet: it answers by broadcast.
    {"02-54-56-01-00-60",
     {"192.168.1.20", "255.255.255.0", "192.168.1.1", Dhcp::Inactive, "TORVANE Modbus TCP Gateway",
      "V3.02"}},
    {"02-54-56-01-00-70",
     {"169.254.10.20", "255.255.0.0", "0.0.0.0", Dhcp::Active, "TORVANE PROFINET IO Gateway",
      "V4.01"}},
    {"02-54-56-01-00-71",
     {"169.254.10.21", "", "", Dhcp::Unreported, "TORVANE EtherNet/IP Gateway", "V1.00",
      Address::NotConfigurable}},
};

class Tier2Scan : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        network = TestNetwork::tier2(&whyNot);
        if (!network)
            GTEST_SKIP() << whyNot;
        const std::string demo = fileText(TORVANE_SOURCE_DIR "/data/demo/devices.ini");
        const std::string other = fileText(TORVANE_SOURCE_DIR "/data/demo/devices-other.ini");
        ASSERT_FALSE(demo.empty() || other.empty()) << "data/demo is missing";
        devices = network->devices().startSimulator(demo + kOldLinkLocalDevice);
        otherDevices = network->otherSegment().startSimulator(other);

        FormFixture::Options options;
        // Room for the slow gateway's answer (300 ms late), then one read per tick.
        options.timerSection = QStringLiteral("TimerScan=1500\nTimerSetParam=200\n"
                                              "TimerGetParams=400\n");
        fixture = std::make_unique<FormFixture>(options);
        platform::Registry registry(fixture->store());
        ASSERT_TRUE(registry.openKey(QStringLiteral("\\software\\Kestrelwald\\TorvaneScan"), true));
        registry.writeString(QStringLiteral("SelectedAdapterIp"),
                             QString::fromStdString(network->devices().pcAddress()));
    }

    QString dhcpText(Dhcp dhcp) const {
        app::TForm1& form = fixture->form();
        switch (dhcp) {
        case Dhcp::Inactive:
            return form.stateTexts().dhcpNotActive;
        case Dhcp::Active:
            return form.stateTexts().dhcpActive;
        case Dhcp::Unsupported:
            return form.stateTexts().dhcpNotSupported;
        case Dhcp::Unreported:
            break;
        }
        return form.stateTexts().notAvailableShort;
    }

    std::unique_ptr<TestNetwork> network;
    std::unique_ptr<SimulatorProcess> devices;
    std::unique_ptr<SimulatorProcess> otherDevices;
    std::unique_ptr<FormFixture> fixture;
};

} // namespace

TEST_F(Tier2Scan, OneScanListsEveryGatewayOfTheSegmentWithItsTexts) {
    app::TForm1& form = fixture->form();
    const WindowParts& parts = fixture->parts();
    const ui::DeviceTable& lines = form.deviceList();
    fixture->activate();
    ASSERT_EQ(parts.ComboBoxAdapter->currentText().toStdString(), network->devices().pcAddress());
    ASSERT_TRUE(fixture->waitForScanEnd(30000)) << devices->output();

    EXPECT_TRUE(fixture->boxes.messages().empty());
    // The reads of the short answers outlast the scan period: the panel ends with their count.
    const auto shortAnswers =
        std::count_if(kExpected.begin(), kExpected.end(),
                      [](const auto& entry) { return entry.second.dhcp == Dhcp::Unreported; });
    EXPECT_EQ(form.statusText(), QStringLiteral("Netmask and gateway: %1 of %1").arg(shortAnswers));
    ASSERT_EQ(lines.count(), int(kExpected.size())) << devices->output();
    for (int row = 0; row < lines.count(); ++row) {
        const QString mac = lines.caption(row);
        SCOPED_TRACE(mac.toStdString());
        const auto found = kExpected.find(mac);
        ASSERT_NE(found, kExpected.end());
        const Expected& expected = found->second;
        EXPECT_EQ(lines.cell(row, 0), QLatin1String(expected.ip));
        switch (expected.address) {
        case Address::Read:
            EXPECT_EQ(lines.cell(row, 1), QLatin1String(expected.netmask));
            EXPECT_EQ(lines.cell(row, 2), QLatin1String(expected.gateway));
            break;
        case Address::NotAvailable:
            EXPECT_EQ(lines.cell(row, 1), form.stateTexts().notAvailable);
            EXPECT_EQ(lines.cell(row, 2), form.stateTexts().notAvailable);
            break;
        case Address::NotConfigurable:
            EXPECT_EQ(lines.cell(row, 1), form.stateTexts().notConfigurable);
            EXPECT_EQ(lines.cell(row, 2), form.stateTexts().notConfigurable);
            break;
        }
        EXPECT_EQ(lines.cell(row, 3), dhcpText(expected.dhcp));
        EXPECT_EQ(lines.cell(row, 4), QString::fromUtf8(expected.type));
        EXPECT_EQ(lines.cell(row, 5), QLatin1String(expected.revision));
        const char* restart = expected.dhcp == Dhcp::Unreported    ? ""
                              : expected.dhcp == Dhcp::Unsupported ? "restartNOTSupported"
                                                                   : "restartSupported";
        EXPECT_EQ(lines.cell(row, 7), QLatin1String(restart));
        // The last answer came from a device with an address of its own.
        EXPECT_EQ(lines.cell(row, 6), QLatin1String(" "));
        if (row > 0) {
            EXPECT_LT(ui::DeviceTable::compareText(lines.caption(row - 1), mac), 0);
        }
    }
    // The other segment never heard the scan.
    EXPECT_TRUE(otherDevices->traffic().empty());
}
