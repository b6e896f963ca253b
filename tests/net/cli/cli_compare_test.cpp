// torvane-cli scan --compare against lists the program saved before the devices changed.
#include "support/cli_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr const char* kSavedDevices = "[a]\nmac = 02-32-00-00-00-01\nip = 127.0.0.61\n"
                                      "[b]\nmac = 02-32-00-00-00-02\nip = 127.0.0.62\n"
                                      "[c]\nmac = 02-32-00-00-00-03\nip = 127.0.0.63\n";
// a has another address and DHCP, c is gone, d is new.
constexpr const char* kLaterDevices =
    "[a]\nmac = 02-32-00-00-00-01\nip = 127.0.0.71\ndhcp = active\n"
    "[b]\nmac = 02-32-00-00-00-02\nip = 127.0.0.62\n"
    "[d]\nmac = 02-32-00-00-00-04\nip = 127.0.0.64\n";

CliRun scan(const QStringList& arguments) {
    return runCli(QStringList{"--scan-ms", "300", "scan"} + arguments);
}

} // namespace

TEST(CliCompare, ListsNewMissingAndChangedDevicesAndExitsByWhetherAnyDiffer) {
    const auto network = TestNetwork::tier1();
    auto simulator = network->devices().startSimulator(kSavedDevices);
    const TempDirectory folder;
    const CliRun csv = scan({"--format", "csv"});
    const CliRun json = scan({"--format", "json"});
    ASSERT_EQ(csv.exitCode + json.exitCode, 0) << csv.err.toStdString() << json.err.toStdString();
    const QString savedCsv =
        QString::fromStdString(folder.write("list.csv", csv.out.toStdString()));
    const QString savedJson =
        QString::fromStdString(folder.write("list.json", json.out.toStdString()));

    const CliRun same = scan({"--compare", savedCsv});
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, "no differences\n");

    simulator.reset();
    simulator = network->devices().startSimulator(kLaterDevices);
    const CliRun asJson = scan({"--format", "json", "--compare", savedCsv});
    EXPECT_EQ(asJson.exitCode, 1) << asJson.err.toStdString();
    const QJsonArray differences = QJsonDocument::fromJson(asJson.out.toUtf8()).array();
    ASSERT_EQ(differences.size(), 3) << asJson.out.toStdString();
    EXPECT_EQ(differences[0]["change"].toString(), "new");
    EXPECT_EQ(differences[0]["mac"].toString(), "02-32-00-00-00-04");
    EXPECT_EQ(differences[1]["change"].toString(), "changed");
    EXPECT_EQ(differences[1]["changes"].toObject(),
              QJsonDocument::fromJson(R"({"ip": {"from": "127.0.0.61", "to": "127.0.0.71"},
                                          "dhcp": {"from": "inactive", "to": "active"}})")
                  .object());
    EXPECT_EQ(differences[2]["change"].toString(), "missing");
    EXPECT_EQ(differences[2]["ip"].toString(), "127.0.0.63");

    const CliRun asTable = scan({"--compare", savedJson});
    EXPECT_EQ(asTable.exitCode, 1) << asTable.err.toStdString();
    const QStringList lines = asTable.out.split(u'\n');
    ASSERT_EQ(lines.size(), 6) << asTable.out.toStdString();
    EXPECT_EQ(lines[2], "changed  02-32-00-00-00-01  127.0.0.71  ip 127.0.0.61 -> 127.0.0.71, "
                        "dhcp inactive -> active");
    EXPECT_EQ(lines[4], "3 differences");

    // A file that is no saved list is refused before anything is sent.
    const std::size_t received = simulator->traffic().size();
    const CliRun refused =
        scan({"--compare", QString::fromStdString(folder.write("plan.csv", "mac,ip\n"))});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("is no device list saved by TorvaneScan"))
        << refused.err.toStdString();
    EXPECT_EQ(simulator->traffic().size(), received);
}
