// The change history as the journal of torvane-cli: an interrupted plan run again, a
// permanent write that timed out completed by the next run, and what the history says of
// both. Judged by what the simulated devices stored, after a restart.
#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <map>

namespace {

QString mac(int device) {
    return QStringLiteral("02-30-00-00-00-%1").arg(device, 2, 16, QLatin1Char('0')).toUpper();
}

// count devices at 127.0.1.n, answering each request after a pause, so that a run can be
// interrupted in the middle of a device.
std::string slowDevices(int count) {
    std::string file;
    for (int i = 1; i <= count; ++i)
        file += QStringLiteral("[d%1]\nmac = %2\nip = 127.0.1.%1\nnetmask = 255.0.0.0\n"
                               "gateway = 127.0.0.1\ndelay = 100\n")
                    .arg(i)
                    .arg(mac(i))
                    .toStdString();
    return file;
}

QJsonArray jsonOf(const testsupport::CliRun& run) {
    return QJsonDocument::fromJson(run.out.toUtf8()).array();
}

// apply's rows by their plan line (a done row is written after the closing scan).
std::map<int, QJsonObject> rowsByLine(const testsupport::CliRun& run) {
    std::map<int, QJsonObject> rows;
    for (const QJsonValue& row : jsonOf(run))
        rows[row["line"].toInt()] = row.toObject();
    return rows;
}

} // namespace

class CliJournalTest : public CliFixture {
protected:
    testsupport::CliRun cli(const QStringList& arguments,
                            const testsupport::Interrupts& interrupts = {}) {
        seen = simulator->traffic().size();
        return testsupport::runCli(QStringList{"--scan-ms", "500"} + arguments, QString(),
                                   dataHome.path(), interrupts);
    }

    QString plan(const QString& text) {
        const QString path = folder.filePath("plan.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }

    // Restarts every device, so that each comes up with what it stored, and scans.
    QJsonArray storedAfterRestart(int count) {
        for (int i = 1; i <= count; ++i)
            EXPECT_EQ(cli({"restart", mac(i)}).exitCode, 0);
        const testsupport::CliRun scan = cli({"--format", "json", "scan"});
        EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
        return jsonOf(scan);
    }

    QTemporaryDir dataHome;
    QTemporaryDir folder;
};

TEST_F(CliJournalTest, AnInterruptedPlanRunAgainLeavesEveryDeviceStoredAsPlanned) {
    start(slowDevices(4));
    QString text = QStringLiteral("mac,ip,netmask\n");
    for (int i = 1; i <= 4; ++i)
        text += mac(i) + QStringLiteral(",127.0.2.%1,255.255.0.0\n").arg(i);
    const QString file = plan(text);
    // Interrupted as the second device's IP address leaves.
    const QByteArray secondIp = QByteArray::fromHex("0B03023000000002");
    const auto secondStarted = [&] {
        for (const auto& record : simulator->traffic())
            if (!record.sent && record.bytes.startsWith(secondIp))
                return true;
        return false;
    };
    const testsupport::CliRun first = cli({"--format", "json", "apply", file}, {secondStarted, 1});
    EXPECT_EQ(first.exitCode, 130) << first.err.toStdString();
    auto rows = rowsByLine(first);
    ASSERT_EQ(rows.size(), 4u) << first.out.toStdString();
    EXPECT_EQ(rows[2]["result"].toString(), "done");
    EXPECT_EQ(rows[3]["result"].toString(), "interrupted");
    const QJsonObject interrupted = rows[3]["changes"].toObject();
    EXPECT_EQ(interrupted["ip"].toObject()["result"].toString(), "done");
    EXPECT_EQ(interrupted["netmask"].toObject()["result"].toString(), "not_sent");
    EXPECT_EQ(rows[4]["result"].toString(), "not started");
    EXPECT_EQ(rows[5]["result"].toString(), "not started");

    const testsupport::CliRun second = cli({"--format", "json", "apply", file});
    EXPECT_EQ(second.exitCode, 0) << second.out.toStdString() << second.err.toStdString();
    auto again = rowsByLine(second);
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again[2]["result"].toString(), "unchanged");
    EXPECT_EQ(again[3]["changes"].toObject().keys(), QStringList{"netmask"});
    for (int line = 3; line <= 5; ++line)
        EXPECT_EQ(again[line]["result"].toString(), "done") << line;

    const QJsonArray stored = storedAfterRestart(4);
    ASSERT_EQ(stored.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stored[i]["ip"].toString(), QStringLiteral("127.0.2.%1").arg(i + 1));
        EXPECT_EQ(stored[i]["netmask"].toString(), "255.255.0.0");
    }

