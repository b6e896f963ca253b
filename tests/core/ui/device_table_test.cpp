#include "ui/model/device_table.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using ui::DeviceLine;
using ui::DeviceTable;

namespace {

QStringList captions(const DeviceTable& table) {
    QStringList result;
    for (int row = 0; row < table.count(); ++row)
        result << table.caption(row);
    return result;
}

QStringList marks(const DeviceTable& table) {
    QStringList result;
    for (int row = 0; row < table.count(); ++row)
        result << table.cell(row, DeviceTable::kDuplicateCell);
    return result;
}

int createdRow(DeviceTable& table, const QString& mac, const QString& ip) {
    return table.rowOf(table.createLine(mac, ip));
}

// Changes of one display column reported since the spy was made.
int changesOfColumn(const QSignalSpy& changes, int column) {
    int count = 0;
    for (const QList<QVariant>& change : changes) {
        if (change.at(0).toModelIndex().column() == column)
            ++count;
    }
    return count;
}

} // namespace

TEST(DeviceTable, NewLinesGetNineCellsAndTheNoDuplicateMark) {
    DeviceTable table;
    const int row = createdRow(table, "00-00-00-00-00-0A", "10.0.0.5");
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.caption(row), "00-00-00-00-00-0A");
    EXPECT_EQ(table.cell(row, 0), "10.0.0.5");
    EXPECT_EQ(table.cell(row, 6), " ");
    for (int index : {1, 2, 3, 4, 5, 7, 8})
        EXPECT_TRUE(table.cell(row, index).isEmpty());
    // Out of range reads are empty, writes are ignored.
    EXPECT_TRUE(table.cell(5, 0).isEmpty());
    EXPECT_TRUE(table.cell(0, 9).isEmpty());
    table.setCell(7, 1, "x");
    table.setCell(0, -1, "x");
    table.setCell(nullptr, 1, "x");
    EXPECT_EQ(table.count(), 1);
}

TEST(DeviceTable, DuplicateMarksDescribeTheMostRecentAnswer) {
    DeviceTable table;
    table.createLine("AA-00-00-00-00-01", "10.0.0.5");
    table.createLine("BB-00-00-00-00-02", "10.0.0.5");
    EXPECT_EQ(marks(table), QStringList({"D", "D"}));
    // The same device answering again is reused and keeps "D" while another MAC shares it.
    EXPECT_EQ(createdRow(table, "BB-00-00-00-00-02", "10.0.0.5"), 1);
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(marks(table), QStringList({"D", "D"}));
    table.createLine("CC-00-00-00-00-03", "10.0.0.6");
    EXPECT_EQ(marks(table), QStringList({" ", " ", " "}));
    // An answer of the line's own MAC clears its mark.
    table.createLine("AA-00-00-00-00-01", "10.0.0.6");
    EXPECT_EQ(table.count(), 4); // a new IP for a known MAC is a second line
    // The new line sorts in behind the MAC's first line; it and C's line share 10.0.0.6.
    EXPECT_EQ(table.cell(1, 0), "10.0.0.6");
    EXPECT_EQ(table.caption(3), "CC-00-00-00-00-03");
    EXPECT_EQ(marks(table), QStringList({" ", "D", " ", "D"}));
    // A line that moves to the marked address leaves the marks as they are until the next
    // answer, which marks by the addresses as they are then.
    table.setCell(2, 0, "10.0.0.6");
    EXPECT_EQ(marks(table), QStringList({" ", "D", " ", "D"}));
    table.createLine("CC-00-00-00-00-03", "10.0.0.6");
    EXPECT_EQ(marks(table), QStringList({" ", "D", "D", "D"}));
}

TEST(DeviceTable, ManyMacsOnOneAddressTouchOnlyTheMarksThatChange) {
    DeviceTable table;
    QSignalSpy changes(&table, &QAbstractItemModel::dataChanged);
    constexpr int kDevices = 2000;
    for (int device = 0; device < kDevices; ++device) {
        changes.clear();
        table.createLine(QStringLiteral("02-00-00-00-%1-%2")
                             .arg(device / 256, 2, 16, QLatin1Char('0'))
                             .arg(device % 256, 2, 16, QLatin1Char('0')),
                         "10.0.0.5");
        // The first line of the pair is marked with the second; after that only the new
        // line comes marked.
        ASSERT_LE(changes.count(), 1) << "answer " << device;
    }
    EXPECT_EQ(marks(table), QStringList(kDevices, "D"));
    // The same device again, then another address: each line whose mark changes, once.
    changes.clear();
    table.createLine("02-00-00-00-00-07", "10.0.0.5");
    EXPECT_EQ(changes.count(), 0);
    table.createLine("02-00-00-00-00-07", "10.0.0.6");
    EXPECT_EQ(changesOfColumn(changes, DeviceTable::kDuplicateCell + 1), kDevices);
    EXPECT_EQ(marks(table), QStringList(kDevices + 1, " "));
}

