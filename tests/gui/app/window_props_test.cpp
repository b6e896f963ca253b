#include "app/window_props.h"

#include "support/fake_message_boxes.h"
#include "support/fixed_monitors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtEndian>

#include <gtest/gtest.h>

using app::kWindowKeyPath;
using platform::Registry;
using platform::RegistryStore;
using platform::RegType;
using platform::RegValue;
using testsupport::FakeMessageBoxes;
using testsupport::FixedMonitors;

namespace {

const QRect kDesignBounds(30, 40, 989, 379);
const FixedMonitors kOneMonitor({QRect(0, 0, 1920, 1080)});
const FixedMonitors kTwoMonitors({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});

QByteArray boundsRecord(qint32 left, qint32 top, qint32 right, qint32 bottom) {
    QByteArray record(16, '\0');
    const qint32 edges[] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i) {
        qToLittleEndian<qint32>(edges[i], record.data() + 4 * i);
    }
    return record;
}

class WindowPropsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString storePath = dir.filePath("Kestrelwald/registry.txt");
    RegistryStore store{storePath};
    Registry reg{store};
    FakeMessageBoxes boxes;

    // The window as the program creates it: design size, placed by the system.
    static void initial(QWidget& window) { window.setGeometry(kDesignBounds); }

    void storeRecord(const QByteArray& bounds, const QByteArray& state, qint32 monitor) {
        store.setValue(kWindowKeyPath, "WindowPosSize", RegValue{RegType::Binary, {}, 0, bounds});
        store.setValue(kWindowKeyPath, "WindowState", RegValue{RegType::Binary, {}, 0, state});
        store.setValue(kWindowKeyPath, "DefaultMonitor",
                       RegValue{RegType::Integer, {}, monitor, {}});
    }

    std::optional<RegValue> stored(const QString& name) const {
        return RegistryStore(storePath).value("\\SOFTWARE\\Kestrelwald\\TorvaneScan", name);
    }

    // A new start of the program with the same store.
    void restart(QWidget& window, const platform::Monitors& monitors) {
        RegistryStore again(storePath);
        Registry againReg(again);
        initial(window);
        app::restoreWindowProps(&againReg, window, monitors);
    }
};

TEST_F(WindowPropsTest, FirstStartCreatesTheKeyAndTheFirstSaveWritesAllFourValues) {
    QWidget window;
    initial(window);
    app::restoreWindowProps(&reg, window, kOneMonitor);
    EXPECT_TRUE(RegistryStore(storePath).keyExists(kWindowKeyPath));
    EXPECT_EQ(window.geometry(), kDesignBounds);
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);
    EXPECT_EQ(reg.currentPath().toLower(), kWindowKeyPath.toLower()); // left current

    window.setGeometry(100, 50, 800, 600);
    app::saveWindowProps(&reg, window, kTwoMonitors, "192.168.1.10", boxes);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(stored("WindowPosSize")->bytes, boundsRecord(100, 50, 900, 650));
    EXPECT_EQ(stored("WindowState")->bytes, QByteArray(1, '\0'));
    EXPECT_EQ(stored("DefaultMonitor")->type, RegType::Integer);
    EXPECT_EQ(stored("DefaultMonitor")->number, 0);
    EXPECT_EQ(stored("SelectedAdapterIp")->text, "192.168.1.10");

    QWidget next;
    restart(next, kOneMonitor);
    EXPECT_EQ(next.geometry(), QRect(100, 50, 800, 600));
}

TEST_F(WindowPropsTest, TheNearestMonitorIsStored) {
    QWidget window;
    window.setGeometry(1800, 100, 800, 600); // mostly on the second monitor
    app::saveWindowProps(&reg, window, kTwoMonitors, "", boxes);
    EXPECT_EQ(stored("DefaultMonitor")->number, 1);
    EXPECT_EQ(stored("SelectedAdapterIp")->text, "");
}

TEST_F(WindowPropsTest, ClosingMaximisedKeepsTheNormalBoundsAndReopensOnTheMonitor) {
    QWidget window;
    window.setGeometry(100, 50, 800, 600);
    app::saveWindowProps(&reg, window, kTwoMonitors, "10.0.0.1", boxes);
    window.setGeometry(2000, 60, 700, 500);
    window.setWindowState(Qt::WindowMaximized);
    app::saveWindowProps(&reg, window, kTwoMonitors, "10.0.0.1", boxes);
    EXPECT_EQ(stored("WindowState")->bytes, QByteArray(1, '\2'));
    EXPECT_EQ(stored("WindowPosSize")->bytes, boundsRecord(100, 50, 900, 650));
    EXPECT_EQ(stored("DefaultMonitor")->number, 1);

    QWidget next;
    restart(next, kTwoMonitors);
    EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(next.geometry().left(), 1920 - 8);
}

TEST_F(WindowPropsTest, ClosingMinimisedReopensMinimised) {
    QWidget window;
    window.setGeometry(100, 50, 800, 600);
    app::saveWindowProps(&reg, window, kOneMonitor, "", boxes);
    window.setWindowState(Qt::WindowMinimized);
    app::saveWindowProps(&reg, window, kOneMonitor, "", boxes);
    EXPECT_EQ(stored("WindowState")->bytes, QByteArray(1, '\1'));

    QWidget next;
    restart(next, kOneMonitor);
    EXPECT_TRUE(next.isMinimized());
    EXPECT_EQ(next.geometry(), kDesignBounds);
}

