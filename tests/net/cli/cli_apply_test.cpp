#include "cli_fixture.h"

#include "support/temp_directory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>

namespace {

// count devices 02-30-00-00-00-01... at 127.0.1.1..., full answers, DHCP off.
std::string devices(int count) {
    std::string file;
    for (int i = 1; i <= count; ++i) {
        char section[200];
        std::snprintf(section, sizeof section,
                      "[d%d]\nmac = 02-30-00-00-00-%02X\nip = 127.0.1.%d\nnetmask = 255.0.0.0\n"
                      "gateway = 127.0.0.1\ndhcp = inactive\n",
                      i, i, i);
        file += section;
    }
    return file;
}

QString mac(int device) {
    return QStringLiteral("02-30-00-00-00-%1").arg(device, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

class CliApplyTest : public CliFixture {
protected:
    QString plan(const std::string& text) {
        return QString::fromStdString(folder.write("plan.csv", text));
    }

    QJsonArray scannedDevices() {
        const testsupport::CliRun scan = cli({"--format", "json", "scan"});
        EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
        return QJsonDocument::fromJson(scan.out.toUtf8()).array();
    }

    testsupport::TempDirectory folder;
};

// Every device moves up by one address, so each one's new address is the one its neighbour
// still has: the plan is carried out from the last device down.
TEST_F(CliApplyTest, APlanOfTwentyDevicesIsCarriedOutRowByRow) {
    start(devices(20));
    std::string text = "MAC;ip;netmask;gateway;dhcp\n";
    for (int i = 1; i <= 20; ++i) {
        QString row = mac(i) + QStringLiteral(";127.0.1.%1;;;").arg(i + 1);
        if (i == 1)
            row = mac(i).toLower().replace('-', ':') + ";127.0.1.2;255.255.0.0;127.0.0.254;";
        if (i == 2)
            row += "on";
        text += row.toStdString() + "\n";
    }
    const testsupport::CliRun run = cli({"--format", "json", "apply", plan(text)});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    // Written in the order they were carried out; looked at in the plan's.
    const QJsonArray rows = [&] {
        QVariantList sorted = QJsonDocument::fromJson(run.out.toUtf8()).array().toVariantList();
        std::sort(sorted.begin(), sorted.end(), [](const QVariant& a, const QVariant& b) {
            return a.toMap()["line"].toInt() < b.toMap()["line"].toInt();
        });
        return QJsonArray::fromVariantList(sorted);
    }();
    ASSERT_EQ(rows.size(), 20) << run.out.toStdString();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rows[i]["line"].toInt(), i + 2);
        EXPECT_EQ(rows[i]["mac"].toString(), mac(i + 1));
        EXPECT_EQ(rows[i]["result"].toString(), "done")
            << rows[i]["detail"].toString().toStdString();
        EXPECT_EQ(rows[i]["changes"]["ip"]["to"].toString(),
                  QStringLiteral("127.0.1.%1").arg(i + 2));
    }
    EXPECT_EQ(rows[0]["changes"]["netmask"]["from"].toString(), "255.0.0.0");
    EXPECT_EQ(rows[1]["changes"]["dhcp"]["to"].toString(), "active");
    EXPECT_EQ(rows[1]["detail"].toString(), "DHCP takes effect when the device restarts");

    const auto requests = changeRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().bytes.mid(2, 6), QByteArray::fromHex("023000000014"));

    const QJsonArray after = scannedDevices();
    ASSERT_EQ(after.size(), 20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(after[i]["ip"].toString(), QStringLiteral("127.0.1.%1").arg(i + 2));
        EXPECT_EQ(after[i]["mac"].toString(), mac(i + 1));
    }
    EXPECT_EQ(after[0]["netmask"].toString(), "255.255.0.0");
    EXPECT_EQ(after[0]["gateway"].toString(), "127.0.0.254");
    EXPECT_EQ(after[1]["dhcp"].toString(), "active");
}

