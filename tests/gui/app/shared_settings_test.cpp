// Two running programs on one settings store: neither undoes what the other stored.
#include "app/window_props.h"
#include "ui/gw_config.h"
#include "ui/options_dialog.h"

#include "support/fake_message_boxes.h"
#include "support/fixed_monitors.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QString kPath = QStringLiteral("EditTGWCurrentFilePath");
const testsupport::FixedMonitors kMonitor({QRect(0, 0, 1920, 1080)});

// What one running program holds of the store: its own copy, its settings dialog with the
// description file page, and its main window's accessor.
struct RunningProgram {
    explicit RunningProgram(const QString& storePath) : store(storePath), options(store, boxes) {
        store.load();
        options.setFieldBusName(QStringLiteral("TorvaneScan"));
        options.RegisterSheet(page.TGWConfigFileSheetCaption);
        options.Read();
        window.setGeometry(30, 40, 989, 379);
    }

    void resize(int width) {
        window.resize(width, 379);
        app::saveWindowProps(&reg, window, kMonitor, QStringLiteral("10.0.0.1"), boxes);
    }

    testsupport::FakeMessageBoxes boxes;
    platform::RegistryStore store;
    platform::Registry reg{store};
    gdf::TGW_Config page{boxes};
    ui::TOptions options;
    QWidget window;
};

} // namespace

TEST(SharedSettings, TwoWindowsDoNotUndoEachOthersSettings) {
    QTemporaryDir dir;
    const QString storePath = dir.filePath("Kestrelwald/registry.txt");
    RunningProgram a(storePath);
    a.options.SetProp(kPath, "/first.gdf");
    RunningProgram b(storePath);
    ASSERT_EQ(b.options.GetProp(kPath), "/first.gdf");

    // B chooses another description file and closes; A is resized afterwards.
    b.options.SetProp(kPath, "/chosen-in-b.gdf");
    b.resize(800);
    a.resize(900);
    a.resize(950);

    RunningProgram next(storePath);
    EXPECT_EQ(next.options.GetProp(kPath), "/chosen-in-b.gdf");
    platform::Registry check(next.store);
    ASSERT_TRUE(check.openKey(app::kWindowKeyPath, false));
    EXPECT_EQ(check.readBinaryData("WindowPosSize").size(), 16);

    // A's settings dialog shows what is stored now, so confirming it keeps B's choice.
    a.options.Read();
    EXPECT_EQ(a.options.GetProp(kPath), "/chosen-in-b.gdf");
    a.options.Store();
    EXPECT_EQ(RunningProgram(storePath).options.GetProp(kPath), "/chosen-in-b.gdf");
    EXPECT_TRUE(a.boxes.calls.empty());
    EXPECT_TRUE(b.boxes.calls.empty());
}