TEST_F(WindowPropsTest, AMaximisedWindowOfAMissingMonitorOpensOnTheFirst) {
    for (const qint32 monitor : {3, 1, -1}) {
        storeRecord(boundsRecord(100, 50, 900, 650), QByteArray(1, '\2'), monitor);
        QWidget window;
        restart(window, kOneMonitor);
        EXPECT_TRUE(window.windowState() & Qt::WindowMaximized) << monitor;
        EXPECT_EQ(window.geometry().left(), -8) << monitor;
    }
}

TEST_F(WindowPropsTest, ARectangleOffTheDesktopIsIgnored) {
    struct Case {
        QByteArray bounds;
        bool applied;
    };
    const Case cases[] = {
        {boundsRecord(2000, 100, 2800, 700), false},  // on a monitor that is gone
        {boundsRecord(-900, 100, 0, 700), false},     // touches the left edge only
        {boundsRecord(1900, 1000, 2700, 1600), true}, // one corner on the desktop
        {boundsRecord(900, 650, 100, 50), false},     // right and bottom before left and top
        {boundsRecord(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), true},
    };
    for (const Case& c : cases) {
        storeRecord(c.bounds, QByteArray(1, '\0'), 0);
        QWidget window;
        restart(window, kOneMonitor);
        EXPECT_EQ(window.geometry() != kDesignBounds, c.applied) << c.bounds.toHex().constData();
        EXPECT_EQ(window.windowState(), Qt::WindowNoState);
    }
}

TEST_F(WindowPropsTest, AnIncompleteOrForeignRecordIsIgnored) {
    const auto check = [&](const char* what) {
        QWidget window;
        restart(window, kOneMonitor);
        EXPECT_EQ(window.geometry(), kDesignBounds) << what;
        EXPECT_EQ(window.windowState(), Qt::WindowNoState) << what;
    };
    store.setValue(kWindowKeyPath, "WindowPosSize",
                   RegValue{RegType::Binary, {}, 0, boundsRecord(100, 50, 900, 650)});
    check("state and monitor missing");
    store.setValue(kWindowKeyPath, "WindowState",
                   RegValue{RegType::Binary, {}, 0, QByteArray(1, 0)});
    check("monitor missing");
    store.setValue(kWindowKeyPath, "DefaultMonitor", RegValue{RegType::String, "0", 0, {}});
    check("monitor of another type");
    storeRecord(boundsRecord(100, 50, 900, 650).left(15), QByteArray(1, '\0'), 0);
    check("bounds too short");
    storeRecord(boundsRecord(100, 50, 900, 650), QByteArray(2, '\0'), 0);
    check("state too long");
    storeRecord(boundsRecord(100, 50, 900, 650), QByteArray(1, '\7'), 0);
    check("no such state");
    store.setValue(kWindowKeyPath, "WindowState", RegValue{RegType::Integer, {}, 0, {}});
    check("state of another type");
}

TEST_F(WindowPropsTest, WithoutARegistryNothingHappens) {
    QWidget window;
    initial(window);
    app::restoreWindowProps(nullptr, window, kOneMonitor);
    app::saveWindowProps(nullptr, window, kOneMonitor, "1.2.3.4", boxes);
    EXPECT_EQ(window.geometry(), kDesignBounds);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_FALSE(QFile::exists(storePath));
}

TEST_F(WindowPropsTest, AStoreThatCannotBeWrittenGivesTheMessage) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore blocked(dir.filePath("file/registry.txt"));
    Registry blockedReg(blocked);
    QWidget window;
    initial(window);
    app::restoreWindowProps(&blockedReg, window, kOneMonitor);
    EXPECT_EQ(window.geometry(), kDesignBounds);
    app::saveWindowProps(&blockedReg, window, kOneMonitor, "1.2.3.4", boxes);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Can not store window position and size in registry!");
    EXPECT_TRUE(boxes.calls[0].caption.isEmpty());
    EXPECT_EQ(boxes.calls[0].icon, platform::MessageBoxes::Icon::None);
    EXPECT_EQ(boxes.calls[0].buttons, platform::MessageBoxes::Buttons::Ok);
}

TEST_F(WindowPropsTest, AStoreThatStopsBeingWritableGivesTheMessage) {
    QWidget window;
    initial(window);
    app::restoreWindowProps(&reg, window, kOneMonitor); // the key exists now
    const QString folder = dir.filePath("Kestrelwald");
    ASSERT_TRUE(QDir().rename(folder, dir.filePath("moved")));
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    app::saveWindowProps(&reg, window, kOneMonitor, "1.2.3.4", boxes);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Can not store window position and size in registry!");
    EXPECT_FALSE(store.value(kWindowKeyPath, "WindowPosSize").has_value());
}

TEST_F(WindowPropsTest, AStoreThatCannotBeWrittenIsReportedOncePerRunNotAtEveryResize) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore blocked(dir.filePath("file/registry.txt"));
    Registry blockedReg(blocked);
    QWidget window;
    initial(window);
    bool failureShown = false;
    for (int resize = 0; resize < 5; ++resize) {
        window.resize(700 + resize, 300);
        app::saveWindowProps(&blockedReg, window, kOneMonitor, "1.2.3.4", boxes, &failureShown);
    }
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(failureShown);
}

} // namespace
