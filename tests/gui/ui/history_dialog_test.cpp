// File → Change history…: the records newest first, filtered by a MAC however it is typed,
// and the rows shown exported as the command line's CSV; the inventory on a page of its own.
#include "engine/device_set.h"
#include "gdf/gdf_table.h"
#include "history/history_database.h"
#include "history/history_output.h"
#include "history/inventory.h"
#include "history/sql_journal.h"
#include "support/fake_message_boxes.h"
#include "ui/history_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(HistoryDialog, ShowsNewestFirstFiltersByMacAndExportsWhatItShows) {
    QTemporaryDir home;
    history::HistoryDatabase database(home.filePath("history.sqlite"), [](const QString& problem) {
        FAIL() << problem.toStdString();
    });
    history::SqlJournal journal(database, {"torvane-cli", "tech", "pc1"});
    const auto write = [&](const char* mac, engine::Field field, engine::ValueOutcome outcome) {
        journal.record(journal.begin({"127.0.0.1", mac, "127.0.1.1", field, "a", "b"}), outcome);
    };
    write("02-00-00-00-00-01", engine::Field::Ip, engine::ValueOutcome::Done);
    write("02-00-00-00-00-02", engine::Field::Netmask, engine::ValueOutcome::TemporaryOnly);
    write("02-00-00-00-00-02", engine::Field::Gateway, engine::ValueOutcome::Timeout);

    engine::DeviceSet devices;
    devices.enter("02-00-00-00-00-02", "127.0.1.2");
    history::recordScan(database, devices, gdf::DeviceTypeTable(), "127.0.0.1");

    testsupport::FakeMessageBoxes boxes;
    ui::HistoryDialog dialog(database, boxes, [](const QString& key) { return key; });
    dialog.reload();
    QTableWidget* table = dialog.recordTable();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 10)->text(), "timeout");
    EXPECT_EQ(table->item(2, 5)->text(), "02-00-00-00-00-01");

    dialog.filterEdit()->setText("02:00:00:00:00:02");
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 7)->text(), "netmask");

    const QString exported = home.filePath("export.csv");
    boxes.fileAnswers.push_back(exported);
    dialog.exportButton()->click();
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], history::historyColumns().join(','));
    EXPECT_TRUE(lines[1].endsWith(",gateway,a,b,timeout"));

    dialog.pageTabs()->setCurrentIndex(1);
    ASSERT_EQ(dialog.inventoryTable()->rowCount(), 1);
    EXPECT_EQ(dialog.inventoryTable()->item(0, 1)->text(), "127.0.1.2");
    QFile inventory(home.filePath("inventory.csv"));
    boxes.fileAnswers.push_back(inventory.fileName());
    dialog.exportButton()->click();
    ASSERT_TRUE(inventory.open(QIODevice::ReadOnly));
    EXPECT_TRUE(inventory.readAll().startsWith("mac,ip,netmask,gateway,dhcp,type,"));

    dialog.filterEdit()->setText("02-00-00-00-00-09");
    EXPECT_FALSE(dialog.exportButton()->isEnabled());
}
