// torvane-cli inventory after two scans of the simulator, restarted with a changed device in
// between: what each scan heard is kept, first and last seen apart, the latest values shown.
#include "support/cli_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace testsupport;

TEST(CliInventory, KeepsEveryDeviceSeenWithItsFirstAndLastSightingAndLatestValues) {
    const auto network = TestNetwork::tier1();
    auto simulator = network->devices().startSimulator(
        "[a]\nmac = 02-33-00-00-00-01\nip = 127.0.0.81\nrevision = 1.0.0\n"
        "[b]\nmac = 02-33-00-00-00-02\nip = 127.0.0.82\nlayout = short18\n"
        "netmask = 255.0.0.0\ngateway = 127.0.0.1\n");
    const TempDirectory dataHome;
    const auto cli = [&](const QStringList& arguments) {
        return runCli(QStringList{"--scan-ms", "300"} + arguments, QString(),
                      QString::fromStdString(dataHome.path()));
    };
    const CliRun first = cli({"scan"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();

    // a comes back with another address, DHCP and revision; b has gone.
    simulator.reset();
    simulator = network->devices().startSimulator(
        "[a]\nmac = 02-33-00-00-00-01\nip = 127.0.0.91\ndhcp = active\nrevision = 1.1.0\n");
    const CliRun second = cli({"scan"});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();

    const CliRun inventory = cli({"--format", "json", "inventory"});
    ASSERT_EQ(inventory.exitCode, 0) << inventory.err.toStdString();
    const QJsonArray devices = QJsonDocument::fromJson(inventory.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 2) << inventory.out.toStdString();
    const QJsonObject a = devices[0].toObject();
    const QJsonObject b = devices[1].toObject();
    EXPECT_EQ(a["mac"].toString(), "02-33-00-00-00-01");
    EXPECT_EQ(QStringList({a["ip"].toString(), a["dhcp"].toString(), a["revision"].toString(),
                           a["adapter"].toString()}),
              QStringList({"127.0.0.91", "active", "1.1.0", "127.0.0.1"}));
    EXPECT_LT(a["first_seen"].toString(), a["last_seen"].toString());
    // b's short answer was completed by the reads.
    EXPECT_EQ(b["netmask"].toString(), "255.0.0.0");
    EXPECT_EQ(b["first_seen"].toString(), b["last_seen"].toString());
    EXPECT_EQ(b["last_seen"].toString(), a["first_seen"].toString());

    const CliRun since =
        cli({"--format", "csv", "inventory", "--since", a["last_seen"].toString()});
    EXPECT_EQ(since.out.count("\r\n"), 2) << since.out.toStdString();
}
