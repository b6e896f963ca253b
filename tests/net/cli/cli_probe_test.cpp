// New addresses on a segment with hosts that are no gateways (a namespace of their own behind
// a veth link): the probe refuses an address such a host holds, and --ip auto moves a gateway
// at its factory address to the lowest free address of the PC's subnet.
#include "support/cli_process.h"
#include "support/factory_gateway_devices.h"
#include "support/simulator_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include "report/csv_text.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString kRefusal = "10.77.0.50 is in use by a host that is not a TORVANE gateway (MAC ";

class CliProbe : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        network = TestNetwork::tier2(&whyNot);
        if (!network)
            GTEST_SKIP() << whyNot;
        simulator = network->devices().startSimulator(kInsideAndFactoryGateways);
        // A PLC and a switch on the segment: they answer, but not as gateways.
        network->devices().addAddress("10.77.0.2/32");
        network->devices().addAddress("10.77.0.50/32");
    }

    static CliRun cli(const QStringList& arguments) {
        return runCli(QStringList{"--adapter", "10.77.0.1", "--scan-ms", "500"} + arguments);
    }

    // The scanned row of a device, by the CSV header's names.
    static QHash<QString, QString> scanned(const QString& mac) {
        const CliRun run = cli({"--format", "csv", "scan"});
        const report::CsvTable table = report::readCsv(run.out);
        QHash<QString, QString> row;
        for (std::size_t i = 1; i < table.records.size(); ++i) {
            if (table.records[i].fields.value(0) != mac)
                continue;
            for (qsizetype k = 0; k < table.records[0].fields.size(); ++k)
                row.insert(table.records[0].fields[k], table.records[i].fields.value(k));
        }
        return row;
    }

    std::unique_ptr<TestNetwork> network;
    std::unique_ptr<SimulatorProcess> simulator;
};

} // namespace

TEST_F(CliProbe, AnAddressAHostThatIsNoGatewayAnswersAtIsRefusedBeforeAnythingIsSent) {
    const CliRun set = cli({"set", "02-60-00-00-00-03", "--ip", "10.77.0.50"});
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_TRUE(set.out.startsWith("02-60-00-00-00-03 at 10.77.0.3: refused, " + kRefusal))
        << set.out.toStdString();

    // A plan's addresses are probed together; the gateway's own address is no conflict.
    TempDirectory folder;
    const std::string plan = folder.write("plan.csv", "mac,ip\n02-60-00-00-00-03,10.77.0.50\n"
                                                      "02-60-00-00-00-20,10.77.0.3\n");
    const CliRun dryRun =
        cli({"--format", "csv", "apply", QString::fromStdString(plan), "--dry-run"});
    const report::CsvTable rows = report::readCsv(dryRun.out);
    ASSERT_EQ(rows.records.size(), 3u) << dryRun.out.toStdString();
    EXPECT_EQ(rows.records[1].fields.mid(0, 3), QStringList({"2", "02-60-00-00-00-03", "refused"}));
    EXPECT_TRUE(rows.records[1].fields.last().startsWith(kRefusal));
    EXPECT_FALSE(rows.records[2].fields.last().contains("in use by a host"));
    for (const quint8 code : {0x02, 0x03, 0x06, 0x08, 0x09, 0x0A})
        EXPECT_EQ(requestsReceived(*simulator, code), 0u);
}

TEST_F(CliProbe, IpAutoMovesAGatewayAtItsFactoryAddressToTheLowestFreeAddressOfTheSubnet) {
    EXPECT_EQ(scanned("02-60-00-00-00-20").value("in_adapter_subnet"), "false");
    EXPECT_EQ(scanned("02-60-00-00-00-03").value("in_adapter_subnet"), "true");

    const CliRun set = cli({"set", "02-60-00-00-00-20", "--ip", "auto"});
    ASSERT_EQ(set.exitCode, 0) << set.out.toStdString() << set.err.toStdString();

    // .1 is the PC's, .2 answers the probe, .3 is a listed gateway's; the device's gateway
    // lies outside the new subnet.
    const QHash<QString, QString> moved = scanned("02-60-00-00-00-20");
    EXPECT_EQ(moved.value("ip"), "10.77.0.4");
    EXPECT_EQ(moved.value("netmask"), "255.255.255.0");
    EXPECT_EQ(moved.value("gateway"), "0.0.0.0");
    EXPECT_EQ(moved.value("in_adapter_subnet"), "true");
}