TEST(DeviceTable, CellsByAddressAreWrittenOnceAndOnlyWhereTheyChange) {
    DeviceTable table;
    table.createLine("AA-00-00-00-00-01", "10.0.0.5");
    table.createLine("BB-00-00-00-00-01", "10.0.0.5");
    table.createLine("CC-00-00-00-00-01", "10.0.0.6");
    QSignalSpy changes(&table, &QAbstractItemModel::dataChanged);
    table.setCellOfIp("10.0.0.5", 1, "255.0.0.0");
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(table.cell(0, 1), "255.0.0.0");
    EXPECT_EQ(table.cell(1, 1), "255.0.0.0");
    EXPECT_TRUE(table.cell(2, 1).isEmpty());
    changes.clear();
    table.setCellOfIp("10.0.0.5", 1, "255.0.0.0");
    EXPECT_EQ(changes.count(), 0);
    // A line changed on its own, or a line that joins the address, is written again.
    table.setCell(0, 1, "searching...");
    table.createLine("DD-00-00-00-00-01", "10.0.0.5");
    changes.clear();
    table.setCellOfIp("10.0.0.5", 1, "255.0.0.0");
    EXPECT_EQ(changesOfColumn(changes, 2), 2);
    EXPECT_EQ(table.cell(3, 1), "255.0.0.0");
    // Unknown addresses and the address cell itself change nothing.
    changes.clear();
    table.setCellOfIp("10.0.0.7", 1, "255.0.0.0");
    table.setCellOfIp("10.0.0.5", 0, "10.0.0.9");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(table.rowsWithIp("10.0.0.5").size(), 3u);
}

TEST(DeviceTable, LookupsFollowCellChanges) {
    DeviceTable table;
    table.createLine("AA-00-00-00-00-01", "10.0.0.5");
    table.createLine("BB-00-00-00-00-02", "10.0.0.7");
    table.createLine("AA-00-00-00-00-01", "10.0.0.9");
    EXPECT_EQ(table.rowsWithIp("10.0.0.5"), std::vector<int>({0}));
    EXPECT_EQ(table.firstRowWithCaption("AA-00-00-00-00-01"), 0);
    EXPECT_EQ(table.lastRowWithCaption("AA-00-00-00-00-01"), 1);
    EXPECT_EQ(table.lastRowWithCaption("FF-00-00-00-00-01"), -1);
    table.setCell(2, 0, "10.0.0.5");
    EXPECT_EQ(table.rowsWithIp("10.0.0.5"), std::vector<int>({0, 2}));
    EXPECT_TRUE(table.rowsWithIp("10.0.0.7").empty());
    EXPECT_TRUE(table.rowsWithIp("10.000.000.005").empty());
    // A reused line is found by the new address now.
    EXPECT_EQ(createdRow(table, "BB-00-00-00-00-02", "10.0.0.5"), 2);
    table.clear();
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.rowsWithIp("10.0.0.5").empty());
    EXPECT_EQ(table.firstRowWithCaption("AA-00-00-00-00-01"), -1);
}

TEST(DeviceTable, NewLinesAppearInMacOrderAndHeaderClicksSort) {
    DeviceTable table;
    table.createLine("CC-00-00-00-00-01", "192.168.0.20");
    table.createLine("AA-00-00-00-00-01", "192.168.0.100");
    table.createLine("bb-00-00-00-00-01", "192.168.0.3");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "bb-00-00-00-00-01", "CC-00-00-00-00-01"}));
    // The MAC column is already the sort column: the first click on it sorts descending.
    table.columnClick(0);
    EXPECT_TRUE(table.descending());
    EXPECT_EQ(table.caption(0), "CC-00-00-00-00-01");
    // By IP text: no numeric comparison.
    table.columnClick(1);
    EXPECT_FALSE(table.descending());
    EXPECT_EQ(table.cell(0, 0), "192.168.0.100");
    EXPECT_EQ(table.cell(1, 0), "192.168.0.20");
    EXPECT_EQ(table.cell(2, 0), "192.168.0.3");
    table.columnClick(1);
    EXPECT_EQ(table.cell(0, 0), "192.168.0.3");
    table.columnClick(2);
    EXPECT_EQ(table.sortedColumn(), 2);
    EXPECT_FALSE(table.descending());
}