    // The history tells both runs, oldest first: the second device's netmask not sent, then
    // written by the second run.
    const testsupport::CliRun history = cli({"--format", "json", "history", mac(2)});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    QStringList told;
    for (const QJsonValue& record : jsonOf(history))
        told << record["value"].toString() + ' ' + record["to"].toString() + ' ' +
                    record["result"].toString();
    EXPECT_EQ(told, (QStringList{"ip 127.0.2.2 done", "netmask 255.255.0.0 not_sent",
                                 "netmask 255.255.0.0 done"}));
    EXPECT_EQ(jsonOf(history)[0].toObject()["program"].toString(), "torvane-cli");
}

TEST_F(CliJournalTest, APermanentWriteThatTimedOutIsCompletedByTheNextRun) {
    start("[d1]\nmac = 02-30-00-00-00-01\nip = 127.0.1.1\nnetmask = 255.0.0.0\n"
          "silent = ip-permanent\n");
    const testsupport::CliRun first = cli({"--timeout", "500", "set", mac(1), "--ip", "127.0.2.1"});
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_TRUE(first.out.contains("timeout, IP address (permanent) 127.0.2.1 not confirmed"))
        << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("confirmed: ip 127.0.1.1 -> 127.0.2.1 (timeout)"))
        << first.out.toStdString();

    // The device as the first run left it: the new address in use, the old one stored; and
    // now it answers every request.
    simulator.reset();
    simulator = network->devices().startSimulator(
        "[d1]\nmac = 02-30-00-00-00-01\nip = 127.0.2.1\npermanent-ip = 127.0.1.1\n"
        "netmask = 255.0.0.0\n");
    const testsupport::CliRun second =
        cli({"--format", "csv", "apply", plan("mac,ip\n02-30-00-00-00-01,127.0.2.1\n")});
    EXPECT_EQ(second.exitCode, 0) << second.out.toStdString();
    EXPECT_TRUE(second.out.contains(
        "2,02-30-00-00-00-01,done,127.0.2.1,127.0.2.1,done,,,,,,,,,,completed an unfinished "
        "change"))
        << second.out.toStdString();

    const QJsonArray stored = storedAfterRestart(1);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["ip"].toString(), "127.0.2.1");
    const testsupport::CliRun history = cli({"--format", "csv", "history"});
    const QStringList lines = history.out.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << history.out.toStdString();
    EXPECT_EQ(lines[0], "time,program,user,host,adapter,mac,ip,value,from,to,result");
    EXPECT_TRUE(lines[1].endsWith(",127.0.0.1,02-30-00-00-00-01,127.0.1.1,ip,127.0.1.1,127.0.2.1,"
                                  "timeout"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",ip,127.0.2.1,127.0.2.1,done")) << lines[2].toStdString();
}

TEST_F(CliJournalTest, ADhcpSwitchForAnOlderGatewayIsSentAndReported) {
    start("[old]\nmac = 02-30-00-00-00-01\nip = 127.0.1.1\nnetmask = 255.0.0.0\n"
          "layout = short17\n");
    const testsupport::CliRun run =
        cli({"--format", "json", "apply", plan("mac,dhcp\n02-30-00-00-00-01,on\n")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QJsonArray rows = jsonOf(run);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["result"].toString(), "done");
    EXPECT_EQ(rows[0]["changes"]["dhcp"]["from"].toString(), "n/a");
    EXPECT_EQ(rows[0]["changes"]["dhcp"]["result"].toString(), "done");
    EXPECT_EQ(hexOf(changeRequests()), QStringList{"02 0C 01 F0"});
}
