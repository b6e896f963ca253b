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

// A line as a scan answer first shows it: its address and no duplicate mark.
DeviceLine* addDevice(DeviceTable& table, const QString& mac, const QString& ip) {
    DeviceTable::Cells cells;
    cells[0] = ip;
    cells[DeviceTable::kDuplicateCell] = QStringLiteral(" ");
    return table.addLine(mac, cells);
}

} // namespace

TEST(DeviceTable, ALineShowsTheCellsItWasGivenAndOnlyChangedCellsAreReported) {
    DeviceTable table;
    DeviceTable::Cells cells;
    for (int index = 0; index < DeviceTable::kCellCount; ++index)
        cells[std::size_t(index)] = QStringLiteral("cell %1").arg(index);
    DeviceLine* line = table.addLine("00-00-00-00-00-0A", cells);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.rowOf(line), 0);
    EXPECT_EQ(table.caption(0), "00-00-00-00-00-0A");
    for (int index = 0; index < DeviceTable::kCellCount; ++index)
        EXPECT_EQ(table.cell(0, index), cells[std::size_t(index)]);
    EXPECT_EQ(table.data(table.index(0, 0), Qt::DisplayRole).toString(), "00-00-00-00-00-0A");
    EXPECT_EQ(table.data(table.index(0, 8), Qt::DisplayRole).toString(), "cell 7");

    QSignalSpy changes(&table, &QAbstractItemModel::dataChanged);
    table.setCell(line, 1, "255.0.0.0");
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toModelIndex(), table.index(0, 2));
    // The same text again, and writes outside the line's cells, change nothing.
    table.setCell(line, 1, "255.0.0.0");
    table.setCell(line, -1, "x");
    table.setCell(line, DeviceTable::kCellCount, "x");
    table.setCell(nullptr, 1, "x");
    EXPECT_EQ(changes.count(), 1);
    // The last cell is never shown, so no view hears of it.
    table.setCell(line, 8, "hidden");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(table.cell(0, 8), "hidden");
    // Out of range reads are empty.
    EXPECT_TRUE(table.cell(1, 0).isEmpty());
    EXPECT_TRUE(table.cell(0, DeviceTable::kCellCount).isEmpty());
    EXPECT_TRUE(table.caption(-1).isEmpty());
    EXPECT_EQ(table.rowOf(nullptr), -1);
}

TEST(DeviceTable, AChangedDuplicateMarkAlsoAsksForItsBackground) {
    DeviceTable table;
    DeviceLine* line = addDevice(table, "AA-00-00-00-00-01", "10.0.0.5");
    QSignalSpy changes(&table, &QAbstractItemModel::dataChanged);
    table.setCell(line, DeviceTable::kDuplicateCell, "D");
    table.setCell(line, 4, "type");
    ASSERT_EQ(changes.count(), 2);
    const QModelIndex mark = table.index(0, DeviceTable::kDuplicateCell + 1);
    EXPECT_EQ(changes.at(0).at(0).toModelIndex(), mark);
    EXPECT_EQ(changes.at(0).at(2).value<QList<int>>(),
              (QList<int>{Qt::DisplayRole, Qt::BackgroundRole}));
    EXPECT_EQ(changes.at(1).at(2).value<QList<int>>(), QList<int>{Qt::DisplayRole});
}