TEST(DeviceTable, AChangedSortCellReSortsAtOnceBehindItsEquals) {
    DeviceTable table;
    table.columnClick(2); // netmask column, cell 1
    DeviceLine* a = table.createLine("AA-00-00-00-00-01", "10.0.0.1");
    table.setCell(a, 1, "255.0.0.0");
    DeviceLine* b = table.createLine("BB-00-00-00-00-01", "10.0.0.2");
    EXPECT_EQ(captions(table), QStringList({"BB-00-00-00-00-01", "AA-00-00-00-00-01"}));
    table.setCell(b, 1, "255.255.0.0");
    EXPECT_EQ(captions(table), QStringList({"AA-00-00-00-00-01", "BB-00-00-00-00-01"}));
    DeviceLine* c = table.createLine("CC-00-00-00-00-01", "10.0.0.3");
    table.setCell(c, 1, "255.0.0.0");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "CC-00-00-00-00-01", "BB-00-00-00-00-01"}));
    // B takes A's and C's netmask last, so it goes behind both.
    table.setCell(table.rowOf(b), 1, "255.0.0.0");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "CC-00-00-00-00-01", "BB-00-00-00-00-01"}));
    table.setCell(a, 1, "255.255.255.0");
    EXPECT_EQ(table.rowOf(a), 2);
}

TEST(DeviceTable, MarkChangesReSortAListSortedByTheDuplicateColumn) {
    DeviceTable table;
    table.columnClick(DeviceTable::kDuplicateCell + 1);
    const QString z = "EE-00-00-00-00-01";
    const QString x = "CC-00-00-00-00-01";
    const QString y = "AA-00-00-00-00-01";
    table.createLine(z, "10.0.0.61");
    table.createLine(x, "10.0.0.62");
    table.createLine(y, "10.0.0.62");
    EXPECT_EQ(captions(table), QStringList({z, x, y}));
    EXPECT_EQ(marks(table), QStringList({" ", "D", "D"}));
    table.createLine(z, "10.0.0.61");
    EXPECT_EQ(captions(table), QStringList({z, x, y}));
    EXPECT_EQ(marks(table), QStringList({" ", " ", " "}));
}

TEST(DeviceTable, ABatchMergesItsRunsOfNewLinesWithOneInsertionEach) {
    DeviceTable table;
    table.createLine("20-00-00-00-00-00", "10.0.0.20");
    table.createLine("40-00-00-00-00-00", "10.0.0.40");
    const QPersistentModelIndex forty(table.index(1, 0));
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);

    table.beginBatch();
    DeviceLine* last = table.createLine("50-00-00-00-00-00", "10.0.0.50");
    table.createLine("10-00-00-00-00-00", "10.0.0.10");
    table.createLine("45-00-00-00-00-00", "10.0.0.45");
    table.createLine("05-00-00-00-00-00", "10.0.0.5");
    // Waiting lines count and know their rows, but the view has not been told yet.
    EXPECT_EQ(table.count(), 6);
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.rowOf(last), 5);
    EXPECT_EQ(inserted.count(), 0);
    table.endBatch();

    // The last run first, behind 40 (45 and 50), then the first in front (05 and 10).
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 2);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 3);
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 1);
    EXPECT_EQ(captions(table),
              QStringList({"05-00-00-00-00-00", "10-00-00-00-00-00", "20-00-00-00-00-00",
                           "40-00-00-00-00-00", "45-00-00-00-00-00", "50-00-00-00-00-00"}));
    EXPECT_EQ(forty.row(), 3);
    EXPECT_EQ(table.rowOf(last), 5);

    // Reading by row inside a batch brings the view up to date first.
    table.beginBatch();
    table.createLine("00-00-00-00-00-00", "10.0.0.1");
    EXPECT_EQ(table.caption(0), "00-00-00-00-00-00");
    EXPECT_EQ(table.rowCount(), 7);
    table.endBatch();
    EXPECT_EQ(inserted.count(), 3);
}

// Answers of a few devices sharing MACs and addresses, with the intake's cell writes and
// netmask answers between them, entered one by one into one table and in batches of every
// size into another: after each batch both lists are the same, rows of waiting lines are the
// rows entering one by one gives, the lists stay sorted and the marks follow the rule.
class DeviceTableBatches : public ::testing::TestWithParam<int> {};

