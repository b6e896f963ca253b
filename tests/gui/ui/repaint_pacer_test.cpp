#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/repaint_pacer.h"

#include "support/event_pump.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

using testsupport::pumpUntil;
using ui::RepaintPacer;

namespace {

RepaintPacer* pacerOf(ui::DeviceListView& view) {
    return view.findChild<RepaintPacer*>();
}

} // namespace

TEST(RepaintPacer, TheFirstChangeAfterAQuietSpellIsDrawnAtOnce) {
    QWidget widget;
    RepaintPacer pacer(&widget);
    pacer.noteChange();
    EXPECT_TRUE(widget.updatesEnabled());
    EXPECT_FALSE(pacer.isHolding());
    EXPECT_TRUE(pacer.isPacing());
}

TEST(RepaintPacer, FurtherChangesAreHeldBackAndDrawnTogetherWhenTheIntervalEnds) {
    QWidget widget;
    RepaintPacer pacer(&widget);
    pacer.noteChange();
    pacer.noteChange();
    pacer.noteChange();
    EXPECT_FALSE(widget.updatesEnabled());
    EXPECT_TRUE(pacer.isHolding());
    ASSERT_TRUE(pumpUntil([&] { return !pacer.isHolding(); }));
    EXPECT_TRUE(widget.updatesEnabled());
    // The burst may go on: the next interval has started, and holds back again.
    EXPECT_TRUE(pacer.isPacing());
    pacer.noteChange();
    EXPECT_FALSE(widget.updatesEnabled());
}

TEST(RepaintPacer, AnIntervalWithoutFurtherChangesEndsThePacing) {
    QWidget widget;
    RepaintPacer pacer(&widget);
    pacer.noteChange();
    ASSERT_TRUE(pumpUntil([&] { return !pacer.isPacing(); }));
    EXPECT_TRUE(widget.updatesEnabled());
    pacer.noteChange();
    EXPECT_TRUE(widget.updatesEnabled());
}

TEST(RepaintPacer, ABurstOfAnswersInTheDeviceListIsDrawnTogetherAndInFull) {
    ui::DeviceTable table;
    ui::DeviceListView view;
    view.setDeviceTable(&table);
    view.resize(900, 400);
    view.show();
    RepaintPacer* pacer = pacerOf(view);
    ASSERT_NE(pacer, nullptr);
    for (int device = 0; device < 50; ++device) {
        const QString number = QString::number(device);
        table.addLine(QStringLiteral("02-00-00-00-00-%1").arg(device, 2, 10, QLatin1Char('0')),
                      {QStringLiteral("127.0.0.") + number});
    }
    // The scroll bar changes with every line as well: the whole list waits.
    EXPECT_FALSE(view.updatesEnabled());
    EXPECT_FALSE(view.verticalScrollBar()->updatesEnabled());
    ASSERT_TRUE(pumpUntil([&] { return !pacer->isPacing(); }));
    EXPECT_TRUE(view.updatesEnabled());
    EXPECT_TRUE(view.viewport()->updatesEnabled());
    EXPECT_TRUE(view.verticalScrollBar()->updatesEnabled());
    EXPECT_EQ(view.model()->rowCount(), 50);
    EXPECT_TRUE(view.visualRect(table.index(0, 0)).isValid());
}

TEST(RepaintPacer, AnotherTableTakesOverThePacing) {
    ui::DeviceTable first;
    ui::DeviceTable second;
    ui::DeviceListView view;
    view.setDeviceTable(&first);
    view.setDeviceTable(&second);
    RepaintPacer* pacer = pacerOf(view);
    first.addLine(QStringLiteral("02-00-00-00-00-01"), {QStringLiteral("127.0.0.2")});
    EXPECT_FALSE(pacer->isPacing());
    second.addLine(QStringLiteral("02-00-00-00-00-01"), {QStringLiteral("127.0.0.2")});
    EXPECT_TRUE(pacer->isPacing());
}

TEST(RepaintPacer, WhileABurstIsHeldBackTheListStillFindsEachLineWhereItIs) {
    ui::DeviceTable table;
    ui::DeviceListView view;
    view.setDeviceTable(&table);
    view.resize(900, 2000);
    view.show();
    RepaintPacer* pacer = pacerOf(view);
    // Lines arrive out of MAC order, so each new one moves the lines after it down.
    for (const int device : {50, 10, 40, 20, 30, 15, 45, 5}) {
        const QString mac =
            QStringLiteral("02-00-00-00-00-%1").arg(device, 2, 10, QLatin1Char('0'));
        const int row = table.rowOf(table.addLine(mac, {QStringLiteral("127.0.0.%1").arg(device)}));
        QCoreApplication::processEvents();
        ASSERT_TRUE(pacer->isHolding() || row == 0);
        for (int other = 0; other < table.count(); ++other) {
            const QModelIndex line = table.index(other, 0);
            EXPECT_EQ(view.indexAt(view.visualRect(line).center()), line) << other;
        }
    }
}
