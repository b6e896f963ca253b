// The netmask and gateway reads of older devices against the simulator: they never cut the
// scan period short, they never keep the user from a new scan, and the status panel tells
// how far they are.
#include "support/event_pump.h"
#include "support/form_fixture.h"
#include "support/simulator_process.h"
#include "support/test_network.h"

#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

using namespace testsupport;

namespace {

// Older devices at 127.0.0.41 upwards, each with the netmask 255.255.0.0 and the gateway
// 127.0.9.N to be read.
std::string olderDevices(int count) {
    std::string file;
    for (int n = 1; n <= count; ++n) {
        const std::string id = std::to_string(40 + n);
        file += "[old-" + id + "]\nmac = 02-00-00-00-00-" + id + "\nip = 127.0.0." + id +
                "\nnetmask = 255.255.0.0\ngateway = 127.0.9." + std::to_string(n) +
                "\nlayout = short17\n\n";
    }
    return file;
}

FormFixture::Options timers(int scanMs, int readMs) {
    FormFixture::Options options;
    options.timerSection = QStringLiteral("TimerScan=%1\nTimerSetParam=200\nTimerGetParams=%2\n")
                               .arg(scanMs)
                               .arg(readMs);
    return options;
}

QString progress(int done, int of) {
    return QStringLiteral("Netmask and gateway: %1 of %2").arg(done).arg(of);
}

class ScanReads : public ::testing::Test {
protected:
    void start(const std::string& deviceFile, const FormFixture::Options& options) {
        simulator = network->devices().startSimulator(deviceFile);
        f = std::make_unique<FormFixture>(options);
        f->log.setMaxLines(1000000);
        QObject::connect(&f->form(), &app::TForm1::endpointClosed, &watching,
                         [this] { closedDuringScanPeriod |= f->form().scanRunning(); });
        f->activate();
    }

    // Every listed device shows the netmask and gateway it was asked for.
    void expectEveryDeviceRead() {
        const ui::DeviceTable& lines = f->form().deviceList();
        for (int row = 0; row < lines.count(); ++row) {
            SCOPED_TRACE(lines.caption(row).toStdString());
            EXPECT_EQ(lines.cell(row, 1), "255.255.0.0");
            EXPECT_TRUE(lines.cell(row, 2).startsWith("127.0.9."));
        }
    }

    std::unique_ptr<TestNetwork> network = TestNetwork::tier1();
    std::unique_ptr<SimulatorProcess> simulator;
    QObject watching;
    bool closedDuringScanPeriod = false;
    std::unique_ptr<FormFixture> f;
};

} // namespace

TEST_F(ScanReads, ReadsEndingEarlyLeaveTheEndpointOpenForAnswersLaterInTheScanPeriod) {
    start(olderDevices(1) + "[late]\nmac = 02-00-00-00-00-50\nip = 127.0.0.50\n"
                            "netmask = 255.255.0.0\ngateway = 127.0.9.9\ndelay = 2000\n",
          timers(3000, 200));
    app::TForm1& form = f->form();
    ASSERT_TRUE(f->waitForScanEnd());

    ASSERT_EQ(form.deviceList().count(), 2) << "the late answer was lost";
    expectEveryDeviceRead();
    // The reads were over long before the late device answered.
    const QStringList log = f->log.lines();
    EXPECT_LT(log.indexOf("Stop timer getParams"),
              log.indexOf("MsgLen von  127.0.0.50 vor entscheidung 27"));
    EXPECT_FALSE(closedDuringScanPeriod);
    EXPECT_EQ(f->closeCount(), 1);
    EXPECT_EQ(form.statusText(), form.translate("Scan_finished"));
}

TEST_F(ScanReads, ANewScanDuringTheReadsDropsThemAndTheStatusPanelCountsThem) {
    start(olderDevices(4), timers(300, 600));
    app::TForm1& form = f->form();
    const WindowParts& parts = f->parts();
    // The scan period is over, the reads go on: Scan is back at once, without the hourglass.
    ASSERT_TRUE(pumpUntil([&] { return form.statusText() == progress(1, 4); }));
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The first device's answers leave the count standing.
    ASSERT_TRUE(pumpUntil([&] {
        return form.deviceList().cell(form.deviceList().firstRowWithCaption("02-00-00-00-00-41"),
                                      2) == "127.0.9.1";
    }));
    EXPECT_EQ(form.statusText(), progress(1, 4));

    parts.ButtonScan->click();
    EXPECT_TRUE(f->logContains("Scan started, netmask and gateway reads dropped for 3 devices"));
    EXPECT_EQ(form.statusText(), form.translate("Scanning"));
    // When the reads end, the endpoint is closed after a wait; a scan pressed meanwhile would
    // lose its endpoint, so Scan is not offered until the close.
    std::optional<bool> scanOfferedWhileClosing;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!scanOfferedWhileClosing && form.socketOpen() && !form.readsRunning() &&
            f->logContains("Stop timer getParams"))
            scanOfferedWhileClosing = parts.ButtonScan->isEnabled();
    });
    probe.start(20);
    ASSERT_TRUE(f->waitForScanEnd(30000));
    EXPECT_EQ(scanOfferedWhileClosing, false);
    EXPECT_TRUE(parts.ButtonScan->isEnabled());

    ASSERT_EQ(form.deviceList().count(), 4);
    expectEveryDeviceRead();
    EXPECT_EQ(form.statusText(), progress(4, 4));
    // One device read before the new scan, four after it; none of the dropped ones again.
    EXPECT_EQ(requestsReceived(*simulator, 0x05), 5u);
    EXPECT_EQ(requestsReceived(*simulator, 0x07), 5u);
    EXPECT_FALSE(closedDuringScanPeriod);
    EXPECT_TRUE(f->boxes.messages().empty());
}

TEST_F(ScanReads, ABlinkDuringTheReadsDoesNotCutThemOff) {
    start(olderDevices(3), timers(300, 600));
    app::TForm1& form = f->form();
    const WindowParts& parts = f->parts();
    ASSERT_TRUE(pumpUntil([&] { return form.statusText() == progress(1, 3); }));
    // Blink closes the endpoint when it is sent; the next read opens it again.
    parts.ListView1->selectRow(0);
    form.ListView1Click();
    parts.ButtonBlink->click();
    ASSERT_TRUE(f->waitForClose());
    EXPECT_FALSE(form.socketOpen());
    ASSERT_TRUE(f->waitForScanEnd(30000));

    expectEveryDeviceRead();
    EXPECT_EQ(form.statusText(), progress(3, 3));
    EXPECT_TRUE(f->boxes.messages().empty());
}
