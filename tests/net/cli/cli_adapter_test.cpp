// A PC with two network cards: the command line works through the card the window chose.
#include "support/cli_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr const char* kNearDevice =
    "[near]\nmac = 02-40-00-00-00-01\nip = 10.77.0.11\nnetmask = 255.255.255.0\n";
constexpr const char* kFarDevice =
    "[far]\nmac = 02-40-00-00-00-02\nip = 10.78.0.11\nnetmask = 255.255.255.0\n";

QStringList scannedMacs(const CliRun& run) {
    QStringList macs;
    const QStringList lines = run.out.split("\r\n", Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i)
        macs.append(lines[i].section(',', 0, 0));
    return macs;
}

} // namespace

TEST(CliAdapter, TheWindowsChoiceElseTheFirstAddressElseTheOneGiven) {
    std::string whyNot;
    const auto network = TestNetwork::tier2(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const auto near = network->devices().startSimulator(kNearDevice);
    const auto far = network->otherSegment().startSimulator(kFarDevice);
    const QStringList scan{"--scan-ms", "500", "--format", "csv", "scan"};

    TempDirectory home;
    const QString configHome = QString::fromStdString(home.path());
    const CliRun first = runCli(scan, configHome);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(scannedMacs(first), QStringList({"02-40-00-00-00-01"}));

    ASSERT_TRUE(QDir(configHome).mkpath("Kestrelwald"));
    home.write("Kestrelwald/registry.txt", "[SOFTWARE\\Kestrelwald\\TorvaneScan]\n"
                                           "\"SelectedAdapterIp\"=\"10.78.0.1\"\n");
    const CliRun stored = runCli(scan, configHome);
    ASSERT_EQ(stored.exitCode, 0) << stored.err.toStdString();
    EXPECT_EQ(scannedMacs(stored), QStringList({"02-40-00-00-00-02"}));

    const CliRun given = runCli(QStringList{"--adapter", "10.77.0.1"} + scan, configHome);
    ASSERT_EQ(given.exitCode, 0) << given.err.toStdString();
    EXPECT_EQ(scannedMacs(given), QStringList({"02-40-00-00-00-01"}));
}

// --adapter all: every adapter scans, each device is listed with the adapter that heard it
// and worked through that adapter.
TEST(CliAdapter, AllListsTheDevicesBehindEveryAdapterAndReachesEachThroughItsOwn) {
    std::string whyNot;
    const auto network = TestNetwork::tier2(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const auto near = network->devices().startSimulator(kNearDevice);
    const auto far = network->otherSegment().startSimulator(kFarDevice);

    const CliRun csv = runCli({"--adapter", "all", "--scan-ms", "500", "--format", "csv", "scan"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QStringList lines = csv.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << csv.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("02-40-00-00-00-01,") &&
                lines[1].contains(",10.77.0.1,true,false,"));
    EXPECT_TRUE(lines[2].startsWith("02-40-00-00-00-02,") &&
                lines[2].contains(",10.78.0.1,true,false,"));

    const CliRun table = runCli({"--adapter", "all", "--scan-ms", "500", "scan"});
    EXPECT_TRUE(table.out.endsWith("2 devices, through 10.77.0.1, 10.78.0.1 (--adapter all)\n"))
        << table.out.toStdString();

    const CliRun blink = runCli({"--adapter", "all", "--scan-ms", "500", "blink",
                                 "02-40-00-00-00-02", "02-40-00-00-00-01"});
    ASSERT_EQ(blink.exitCode, 0) << blink.err.toStdString();
    EXPECT_EQ(blink.out, "02-40-00-00-00-01 at 10.77.0.11: blink sent\n"
                         "02-40-00-00-00-02 at 10.78.0.11: blink sent\n");
    EXPECT_EQ(requestsReceived(*near, 0x04), 1u);
    EXPECT_EQ(requestsReceived(*far, 0x04), 1u);
}