TEST(DeviceTable, TheFirstLineOfAMacIsFoundWhereverTheSortPutsIt) {
    DeviceTable table;
    addDevice(table, "AA-00-00-00-00-01", "10.0.0.9");
    addDevice(table, "BB-00-00-00-00-02", "10.0.0.7");
    DeviceLine* second = addDevice(table, "AA-00-00-00-00-01", "10.0.0.5");
    EXPECT_EQ(table.firstRowWithCaption("AA-00-00-00-00-01"), 0);
    EXPECT_EQ(table.firstRowWithCaption("BB-00-00-00-00-02"), 2);
    EXPECT_EQ(table.firstRowWithCaption("FF-00-00-00-00-01"), -1);
    // Sorted by IP, the MAC's second line comes first.
    table.columnClick(1);
    EXPECT_EQ(table.firstRowWithCaption("AA-00-00-00-00-01"), 0);
    EXPECT_EQ(table.rowOf(second), 0);
    EXPECT_EQ(table.firstRowWithCaption("BB-00-00-00-00-02"), 1);
    // Looking a line up during a batch merges the lines that wait first.
    table.beginBatch();
    addDevice(table, "CC-00-00-00-00-03", "10.0.0.1");
    EXPECT_EQ(table.firstRowWithCaption("CC-00-00-00-00-03"), 0);
    EXPECT_EQ(table.firstRowWithCaption("BB-00-00-00-00-02"), 2);
    table.endBatch();
    table.clear();
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.firstRowWithCaption("AA-00-00-00-00-01"), -1);
}

TEST(DeviceTable, NewLinesAppearInMacOrderAndHeaderClicksSort) {
    DeviceTable table;
    addDevice(table, "CC-00-00-00-00-01", "192.168.0.20");
    addDevice(table, "AA-00-00-00-00-01", "192.168.0.100");
    addDevice(table, "bb-00-00-00-00-01", "192.168.0.3");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "bb-00-00-00-00-01", "CC-00-00-00-00-01"}));
    // The MAC column is already the sort column: the first click on it sorts descending.
    table.columnClick(0);
    EXPECT_EQ(captions(table),
              QStringList({"CC-00-00-00-00-01", "bb-00-00-00-00-01", "AA-00-00-00-00-01"}));
    // By IP text, ascending: no numeric comparison.
    table.columnClick(1);
    EXPECT_EQ(table.cell(0, 0), "192.168.0.100");
    EXPECT_EQ(table.cell(1, 0), "192.168.0.20");
    EXPECT_EQ(table.cell(2, 0), "192.168.0.3");
    table.columnClick(1);
    EXPECT_EQ(table.cell(0, 0), "192.168.0.3");
    // Clicks outside the columns change nothing.
    table.columnClick(-1);
    table.columnClick(DeviceTable::kColumnCount);
    EXPECT_EQ(table.cell(0, 0), "192.168.0.3");
    // Another column starts ascending; lines equal by it keep their order, and a new line
    // goes behind its equals whatever its MAC.
    table.columnClick(2);
    EXPECT_EQ(captions(table),
              QStringList({"bb-00-00-00-00-01", "CC-00-00-00-00-01", "AA-00-00-00-00-01"}));
    EXPECT_EQ(table.rowOf(addDevice(table, "00-00-00-00-00-01", "192.168.0.1")), 3);
}

TEST(DeviceTable, AChangedSortCellReSortsAtOnceBehindItsEquals) {
    DeviceTable table;
    table.columnClick(2); // netmask column, cell 1
    DeviceLine* a = addDevice(table, "AA-00-00-00-00-01", "10.0.0.1");
    table.setCell(a, 1, "255.0.0.0");
    DeviceLine* b = addDevice(table, "BB-00-00-00-00-01", "10.0.0.2");
    EXPECT_EQ(captions(table), QStringList({"BB-00-00-00-00-01", "AA-00-00-00-00-01"}));
    table.setCell(b, 1, "255.255.0.0");
    EXPECT_EQ(captions(table), QStringList({"AA-00-00-00-00-01", "BB-00-00-00-00-01"}));
    DeviceLine* c = addDevice(table, "CC-00-00-00-00-01", "10.0.0.3");
    table.setCell(c, 1, "255.0.0.0");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "CC-00-00-00-00-01", "BB-00-00-00-00-01"}));
    // B takes A's and C's netmask last, so it goes behind both.
    table.setCell(b, 1, "255.0.0.0");
    EXPECT_EQ(captions(table),
              QStringList({"AA-00-00-00-00-01", "CC-00-00-00-00-01", "BB-00-00-00-00-01"}));
    table.setCell(a, 1, "255.255.255.0");
    EXPECT_EQ(table.rowOf(a), 2);
}

