#include "support/cli_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>

#include <gtest/gtest.h>

using testsupport::runCli;

namespace {

constexpr const char* kDevices = R"(
[full]
mac = 02-10-00-00-00-01
ip = 127.0.0.11
netmask = 255.0.0.0
gateway = 127.0.0.1
dhcp = active
type = 0x0101
revision = V2.10

[legacy17]
mac = 02-10-00-00-00-02
ip = 127.0.0.12
netmask = 255.0.0.0
gateway = 127.0.0.1
layout = short17
type = 0x0205

[legacy18]
mac = 02-10-00-00-00-03
ip = 127.0.0.9
netmask = 255.255.0.0
gateway = 127.0.0.2
layout = short18
type = 0x0102

[mute]
mac = 02-10-00-00-00-07
ip = 127.0.0.13
layout = short17
silent = reads

[foreign]
mac = 02-10-00-00-00-04
ip = 10.9.0.5
netmask = 255.255.255.0
gateway = 10.9.0.1
dhcp = unsupported
type = 0x0777

[twin-a]
mac = 02-10-00-00-00-06
ip = 127.0.0.20
dhcp = inactive

[twin-b]
mac = 02-10-00-00-00-05
ip = 127.0.0.20
dhcp = inactive
)";

constexpr const char* kTypeNames = "[General]\nVersion=7\n[names]\n"
                                   "0x0101=Rail gateway, \"A\"\n0x0102=Rail gateway B\n";

class CliScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        network = testsupport::TestNetwork::tier1();
        simulator = network->devices().startSimulator(kDevices);
        gdf = QString::fromStdString(folder.write("types.gdf", kTypeNames));
    }

    testsupport::CliRun scan(const QString& format) {
        return runCli({"--format", format, "--scan-ms", "800", "--gdf", gdf, "scan"});
    }

    std::unique_ptr<testsupport::TestNetwork> network;
    std::unique_ptr<testsupport::SimulatorProcess> simulator;
    testsupport::TempDirectory folder;
    QString gdf;
};

} // namespace