TEST_F(CliApplyTest, ADryRunShowsEachValueFromToAndSendsOnlyTheScan) {
    start(devices(3));
    const QString file =
        plan("mac,ip,gateway\n" + mac(1).toStdString() + ",127.0.1.11,\n" + mac(2).toStdString() +
             ",127.0.1.2,127.0.0.9\n" + mac(3).toStdString() + ",127.0.1.3,\n");
    const testsupport::CliRun run = cli({"apply", file, "--dry-run", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(run.out.split("\r\n"),
              QStringList({"line,mac,result,ip_from,ip_to,ip_result,netmask_from,netmask_to,"
                           "netmask_result,gateway_from,gateway_to,gateway_result,dhcp_from,"
                           "dhcp_to,dhcp_result,detail",
                           "2,02-30-00-00-00-01,would change,127.0.1.1,127.0.1.11,,,,,,,,,,,",
                           "3,02-30-00-00-00-02,would change,,,,,,,127.0.0.1,127.0.0.9,,,,,",
                           "4,02-30-00-00-00-03,unchanged,,,,,,,,,,,,,", ""}));
    EXPECT_TRUE(changeRequests().empty());
    EXPECT_EQ(hexOf(received()), QStringList({"01 01 FD"}));

    const testsupport::CliRun table = cli({"apply", file, "--dry-run"});
    EXPECT_TRUE(table.out.contains("would change  ip 127.0.1.1 -> 127.0.1.11"))
        << table.out.toStdString();
}

TEST_F(CliApplyTest, APlanWithBadRowsIsRefusedWholeBeforeAnythingIsSent) {
    start(devices(3));
    const QString file =
        plan("mac,ip\n" + mac(1).toStdString() + ",127.0.1.11\n" + "02-30-00-00-00,127.0.1.12\n" +
             mac(2).toStdString() + ",127.0.1.11\n" + mac(1).toStdString() + ",127.0.1.300\n");
    const testsupport::CliRun run = cli({"apply", file});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    const QStringList errors = run.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 5) << run.err.toStdString();
    EXPECT_TRUE(errors[0].startsWith(file + ":3: bad MAC address"));
    EXPECT_EQ(errors[1], file + ":4: IP address 127.0.1.11 is planned for 02-30-00-00-00-01 on "
                                "line 2 already");
    EXPECT_TRUE(errors[2].startsWith(file + ":5: bad IP address \"127.0.1.300\""));
    EXPECT_EQ(errors[3], file + ":5: MAC address 02-30-00-00-00-01 is planned on line 2 already")
        << run.err.toStdString();
    EXPECT_EQ(errors[4], "torvane-cli: the plan has faults; nothing was sent");
    EXPECT_TRUE(received().empty());
}

TEST_F(CliApplyTest, EveryRowReportsWhatBecameOfIt) {
    start(devices(1) + "[mute]\nmac = 02-30-00-00-00-10\nip = 127.0.1.16\nnetmask = 255.0.0.0\n"
                       "silent = sets\n");
    const QString file = plan("mac,ip\n" + mac(1).toStdString() + ",127.0.1.21\n" +
                              "02-30-00-00-00-10,127.0.1.26\n" + "02-30-00-00-00-77,127.0.1.27\n");
    const testsupport::CliRun run = cli({"--timeout", "500", "apply", file});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts).size(), 4) << run.out.toStdString();
    for (const char* line :
         {"02-30-00-00-00-01  done          ip 127.0.1.1 -> 127.0.1.21 (done)\n",
          "02-30-00-00-00-10  timeout       ip 127.0.1.16 -> 127.0.1.26 (timeout); IP address "
          "(temporary) 127.0.1.26 not confirmed within 500 ms\n",
          "02-30-00-00-00-77  not found     did not answer the scan\n"})
        EXPECT_TRUE(run.out.contains(line)) << line << run.out.toStdString();
    // Only the first device's two requests were confirmed; the mute one got its first.
    EXPECT_EQ(changeRequests().size(), 3u);
}

