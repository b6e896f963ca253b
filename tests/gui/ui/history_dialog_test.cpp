// File → Change history…: the records newest first, filtered by a MAC however it is typed,
// and the records shown exported as the command line's CSV.
#include "history/history_database.h"
#include "history/history_output.h"
#include "history/sql_journal.h"
#include "support/fake_message_boxes.h"
#include "ui/history_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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

    testsupport::FakeMessageBoxes boxes;
    ui::HistoryDialog dialog(database, boxes);
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

    dialog.filterEdit()->setText("02-00-00-00-00-09");
    EXPECT_FALSE(dialog.exportButton()->isEnabled());
}
