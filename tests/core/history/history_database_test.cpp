// The change history on disk: rows written by two connections at once (the window and the
// command line), read back filtered, a file that cannot serve set aside or done without, and
// the history of the release before upgraded in place to keep the inventory.
#include "engine/device_set.h"
#include "gdf/gdf_table.h"
#include "history/history_database.h"
#include "history/history_output.h"
#include "history/history_records.h"
#include "history/inventory.h"
#include "history/sql_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using engine::Field;
using engine::ValueOutcome;

namespace {

engine::JournalEntry entry(const QString& mac, Field field, const QString& to) {
    return {"127.0.0.1", mac, "127.0.1.1", field, "127.0.1.1", to};
}

struct Reports {
    QStringList problems;
    history::HistoryDatabase::Reporter reporter() {
        return [this](const QString& problem) { problems << problem; };
    }
};

// Runs the statements on the file, as another program would.
void writeDirectly(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "direct");
        database.setDatabaseName(path);
        ASSERT_TRUE(database.open());
        QSqlQuery query(database);
        for (const QString& statement : statements)
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase("direct");
}

} // namespace

TEST(HistoryDatabase, TwoProgramsWriteOneHistoryThatReadsBackInOrder) {
    QTemporaryDir home;
    const QString path = home.filePath("Kestrelwald/TorvaneScan/history.sqlite");
    Reports reports;
    history::HistoryDatabase window(path, reports.reporter());
    history::HistoryDatabase commandLine(path, reports.reporter());
    ASSERT_TRUE(window.available() && commandLine.available())
        << reports.problems.join('\n').toStdString();
    history::SqlJournal windowJournal(window, {"torvanescan", "tech", "pc1"});
    history::SqlJournal cliJournal(commandLine, {"torvane-cli", "tech", "pc1"});

    const auto ip = windowJournal.begin(entry("02-00-00-00-00-01", Field::Ip, "127.0.2.1"));
    const auto gateway = cliJournal.begin(entry("02-00-00-00-00-02", Field::Gateway, "127.0.0.9"));
    windowJournal.record(ip, ValueOutcome::Done);
    cliJournal.record(gateway, ValueOutcome::TemporaryOnly);
    const auto refused = cliJournal.begin(entry("02-00-00-00-00-02", Field::Ip, "127.0.2.2"));
    cliJournal.record(refused, ValueOutcome::Refused);

    // Done and refused need no completion; a temporary write does.
    const engine::UnfinishedValues unfinished = windowJournal.unfinished();
    EXPECT_EQ(unfinished.keys(), QStringList{"02-00-00-00-00-02"});
    EXPECT_EQ(unfinished.value("02-00-00-00-00-02"), QList<Field>{Field::Gateway});
    EXPECT_EQ(QFileInfo(path + "-wal").exists(), true);

    const auto all = history::readHistory(window, {});
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].program, "torvanescan");
    EXPECT_EQ(all[0].result, "done");
    EXPECT_EQ(all[1].result, "temporary_only");
    EXPECT_TRUE(all[1].time.endsWith('Z'));
    const auto one = history::readHistory(commandLine, {"02-00-00-00-00-02", std::nullopt, true});
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].value, "ip");
    EXPECT_TRUE(
        history::readHistory(window, {std::nullopt, "2999-01-01T00:00:00.000Z", false}).empty());

    const QJsonArray json = QJsonDocument::fromJson(history::historyJson(all).toUtf8()).array();
    ASSERT_EQ(json.size(), 3);
    EXPECT_EQ(json[1].toObject().keys(),
              (QStringList{"adapter", "from", "host", "ip", "mac", "program", "result", "time",
                           "to", "user", "value"}));
    EXPECT_EQ(json[1]["to"].toString(), "127.0.0.9");
    EXPECT_TRUE(reports.problems.isEmpty());
}

namespace {

struct UnusableFile {
    const char* name;
    // Puts something unusable where the history belongs; gives the history's path.
    std::function<QString(const QTemporaryDir&)> prepare;
    bool setAside; // a fresh history is begun in its place
    const char* report;
};

const UnusableFile kUnusable[] = {
    {"NotADatabase",
     [](const QTemporaryDir& home) {
         QFile file(home.filePath("history.sqlite"));
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         file.write(QByteArray(4096, 'x'));
         return file.fileName();
     },
     true, "was damaged"},
    {"AFolderInItsPlace",
     [](const QTemporaryDir& home) {
         EXPECT_TRUE(QDir(home.path()).mkdir("history.sqlite"));
         return home.filePath("history.sqlite");
     },
     true, "was damaged"},
    {"ItsFolderCannotBeMade",
     [](const QTemporaryDir& home) {
         QFile file(home.filePath("plain-file"));
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         return home.filePath("plain-file/history.sqlite");
     },
     false, "cannot be created"},
    {"WrittenByALaterVersion",
     [](const QTemporaryDir& home) {
         writeDirectly(home.filePath("history.sqlite"),
                       {"CREATE TABLE devices_v9 (mac TEXT)", "PRAGMA user_version = 9"});
         return home.filePath("history.sqlite");
     },
     true, "written by a later version"},
};

class UnusableHistory : public ::testing::TestWithParam<UnusableFile> {};

} // namespace

