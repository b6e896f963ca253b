#include "ui/model/device_table.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using ui::DeviceTable;

namespace {

QString header(const DeviceTable& table, int column) {
    return table.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

} // namespace

TEST(DeviceTableHeader, ShowsTheDesignCaptionsUntilOneIsReplaced) {
    DeviceTable table;
    for (int column = 0; column < DeviceTable::kColumnCount; ++column)
        EXPECT_EQ(header(table, column), DeviceTable::columnCaptions()[std::size_t(column)]);

    QSignalSpy changed(&table, &QAbstractItemModel::headerDataChanged);
    EXPECT_TRUE(
        table.setHeaderData(5, Qt::Horizontal, QStringLiteral("Gerätetyp"), Qt::DisplayRole));
    EXPECT_EQ(header(table, 5), "Gerätetyp");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][1].toInt(), 5);
    EXPECT_EQ(changed[0][2].toInt(), 5);
    EXPECT_EQ(header(table, 4), "DHCP");
    // The captions belong to one table: another list keeps the design texts.
    EXPECT_EQ(header(DeviceTable(), 5), "Device Type");
    EXPECT_EQ(DeviceTable::columnCaptions()[5], "Device Type");
}

TEST(DeviceTableHeader, RefusesWhatNoHeaderCellIs) {
    DeviceTable table;
    QSignalSpy changed(&table, &QAbstractItemModel::headerDataChanged);
    EXPECT_FALSE(table.setHeaderData(-1, Qt::Horizontal, QStringLiteral("x")));
    EXPECT_FALSE(
        table.setHeaderData(DeviceTable::kColumnCount, Qt::Horizontal, QStringLiteral("x")));
    EXPECT_FALSE(table.setHeaderData(0, Qt::Vertical, QStringLiteral("x")));
    EXPECT_FALSE(table.setHeaderData(0, Qt::Horizontal, QStringLiteral("x"), Qt::ToolTipRole));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(header(table, 0), "MAC-Address");
    EXPECT_FALSE(
        table.headerData(DeviceTable::kColumnCount, Qt::Horizontal, Qt::DisplayRole).isValid());
}
