// One program on the port at a time: a second command waits for the first or refuses,
// naming it, and a port another program holds ends the command before anything is sent.
#include "cli_fixture.h"

#include "support/temp_directory.h"
#include "support/udp_peer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

class CliPortTest : public CliFixture {
protected:
    // Every command of a test shares one runtime folder, as the processes of one user do.
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path())); }
    void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }

    testsupport::TempDirectory runtime;
};

TEST_F(CliPortTest, ASecondCommandDuringAnApplyRefusesNamingItOrWaitsForItsEnd) {
    std::string deviceFile;
    std::string plan = "mac,ip\n";
    for (const char* device : {"1", "2", "3", "4"}) {
        deviceFile += std::string("[d") + device + "]\nmac = 02-31-00-00-00-0" + device +
                      "\nip = 127.0.1." + device + "\n";
        plan += std::string("02-31-00-00-00-0") + device + ",127.0.3." + device + "\n";
    }
    start(deviceFile);
    testsupport::RunningCli apply({"--scan-ms", "500", "--format", "json", "apply",
                                   QString::fromStdString(runtime.write("plan.csv", plan))});
    // The apply is under way once its first change request has reached a device.
    simulator->waitForTraffic([](const std::vector<testsupport::TrafficRecord>& records) {
        return std::any_of(records.begin(), records.end(), [](const auto& record) {
            return !record.sent && record.bytes.startsWith(QByteArray::fromHex("0B03"));
        });
    });
    const testsupport::CliRun refused = cli({"--wait-ms", "0", "scan"});
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_EQ(refused.err,
              QStringLiteral("UDP port 55808 is in use by torvane-cli (pid %1, changing)\n")
                  .arg(apply.pid()));
    // Waiting long enough, a scan follows the apply and finds every device where it moved.
    const testsupport::CliRun waited = cli({"--wait-ms", "60000", "--format", "json", "scan"});
    const testsupport::CliRun applied = apply.finish();

    ASSERT_EQ(applied.exitCode, 0) << applied.out.toStdString() << applied.err.toStdString();
    ASSERT_EQ(waited.exitCode, 0) << waited.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(applied.out.toUtf8()).array();
    const QJsonArray found = QJsonDocument::fromJson(waited.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 4);
    ASSERT_EQ(found.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i]["result"].toString(), "done");
        EXPECT_EQ(found[i]["ip"].toString(), QStringLiteral("127.0.3.%1").arg(i + 1));
    }
}

TEST_F(CliPortTest, APortHeldByAnotherProgramEndsTheCommandWithNothingSent) {
    const QString refusal = "torvane-cli: cannot bind 127.0.0.1:55808: Address already in use";
    {
        // Held without address reuse, the port is not even open to a simulator beside it.
        testsupport::UdpPeer exclusive(QStringLiteral("127.0.0.1"), 55808);
        ASSERT_TRUE(exclusive.isOpen());
        const testsupport::CliRun run = testsupport::runCli({"--scan-ms", "500", "scan"});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_TRUE(run.err.contains(refusal)) << run.err.toStdString();
    }
    // Held with address reuse, the system would hand the holder some of the answers.
    start("[d]\nmac = 02-31-00-00-00-01\nip = 127.0.1.1\n");
    testsupport::UdpPeer sharing(QStringLiteral("127.0.0.1"), 55808, {.reuseAddress = true});
    ASSERT_TRUE(sharing.isOpen());
    const testsupport::CliRun run = cli({"scan"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains(refusal)) << run.err.toStdString();
    EXPECT_TRUE(received().empty());
}