TEST_P(UnusableHistory, IsReportedOnceAndNeverStopsAChange) {
    QTemporaryDir home;
    const QString path = GetParam().prepare(home);
    Reports reports;
    history::HistoryDatabase database(path, reports.reporter());
    history::SqlJournal journal(database, {"torvane-cli", "tech", "pc1"});
    const auto id = journal.begin(entry("02-00-00-00-00-01", Field::Ip, "127.0.2.1"));
    journal.record(id, ValueOutcome::TemporaryOnly);
    ASSERT_EQ(reports.problems.size(), 1) << reports.problems.join('\n').toStdString();
    EXPECT_TRUE(reports.problems[0].contains(GetParam().report))
        << reports.problems[0].toStdString();
    EXPECT_EQ(database.available(), GetParam().setAside);
    if (!GetParam().setAside)
        return;
    EXPECT_EQ(QDir(home.path()).entryList({"history.sqlite.damaged-*"}).size(), 1);
    EXPECT_EQ(journal.unfinished().value("02-00-00-00-00-01"), QList<Field>{Field::Ip});
}

INSTANTIATE_TEST_SUITE_P(Files, UnusableHistory, ::testing::ValuesIn(kUnusable),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryDatabase, AnEarlierHistoryIsUpgradedInPlaceAndKeepsEveryScansDevices) {
    QTemporaryDir home;
    const QString path = home.filePath("history.sqlite");
    writeDirectly(path, {"CREATE TABLE changes (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT "
                         "NOT NULL, program TEXT NOT NULL, user TEXT NOT NULL, host TEXT NOT "
                         "NULL, adapter TEXT NOT NULL, mac TEXT NOT NULL, ip TEXT NOT NULL, value "
                         "TEXT NOT NULL, from_value TEXT NOT NULL, to_value TEXT NOT NULL, result "
                         "TEXT NOT NULL)",
                         "INSERT INTO changes VALUES (1, '2026-05-04T09:15:02.481Z', "
                         "'torvane-cli', 'tech', 'pc1', '127.0.0.1', '02-00-00-00-00-01', "
                         "'127.0.1.1', 'ip', '127.0.1.1', '127.0.2.1', 'done')",
                         "PRAGMA user_version = 1"});
    Reports reports;
    history::HistoryDatabase database(path, reports.reporter());
    ASSERT_TRUE(database.available()) << reports.problems.join('\n').toStdString();
    EXPECT_EQ(history::readHistory(database, {}).size(), 1u);

    // A scan answer that claims another address than it came from is no proof of a device.
    const auto scan = [&](const QString& ip, const QString& netmask) {
        engine::DeviceSet devices;
        engine::DeviceRecord& heard = devices.edit(devices.enter("02-00-00-00-00-01", ip).id);
        heard.netmask = netmask.isEmpty()
                            ? engine::AddressField::of(engine::AddressState::NotAvailable)
                            : engine::AddressField::value(netmask);
        heard.revision = "1.2";
        devices.edit(devices.enter("02-00-00-00-00-66", "127.0.9.9").id).doubtful = true;
        history::recordScan(database, devices, gdf::DeviceTypeTable(), "127.0.0.1");
    };
    scan("127.0.2.1", "255.0.0.0");
    scan("127.0.2.7", "");
    const auto inventory = history::readInventory(database, std::nullopt);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory[0].ip, "127.0.2.7");
    EXPECT_EQ(inventory[0].netmask, "255.0.0.0"); // the latest scan could not read it
    EXPECT_TRUE(history::readInventory(database, "2999-01-01T00:00:00.000Z").empty());
    EXPECT_TRUE(reports.problems.isEmpty()) << reports.problems.join('\n').toStdString();
}

TEST(HistoryTime, DatesAndTimesBecomeUtcHistoryTimes) {
    const std::pair<const char*, std::optional<QString>> cases[] = {
        {"2026-05-04", "2026-05-04T00:00:00.000Z"},
        {"2026-05-04T09:15:02Z", "2026-05-04T09:15:02.000Z"},
        {"2026-05-04T11:15:02+02:00", "2026-05-04T09:15:02.000Z"},
        {"2026-05-04T09:15", "2026-05-04T09:15:00.000Z"},
        {"yesterday", std::nullopt},
        {"2026-13-01", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(history::historyTimeOf(text), expected) << text;
}
