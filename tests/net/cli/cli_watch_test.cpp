// torvane-cli watch against the simulator on loopback, which is restarted with another
// device file while the watch runs.
#include "support/cli_process.h"
#include "support/temp_directory.h"
#include "support/test_network.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr const char* kFirstDevices = "[a]\nmac = 02-30-00-00-00-01\nip = 127.0.0.31\n"
                                      "[b]\nmac = 02-30-00-00-00-02\nip = 127.0.0.32\n"
                                      "[c]\nmac = 02-30-00-00-00-03\nip = 127.0.0.33\n";
// a moved, c gone, d new at b's address.
constexpr const char* kLaterDevices = "[a]\nmac = 02-30-00-00-00-01\nip = 127.0.0.41\n"
                                      "[b]\nmac = 02-30-00-00-00-02\nip = 127.0.0.32\n"
                                      "[d]\nmac = 02-30-00-00-00-04\nip = 127.0.0.32\n";

const QStringList kWatch = {"--verbose", "--scan-ms", "300",        "--format",
                            "jsonl",     "watch",     "--interval", "2"};

QList<QJsonObject> events(const QString& out) {
    QList<QJsonObject> objects;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
        objects.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return objects;
}

QString summary(const QJsonObject& event) {
    QString text = event["event"].toString() + u' ' + event["mac"].toString().right(2) + u' ' +
                   event["ip"].toString();
    if (event.contains("changes"))
        text +=
            u' ' + QString::fromUtf8(
                       QJsonDocument(event["changes"].toObject()).toJson(QJsonDocument::Compact));
    if (event.contains("shared_with"))
        text += u' ' + event["shared_with"].toArray()[0].toString().right(2);
    return text;
}

int scansStarted(const CliProcess& watch) {
    return int(watch.err().count(QStringLiteral("Sending scan to")));
}

} // namespace

TEST(CliWatch, ReportsAppearedChangedDuplicateAndAfterTwoMissedScansDisappeared) {
    const auto network = TestNetwork::tier1();
    auto simulator = network->devices().startSimulator(kFirstDevices);
    CliProcess watch(kWatch);
    ASSERT_TRUE(
        watch.waitForOutput([](const QString& out) { return events(out).size() == 3; }, 20000))
        << watch.out().toStdString() << watch.err().toStdString();

    // One scan hears nothing, the next one the other devices: a and b missed one scan only.
    simulator.reset();
    const int scans = scansStarted(watch);
    ASSERT_TRUE(
        watch.waitForOutput([&](const QString&) { return scansStarted(watch) > scans; }, 10000));
    simulator = network->devices().startSimulator(kLaterDevices);
    ASSERT_TRUE(
        watch.waitForOutput([](const QString& out) { return events(out).size() >= 8; }, 20000))
        << watch.out().toStdString() << watch.err().toStdString();

    // Other commands work beside the watch, between its scans.
    const CliRun scan = runCli({"--scan-ms", "300", "scan"});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    EXPECT_TRUE(scan.out.endsWith("3 devices, through 127.0.0.1 (the first local address)\n"))
        << scan.out.toStdString();

    EXPECT_EQ(watch.terminate(10000), 0) << watch.err().toStdString();
    QStringList seen;
    for (const QJsonObject& event : events(watch.out())) {
        seen.append(summary(event));
        EXPECT_EQ(event["adapter"].toString(), "127.0.0.1");
        EXPECT_TRUE(event["time"].toString().endsWith(u'Z'))
            << event["time"].toString().toStdString();
    }
    EXPECT_EQ(
        seen,
        QStringList({"appeared 01 127.0.0.31", "appeared 02 127.0.0.32", "appeared 03 127.0.0.33",
                     "disappeared 03 127.0.0.33", "appeared 04 127.0.0.32",
                     R"(changed 01 127.0.0.41 {"ip":{"from":"127.0.0.31","to":"127.0.0.41"}})",
                     "duplicate_ip 02 127.0.0.32 04", "duplicate_ip 04 127.0.0.32 02"}));
}

namespace {

struct ExecCase {
    const char* name;
    QStringList options;
    const char* problem; // on stderr for each event; empty: none
};

class CliWatchExec : public ::testing::TestWithParam<ExecCase> {};

} // namespace

// Every event runs the command; a command that fails or hangs is reported, and the watch
// goes on with the next event and the next scan.
TEST_P(CliWatchExec, RunsTheCommandForEveryEventAndGoesOn) {
    const auto network = TestNetwork::tier1();
    const auto simulator =
        network->devices().startSimulator("[a]\nmac = 02-31-00-00-00-01\nip = 127.0.0.51\n"
                                          "[b]\nmac = 02-31-00-00-00-02\nip = 127.0.0.52\n");
    const TempDirectory folder;
    const QString recordings = QString::fromStdString(folder.path());
    const QString command =
        QStringLiteral(R"(cat > "%1/$TORVANE_EVENT-$TORVANE_MAC-$TORVANE_IP"; )").arg(recordings) +
        GetParam().options[0];
    CliProcess watch(kWatch + QStringList{"--exec", command} + GetParam().options.mid(1));
    const QString problem = QString::fromLatin1(GetParam().problem);
    ASSERT_TRUE(watch.waitForOutput(
        [&](const QString& out) { return events(out).size() == 2 && scansStarted(watch) >= 2; },
        20000))
        << watch.out().toStdString() << watch.err().toStdString();
    EXPECT_EQ(watch.terminate(10000), 0) << watch.err().toStdString();
    for (const char* mac : {"02-31-00-00-00-01", "02-31-00-00-00-02"}) {
        const QString report = QStringLiteral("--exec for appeared %1: ").arg(mac) + problem;
        EXPECT_EQ(watch.err().contains(report), !problem.isEmpty()) << watch.err().toStdString();
    }
    // The command had the event's JSON on its input and the event in its environment.
    QFile recorded(recordings + "/appeared-02-31-00-00-00-01-127.0.0.51");
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const QJsonObject event = QJsonDocument::fromJson(recorded.readAll()).object();
    EXPECT_EQ(event["mac"].toString(), "02-31-00-00-00-01");
    EXPECT_EQ(event["event"].toString(), "appeared");
}

INSTANTIATE_TEST_SUITE_P(Commands, CliWatchExec,
                         ::testing::Values(ExecCase{"Succeeds", {"true"}, ""},
                                           ExecCase{"Fails", {"exit 3"}, "exited with status 3"},
                                           ExecCase{"Hangs",
                                                    {"sleep 30", "--exec-timeout", "1"},
                                                    "did not end within 1 s and was stopped"}),
                         [](const auto& info) { return std::string(info.param.name); });
