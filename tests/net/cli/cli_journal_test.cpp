// The change history as the journal of torvane-cli: an interrupted plan run again, a
// permanent write that timed out completed by the next run, a plan applied many devices at
// once, and what the history says of them. Judged by what the simulated devices stored.
#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

// What each device stored last, as the simulator reports it: {"ip": ..., "netmask": ...} by
// MAC.
std::map<QString, std::map<QString, QString>> storedValues(const std::string& report) {
    static const QRegularExpression stores(
        R"(\[([0-9A-F-]{17}) [0-9.]+\]: stores (IP address|netmask|gateway) ([0-9.]+))");
    std::map<QString, std::map<QString, QString>> stored;
    auto match = stores.globalMatch(QString::fromStdString(report));
    while (match.hasNext()) {
        const auto found = match.next();
        const QString value = found.captured(2) == "IP address" ? "ip" : found.captured(2);
        stored[found.captured(1)][value] = found.captured(3);
    }
    return stored;
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
    // Interrupted as the second device's IP address leaves, the devices changed one after
    // the other.
    const QByteArray secondIp = QByteArray::fromHex("0B03023000000002");
    const auto secondStarted = [&] {
        for (const auto& record : simulator->traffic())
            if (!record.sent && record.bytes.startsWith(secondIp))
                return true;
        return false;
    };
    const testsupport::CliRun first =
        cli({"--parallel", "1", "--format", "json", "apply", file}, {secondStarted, 1});
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

// Devices 2 and 3 at once; device 1 takes device 2's address, so it waits for device 2 to
// leave it; devices 4 and 5 answer from one factory address, so one waits for the other.
TEST_F(CliJournalTest, APlanAppliedManyAtOnceStoresEveryValueAndJournalsIt) {
    std::string twins;
    for (int i = 4; i <= 5; ++i)
        twins += QStringLiteral("[twin%1]\nmac = %2\nip = 127.0.1.9\nnetmask = 255.0.0.0\n")
                     .arg(i)
                     .arg(mac(i))
                     .toStdString();
    start(slowDevices(3) + twins);
    const QStringList newIps{"127.0.1.2", "127.0.2.2", "127.0.2.3", "127.0.2.4", "127.0.2.5"};
    QString text = QStringLiteral("mac,ip,netmask\n");
    for (int i = 1; i <= 5; ++i)
        text += mac(i) + ',' + newIps[i - 1] + QStringLiteral(",255.255.0.0\n");
    const testsupport::CliRun run = cli({"--format", "json", "apply", plan(text)});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    for (const auto& [line, row] : rowsByLine(run))
        EXPECT_EQ(row["result"].toString(), "done") << line;

    const auto stored = storedValues(simulator->output());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(stored.at(mac(i)),
                  (std::map<QString, QString>{{"ip", newIps[i - 1]}, {"netmask", "255.255.0.0"}}))
            << i;

    // Where each device's requests came first and last.
    std::map<int, std::pair<std::size_t, std::size_t>> span;
    const auto requests = changeRequests();
    for (std::size_t at = 0; at < requests.size(); ++at) {
        const int device = quint8(requests[at].bytes[7]);
        span.try_emplace(device, at, at).first->second.second = at;
    }
    EXPECT_LT(span[3].first, span[2].second);
    EXPECT_LT(span[2].second, span[1].first);
    EXPECT_LT(span[4].second, span[5].first);

    const testsupport::CliRun history = cli({"--format", "json", "history"});
    std::map<QString, QStringList> told;
    for (const QJsonValue& record : jsonOf(history))
        told[record["mac"].toString()]
            << record["value"].toString() + ' ' + record["result"].toString();
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(told[mac(i)], (QStringList{"ip done", "netmask done"})) << i;
}

// Two devices at once when the interrupt comes: each writes its IP address to its end and
// nothing further; the third never begins.
TEST_F(CliJournalTest, AnInterruptLetsEveryDeviceUnderWayEndItsValueAndBeginsNoOther) {
    start(slowDevices(3));
    QString text = QStringLiteral("mac,ip,netmask\n");
    for (int i = 1; i <= 3; ++i)
        text += mac(i) + QStringLiteral(",127.0.2.%1,255.255.0.0\n").arg(i);
    const QByteArray firstIp = QByteArray::fromHex("0B03023000000001");
    const auto firstStarted = [&] {
        for (const auto& record : simulator->traffic())
            if (!record.sent && record.bytes.startsWith(firstIp))
                return true;
        return false;
    };
    const testsupport::CliRun run =
        cli({"--parallel", "2", "--format", "json", "apply", plan(text)}, {firstStarted, 1});
    EXPECT_EQ(run.exitCode, 130) << run.err.toStdString();
    auto rows = rowsByLine(run);
    ASSERT_EQ(rows.size(), 3u) << run.out.toStdString();
    for (int line = 2; line <= 3; ++line) {
        EXPECT_EQ(rows[line]["result"].toString(), "interrupted") << line;
        const QJsonObject changes = rows[line]["changes"].toObject();
        EXPECT_EQ(changes["ip"].toObject()["result"].toString(), "done") << line;
        EXPECT_EQ(changes["netmask"].toObject()["result"].toString(), "not_sent") << line;
    }
    EXPECT_EQ(rows[4]["result"].toString(), "not started");
}
