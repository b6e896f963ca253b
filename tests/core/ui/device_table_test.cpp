#include "ui/model/device_table.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

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

} // namespace

TEST(DeviceTable, NewLinesGetNineCellsAndTheNoDuplicateMark) {
    DeviceTable table;
    const int row = table.createLine("00-00-00-00-00-0A", "10.0.0.5");
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
    EXPECT_EQ(table.count(), 1);
}

TEST(DeviceTable, DuplicateMarksDescribeTheMostRecentAnswer) {
    DeviceTable table;
    table.createLine("AA-00-00-00-00-01", "10.0.0.5");
    table.createLine("BB-00-00-00-00-02", "10.0.0.5");
    EXPECT_EQ(marks(table), QStringList({"D", "D"}));
    // The same device answering again is reused and keeps "D" while another MAC shares it.
    EXPECT_EQ(table.createLine("BB-00-00-00-00-02", "10.0.0.5"), 1);
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
    EXPECT_EQ(table.createLine("BB-00-00-00-00-02", "10.0.0.5"), 2);
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

TEST(DeviceTable, CellChangesMoveALineOnlyAtTheNextInsertion) {
    DeviceTable table;
    table.columnClick(2); // netmask column, cell 1
    const int a = table.createLine("AA-00-00-00-00-01", "10.0.0.1");
    table.setCell(a, 1, "255.0.0.0");
    const int b = table.createLine("BB-00-00-00-00-01", "10.0.0.2");
    table.setCell(b, 1, "255.255.0.0");
    // An empty netmask sorts first; the filled line stays where it was placed.
    EXPECT_EQ(captions(table), QStringList({"BB-00-00-00-00-01", "AA-00-00-00-00-01"}));
    table.setCell(0, 1, "0.0.0.0");
    EXPECT_EQ(captions(table), QStringList({"BB-00-00-00-00-01", "AA-00-00-00-00-01"}));
    table.createLine("CC-00-00-00-00-01", "10.0.0.3");
    // Now the list is in order again: "" < "0.0.0.0" < "255.0.0.0".
    EXPECT_EQ(captions(table),
              QStringList({"CC-00-00-00-00-01", "BB-00-00-00-00-01", "AA-00-00-00-00-01"}));
}

TEST(DeviceTable, InsertionInPlaceMatchesAFullStableSort) {
    // Random answers with random cell changes, checked against sorting everything again.
    DeviceTable table;
    table.columnClick(3); // gateway column, cell 2
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; i < 300; ++i) {
        const QString mac = QStringLiteral("00-00-00-00-%1-%2")
                                .arg(next() % 16, 2, 16, QLatin1Char('0'))
                                .arg(next() % 16, 2, 16, QLatin1Char('0'))
                                .toUpper();
        const int row =
            table.createLine(mac, QStringLiteral("10.0.%1.%2").arg(next() % 4).arg(next() % 9));
        table.setCell(row, 2, QStringLiteral("g%1").arg(next() % 7));
        if (next() % 3 == 0)
            table.setCell(int(next() % table.count()), 2, QStringLiteral("g%1").arg(next() % 7));
        // After the next insertion of a new line every line is in order.
        table.createLine(mac, QStringLiteral("10.9.%1.1").arg(i));
        for (int r = 1; r < table.count(); ++r)
            ASSERT_LE(DeviceTable::compareText(table.cell(r - 1, 2), table.cell(r, 2)), 0)
                << "rows " << r - 1 << " and " << r << " after answer " << i;
    }
}

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
    table.clear();
    EXPECT_FALSE(b.isValid());
}