// Device 1 takes the address that device 2 gives up, which is fine; device 3's gateway would
// lie outside its new subnet. The plan is refused whole before its first write, and the dry
// run says the very same.
TEST_F(CliApplyTest, OneRefusedRowRefusesThePlanBeforeAnythingIsSentAndTheDryRunAgrees) {
    start(devices(3));
    const QString file = plan("mac,ip,netmask,gateway\n" + mac(1).toStdString() + ",127.0.1.2,,\n" +
                              mac(2).toStdString() + ",127.0.1.12,,\n" + mac(3).toStdString() +
                              ",127.0.3.3,255.255.255.0,127.0.0.1\n");
    std::vector<testsupport::CliRun> runs;
    for (const QStringList& dryRun : {QStringList{"--dry-run"}, QStringList{}}) {
        runs.push_back(cli(QStringList{"--format", "json", "apply", file} + dryRun));
        EXPECT_EQ(runs.back().exitCode, 2) << runs.back().err.toStdString();
        EXPECT_TRUE(changeRequests().empty());
    }
    EXPECT_EQ(runs[0].out, runs[1].out);
    const QJsonArray rows = QJsonDocument::fromJson(runs[1].out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 3) << runs[1].out.toStdString();
    EXPECT_EQ(rows[0]["result"].toString(), "not started");
    EXPECT_EQ(rows[1]["result"].toString(), "not started");
    EXPECT_EQ(rows[2]["result"].toString(), "refused");
    EXPECT_EQ(rows[2]["detail"].toString(),
              "gateway 127.0.0.1: outside the device's subnet 127.0.3.0/24");
    const QJsonArray after = scannedDevices();
    ASSERT_EQ(after.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(after[i]["ip"].toString(), QStringLiteral("127.0.1.%1").arg(i + 1));
}

// The device list exported, opened in a spreadsheet, new addresses typed into its ip
// column, a column of the technician's own added, saved with semicolons: a plan.
TEST_F(CliApplyTest, AnExportedDeviceListWithNewAddressesTypedInIsAPlan) {
    start(devices(3));
    const testsupport::CliRun exported = cli({"--format", "csv", "scan"});
    QStringList lines = exported.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << exported.out.toStdString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList cells = lines[i].split(',');
        if (i > 0)
            cells[1] = QStringLiteral("127.0.2.%1").arg(i);
        cells.append(i == 0 ? QStringLiteral("Location") : QStringLiteral("cabinet %1").arg(i));
        lines[i] = cells.join(';');
    }
    const testsupport::CliRun run = cli({"apply", plan(lines.join("\r\n").toStdString() + "\r\n")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("ignored column \"Location\"")) << run.err.toStdString();
    const QJsonArray after = scannedDevices();
    ASSERT_EQ(after.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(after[i]["ip"].toString(), QStringLiteral("127.0.2.%1").arg(i + 1));
}

// Read through a pipe while the plan runs: the mute device's result is there while the
// second device is still being changed. (A done row waits for the closing scan that checks
// it.)
TEST_F(CliApplyTest, EachRowsResultArrivesWhileThePlanStillRuns) {
    start(devices(1) + "[mute]\nmac = 02-30-00-00-00-10\nip = 127.0.1.16\nnetmask = 255.0.0.0\n"
                       "silent = sets\n");
    const QString file =
        plan("mac,ip\n02-30-00-00-00-10,127.0.1.26\n" + mac(1).toStdString() + ",127.0.1.21\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(folder.path()));
    process.setProcessEnvironment(environment);
    process.start(TORVANE_BIN_DIR "/torvane-cli",
                  {"--scan-ms", "500", "--timeout", "5000", "--format", "jsonl", "apply", file});
    ASSERT_TRUE(process.waitForStarted());
    while (!process.canReadLine() && process.waitForReadyRead(30000)) {
    }
    ASSERT_TRUE(process.canReadLine());
    const QJsonObject first = QJsonDocument::fromJson(process.readLine()).object();
    EXPECT_EQ(first["result"].toString(), "timeout");
    EXPECT_EQ(process.state(), QProcess::Running);
    ASSERT_TRUE(process.waitForFinished(30000));
    const QJsonObject second = QJsonDocument::fromJson(process.readLine()).object();
    EXPECT_EQ(second["result"].toString(), "done");
}