TEST(DeviceTable, MarkChangesReSortAListSortedByTheDuplicateColumn) {
    DeviceTable table;
    QAbstractItemModelTester check(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
    table.columnClick(DeviceTable::kDuplicateCell + 1);
    const QString z = "EE-00-00-00-00-01";
    const QString x = "CC-00-00-00-00-01";
    const QString y = "AA-00-00-00-00-01";
    addDevice(table, z, "10.0.0.61");
    DeviceLine* lineX = addDevice(table, x, "10.0.0.62");
    DeviceLine* lineY = addDevice(table, y, "10.0.0.62");
    EXPECT_EQ(captions(table), QStringList({z, x, y}));
    // " " sorts before "D": the marked lines go to the end, in the order they were marked,
    // and back in front in the order they lost the mark.
    table.setCell(lineY, DeviceTable::kDuplicateCell, "D");
    table.setCell(lineX, DeviceTable::kDuplicateCell, "D");
    EXPECT_EQ(captions(table), QStringList({z, y, x}));
    QSignalSpy moved(&table, &QAbstractItemModel::rowsMoved);
    table.setCell(lineX, DeviceTable::kDuplicateCell, " ");
    table.setCell(lineY, DeviceTable::kDuplicateCell, " ");
    EXPECT_EQ(captions(table), QStringList({z, x, y}));
    EXPECT_EQ(moved.count(), 1); // y stays where it is
}

TEST(DeviceTable, ABatchMergesItsRunsOfNewLinesWithOneInsertionEach) {
    DeviceTable table;
    addDevice(table, "20-00-00-00-00-00", "10.0.0.20");
    addDevice(table, "40-00-00-00-00-00", "10.0.0.40");
    const QPersistentModelIndex forty(table.index(1, 0));
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);

    table.beginBatch();
    DeviceLine* last = addDevice(table, "50-00-00-00-00-00", "10.0.0.50");
    addDevice(table, "10-00-00-00-00-00", "10.0.0.10");
    addDevice(table, "45-00-00-00-00-00", "10.0.0.45");
    addDevice(table, "05-00-00-00-00-00", "10.0.0.5");
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

    // Reading by row inside a batch brings the view up to date first; nested batches merge
    // at the end of the outer one.
    table.beginBatch();
    table.beginBatch();
    addDevice(table, "00-00-00-00-00-00", "10.0.0.1");
    EXPECT_EQ(table.caption(0), "00-00-00-00-00-00");
    EXPECT_EQ(table.rowCount(), 7);
    addDevice(table, "60-00-00-00-00-00", "10.0.0.60");
    table.endBatch();
    EXPECT_EQ(table.rowCount(), 7);
    table.endBatch();
    EXPECT_EQ(table.rowCount(), 8);
    EXPECT_EQ(inserted.count(), 4);
    // An end without a beginning is no batch of its own.
    table.endBatch();
    addDevice(table, "70-00-00-00-00-00", "10.0.0.70");
    EXPECT_EQ(table.rowCount(), 9);
}

// Lines of a few devices added and their cells written as a front end writes them (new lines,
// changed sort cells of waiting and of listed lines, other cells), one by one into one table
// and in batches of every size into another: rows of waiting lines are the rows adding one by
// one gives, and after each batch both lists are the same and sorted.
// The parameter: the sort column, and whether it sorts descending.
class DeviceTableBatches : public ::testing::TestWithParam<std::pair<int, bool>> {};

