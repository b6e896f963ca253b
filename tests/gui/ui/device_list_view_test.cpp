// What the device list shows of its lines.
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

constexpr int kRestartColumn = ui::DeviceTable::kRestartCell + 1;

} // namespace

TEST(DeviceListView, TheRestartColumnIsNotShownButItsTextStaysReadable) {
    ui::DeviceTable table;
    ui::DeviceListView view;
    view.setDeviceTable(&table);
    view.resize(1400, 300);
    view.show();
    // A scan empties the list and fills it again; the column stays out of sight throughout.
    for (int scan = 0; scan < 2; ++scan) {
        table.clear();
        ui::DeviceTable::Cells cells;
        cells[0] = QStringLiteral("10.0.0.1");
        ui::DeviceLine* line = table.addLine(QStringLiteral("02-00-00-00-00-01"), cells);
        table.setCell(line, ui::DeviceTable::kRestartCell, QStringLiteral("restartSupported"));
        const int row = table.rowOf(line);

        const QHeaderView* header = view.header();
        EXPECT_TRUE(header->isSectionHidden(kRestartColumn));
        EXPECT_TRUE(view.visualRect(table.index(row, kRestartColumn)).isEmpty());
        int shownWidth = 0;
        for (int column = 0; column < kRestartColumn; ++column) {
            EXPECT_FALSE(header->isSectionHidden(column)) << column;
            shownWidth += header->sectionSize(column);
        }
        EXPECT_EQ(header->length(), shownWidth);
        EXPECT_EQ(header->sectionSize(kRestartColumn - 1), 80); // "Duplicate IP" as designed
        EXPECT_EQ(table.cell(row, ui::DeviceTable::kRestartCell), "restartSupported");
    }
}