TEST_P(DeviceTableBatches, GiveTheOrderOfEnteringOneByOne) {
    DeviceTable single;
    DeviceTable batched;
    // The merges and moves must keep the model's promises to its views.
    QAbstractItemModelTester batchedCheck(&batched,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    const int column = GetParam();
    for (DeviceTable* table : {&single, &batched}) {
        table->columnClick(std::abs(column));
        if (column < 0)
            table->columnClick(std::abs(column));
    }
    quint32 seed = 20240611u + quint32(column + 10);
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(bound));
    };
    QString lastMac;
    QString lastIp;
    for (int round = 0; round < 40; ++round) {
        const int batchSize = 1 + next(12);
        batched.beginBatch();
        for (int answer = 0; answer < batchSize; ++answer) {
            const QString mac =
                QStringLiteral("02-00-00-00-00-%1").arg(next(9), 2, 10, QLatin1Char('0'));
            const QString ip = QStringLiteral("10.0.0.%1").arg(next(5));
            if (next(6) == 0) {
                const QString mask = QStringLiteral("255.%1.0.0").arg(next(3));
                single.setCellOfIp(ip, 1, mask);
                batched.setCellOfIp(ip, 1, mask);
                continue;
            }
            DeviceLine* one = single.createLine(mac, ip);
            DeviceLine* other = batched.createLine(mac, ip);
            const QString type = QStringLiteral("type %1").arg(next(3));
            const QString gateway = QStringLiteral("10.0.%1.1").arg(next(3));
            for (auto [table, line] : {std::pair{&single, one}, std::pair{&batched, other}}) {
                table->setCell(line, 4, type);
                table->setCell(line, 2, gateway);
            }
            ASSERT_EQ(batched.rowOf(other), single.rowOf(one)) << "round " << round;
            lastMac = mac;
            lastIp = ip;
        }
        batched.endBatch();
        ASSERT_EQ(captions(batched), captions(single)) << "round " << round;
        for (int row = 0; row < single.count(); ++row) {
            for (int index = 0; index < DeviceTable::kCellCount; ++index)
                ASSERT_EQ(batched.cell(row, index), single.cell(row, index))
                    << "round " << round << " row " << row << " cell " << index;
        }
        const int sortIndex = single.sortedColumn() - 1;
        for (int row = 1; row < single.count(); ++row) {
            const QString& before =
                sortIndex < 0 ? single.caption(row - 1) : single.cell(row - 1, sortIndex);
            const QString& after =
                sortIndex < 0 ? single.caption(row) : single.cell(row, sortIndex);
            const int order = DeviceTable::compareText(before, after);
            ASSERT_LE(single.descending() ? -order : order, 0) << "round " << round;
        }
        if (lastMac.isEmpty())
            continue;
        bool shared = false;
        for (int row = 0; row < single.count(); ++row)
            shared = shared || (single.cell(row, 0) == lastIp && single.caption(row) != lastMac);
        for (int row = 0; row < single.count(); ++row) {
            const bool sameIp = single.cell(row, 0) == lastIp;
            const bool marked = sameIp && (single.caption(row) != lastMac || shared);
            ASSERT_EQ(single.cell(row, DeviceTable::kDuplicateCell), marked ? "D" : " ")
                << "round " << round << " row " << row;
        }
    }
}

// Sorted by MAC, IP, gateway (written after the line is made), device type, duplicate mark;
// negative: the same column descending.
INSTANTIATE_TEST_SUITE_P(SortColumns, DeviceTableBatches,
                         ::testing::Values(0, -1, 1, 3, -3, 5, 7, -7));

TEST(DeviceTable, CompareTextFoldsAsciiLettersOnly) {
    EXPECT_EQ(DeviceTable::compareText("abc", "ABC"), 0);
    EXPECT_LT(DeviceTable::compareText("10.0.0.10", "10.0.0.9"), 0);
    EXPECT_LT(DeviceTable::compareText("ab", "abc"), 0);
    EXPECT_GT(DeviceTable::compareText(QString::fromUtf8("\u00e9"), "Z"), 0);
    // Letters are folded to upper case, so '_' sorts after every letter.
    EXPECT_GT(DeviceTable::compareText("_", "a"), 0);
}

TEST(DeviceTable, ModelSignalsKeepPersistentIndexesOnTheirLines) {
    DeviceTable table;
    table.createLine("BB-00-00-00-00-01", "10.0.0.2");
    const QPersistentModelIndex b(table.index(0, 0));
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    table.createLine("AA-00-00-00-00-01", "10.0.0.1");
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(b.row(), 1);
    table.columnClick(0);
    EXPECT_EQ(b.row(), 0);
    EXPECT_EQ(table.data(table.index(b.row(), 1), Qt::DisplayRole).toString(), "10.0.0.2");
    // A line moved by a changed sort cell takes its index along.
    table.columnClick(2);
    table.setCell(b.row(), 1, "255.0.0.0");
    EXPECT_EQ(b.row(), 1);
    EXPECT_EQ(table.data(table.index(b.row(), 0), Qt::DisplayRole).toString(), "BB-00-00-00-00-01");
    table.clear();
    EXPECT_FALSE(b.isValid());
}