TEST_F(CliScanTest, JsonListsEveryDeviceCompletedAndSortedByAddress) {
    const testsupport::CliRun run = scan("json");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonArray devices = QJsonDocument::fromJson(run.out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_EQ(devices.size(), 7) << run.out.toStdString();
    QStringList macs;
    for (const QJsonValue& device : devices)
        macs.append(device["mac"].toString());
    EXPECT_EQ(macs, QStringList({"02-10-00-00-00-04", "02-10-00-00-00-03", "02-10-00-00-00-01",
                                 "02-10-00-00-00-02", "02-10-00-00-00-07", "02-10-00-00-00-05",
                                 "02-10-00-00-00-06"}));

    // The foreign device answered by broadcast, and was listed all the same.
    const QJsonObject foreign = devices[0].toObject();
    EXPECT_EQ(foreign["ip"].toString(), "10.9.0.5");
    EXPECT_EQ(foreign["netmask"].toString(), "255.255.255.0");
    EXPECT_EQ(foreign["dhcp"].toString(), "unsupported");
    EXPECT_EQ(foreign["restart"], QJsonValue(false));
    EXPECT_EQ(foreign["type"], QJsonValue(887));
    EXPECT_TRUE(foreign["type_name"].isNull());
    bool broadcastAnswer = false;
    for (const auto& record : simulator->traffic())
        broadcastAnswer |= record.sent && record.source == "10.9.0.5:55808" &&
                           record.destination == "255.255.255.255:55808";
    EXPECT_TRUE(broadcastAnswer);

    // Short answers were completed by reads; a device that never answers them has none.
    const QJsonObject legacy18 = devices[1].toObject();
    EXPECT_EQ(legacy18["netmask"].toString(), "255.255.0.0");
    EXPECT_EQ(legacy18["gateway"].toString(), "127.0.0.2");
    EXPECT_EQ(legacy18["type"], QJsonValue(258));
    EXPECT_EQ(legacy18["type_name"].toString(), "Rail gateway B");
    const QJsonObject legacy17 = devices[3].toObject();
    EXPECT_EQ(legacy17["netmask"].toString(), "255.0.0.0");
    EXPECT_EQ(legacy17["gateway"].toString(), "127.0.0.1");
    EXPECT_EQ(legacy17["dhcp"].toString(), "unsupported");
    EXPECT_EQ(legacy17["type"], QJsonValue(5));
    const QJsonObject mute = devices[4].toObject();
    EXPECT_TRUE(mute["netmask"].isNull());
    EXPECT_TRUE(mute["gateway"].isNull());

    const QJsonObject full = devices[2].toObject();
    EXPECT_EQ(full["dhcp"].toString(), "active");
    EXPECT_EQ(full["restart"], QJsonValue(true));
    EXPECT_EQ(full["type_name"].toString(), "Rail gateway, \"A\"");
    EXPECT_EQ(full["revision"].toString(), "V2.10");

    for (int i = 0; i < devices.size(); ++i)
        EXPECT_EQ(devices[i]["duplicate_ip"].toBool(), i >= 5) << i;
}

TEST_F(CliScanTest, CsvAndTableCarryTheSameList) {
    const testsupport::CliRun csv = scan("csv");
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QStringList lines = csv.out.split("\r\n");
    ASSERT_EQ(lines.size(), 9) << csv.out.toStdString(); // header, 7 devices, end
    EXPECT_EQ(lines[0],
              "mac,ip,netmask,gateway,dhcp,restart,type,type_name,revision,duplicate_ip,adapter,"
              "in_adapter_subnet,doubtful,answered_from");
    EXPECT_EQ(lines[3], "02-10-00-00-00-01,127.0.0.11,255.0.0.0,127.0.0.1,active,true,257,"
                        "\"Rail gateway, \"\"A\"\"\",V2.10,false,127.0.0.1,true,false,127.0.0.11");
    EXPECT_EQ(lines[5],
              "02-10-00-00-00-07,127.0.0.13,,,unsupported,false,1,,V1.00,false,127.0.0.1,true,"
              "false,127.0.0.13");
    EXPECT_TRUE(lines[7].contains(",true,127.0.0.1,true,false,"));
    // Outside the adapter's subnet: reached by broadcast only.
    EXPECT_TRUE(lines[1].startsWith("02-10-00-00-00-04,10.9.0.5,") &&
                lines[1].contains(",127.0.0.1,false,"));

    const testsupport::CliRun table = scan("table");
    ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
    const QStringList rows = table.out.split('\n');
    ASSERT_EQ(rows.size(), 10) << table.out.toStdString();
    EXPECT_TRUE(rows[0].startsWith("MAC "));
    EXPECT_TRUE(rows[1].startsWith("02-10-00-00-00-04  10.9.0.5 "));
    EXPECT_TRUE(rows[1].contains("not defined (887)"));
    EXPECT_TRUE(rows[5].contains(" n/a "));
    EXPECT_TRUE(rows[1].endsWith("127.0.0.1  no"));
    EXPECT_TRUE(rows[6].endsWith("yes           127.0.0.1  yes"));
    EXPECT_TRUE(rows[7].endsWith("yes           127.0.0.1  yes"));
    EXPECT_EQ(rows[8], "7 devices, through 127.0.0.1 (the first local address)");
}

TEST_F(CliScanTest, TypeListsOnlyDevicesOfThatCodeOrWithItInTheirName) {
    const struct {
        const char* type;
        QStringList macs;
    } cases[] = {
        {"rail",
         {"02-10-00-00-00-03", "02-10-00-00-00-01", "02-10-00-00-00-05", "02-10-00-00-00-06"}},
        {"RAIL GATEWAY B", {"02-10-00-00-00-03"}},
        {"887", {"02-10-00-00-00-04"}},
        {"nothing of the kind", {}},
    };
    for (const auto& c : cases) {
        const testsupport::CliRun run = runCli(
            {"--format", "jsonl", "--scan-ms", "800", "--gdf", gdf, "scan", "--type", c.type});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList macs;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts))
            macs.append(QJsonDocument::fromJson(line.toUtf8())["mac"].toString());
        EXPECT_EQ(macs, c.macs) << c.type;
    }
}

// A scan ended by a signal lists what it heard until then.
TEST_F(CliScanTest, AnInterruptedScanListsTheDevicesFoundSoFar) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(folder.path()));
    process.setProcessEnvironment(environment);
    process.start(TORVANE_BIN_DIR "/torvane-cli",
                  {"--verbose", "--scan-ms", "60000", "--format", "csv", "scan"});
    ASSERT_TRUE(process.waitForStarted());
    // --verbose logs each answer as the program takes it in.
    process.setReadChannel(QProcess::StandardError);
    QString log;
    while (log.count("MsgLen von") < 7 && process.waitForReadyRead(30000))
        log += QString::fromUtf8(process.readAllStandardError());
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 128 + SIGTERM);
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 8) << lines.join('\n').toStdString();
    EXPECT_TRUE((log + process.readAllStandardError()).contains("torvane-cli: interrupted"));
}