TEST_P(DeviceTableBatches, GiveTheOrderOfAddingOneByOne) {
    DeviceTable single;
    DeviceTable batched;
    // The merges and moves must keep the model's promises to its views.
    QAbstractItemModelTester batchedCheck(&batched,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto [sortColumn, descending] = GetParam();
    for (DeviceTable* table : {&single, &batched}) {
        // The list starts sorted by MAC, ascending; each click on the sort column turns it.
        if (sortColumn != 0)
            table->columnClick(sortColumn);
        if (descending)
            table->columnClick(sortColumn);
    }
    quint32 seed = 20240611u + quint32(sortColumn * 2 + int(descending));
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(bound));
    };
    std::vector<std::pair<DeviceLine*, DeviceLine*>> devices; // single's line, batched's line
    for (int round = 0; round < 40; ++round) {
        const int batchSize = 1 + next(12);
        batched.beginBatch();
        for (int step = 0; step < batchSize; ++step) {
            if (devices.empty() || next(3) == 0) {
                DeviceTable::Cells cells;
                cells[0] = QStringLiteral("10.0.0.%1").arg(next(5));
                cells[4] = QStringLiteral("type %1").arg(next(3));
                cells[DeviceTable::kDuplicateCell] = next(4) == 0 ? "D" : " ";
                const QString mac =
                    QStringLiteral("02-00-00-00-00-%1").arg(next(9), 2, 10, QLatin1Char('0'));
                devices.emplace_back(single.addLine(mac, cells), batched.addLine(mac, cells));
            } else {
                const auto& [one, other] = devices[std::size_t(next(int(devices.size())))];
                // Mostly the sort cell, also of lines listed before this batch.
                const int index = next(3) == 0 ? 2 : sortColumn == 0 ? 4 : sortColumn - 1;
                const QString text = index == DeviceTable::kDuplicateCell
                                         ? QString(next(2) == 0 ? "D" : " ")
                                         : QStringLiteral("text %1").arg(next(4));
                single.setCell(one, index, text);
                batched.setCell(other, index, text);
            }
            for (const auto& [one, other] : devices)
                ASSERT_EQ(batched.rowOf(other), single.rowOf(one)) << "round " << round;
        }
        batched.endBatch();
        ASSERT_EQ(batched.rowCount(), single.count());
        ASSERT_EQ(captions(batched), captions(single)) << "round " << round;
        for (int row = 0; row < single.count(); ++row) {
            for (int index = 0; index < DeviceTable::kCellCount; ++index)
                ASSERT_EQ(batched.cell(row, index), single.cell(row, index))
                    << "round " << round << " row " << row << " cell " << index;
        }
        for (int row = 1; row < single.count(); ++row) {
            const QString& before =
                sortColumn == 0 ? single.caption(row - 1) : single.cell(row - 1, sortColumn - 1);
            const QString& after =
                sortColumn == 0 ? single.caption(row) : single.cell(row, sortColumn - 1);
            const int order = DeviceTable::compareText(before, after);
            ASSERT_LE(descending ? -order : order, 0) << "round " << round;
        }
    }
}

// Sorted by MAC, IP, gateway, device type, duplicate mark, ascending and descending.
INSTANTIATE_TEST_SUITE_P(SortColumns, DeviceTableBatches,
                         ::testing::Values(std::pair{0, false}, std::pair{0, true},
                                           std::pair{1, false}, std::pair{1, true},
                                           std::pair{3, false}, std::pair{3, true},
                                           std::pair{5, false}, std::pair{7, false},
                                           std::pair{7, true}));

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
    DeviceLine* line = addDevice(table, "BB-00-00-00-00-01", "10.0.0.2");
    const QPersistentModelIndex b(table.index(0, 0));
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    addDevice(table, "AA-00-00-00-00-01", "10.0.0.1");
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(b.row(), 1);
    table.columnClick(0);
    EXPECT_EQ(b.row(), 0);
    EXPECT_EQ(table.data(table.index(b.row(), 1), Qt::DisplayRole).toString(), "10.0.0.2");
    // A line moved by a changed sort cell takes its index along.
    table.columnClick(2);
    table.setCell(line, 1, "255.0.0.0");
    EXPECT_EQ(b.row(), 1);
    EXPECT_EQ(table.data(table.index(b.row(), 0), Qt::DisplayRole).toString(), "BB-00-00-00-00-01");
    table.clear();
    EXPECT_FALSE(b.isValid());
}
