// Blink and restart: one frame each to the device of the focused line, sent at once.
#include "device_bench.h"

#include "support/event_pump.h"

#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;
using Icon = platform::MessageBoxes::Icon;
using Buttons = platform::MessageBoxes::Buttons;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kDeviceIp = QStringLiteral("127.0.0.5");
const QString kBroadcast = QStringLiteral("255.255.255.255");
const QByteArray kBlink = QByteArray::fromHex("0704001122334455F5");
const QByteArray kRestart = QByteArray::fromHex("070B001122334455EE");

ScanAnswerFields device(const QString& ip = kDeviceIp) {
    return ScanAnswerFields{.mac = kMac, .ip = ip};
}

} // namespace

TEST(BlinkRestart, WithoutAChosenDeviceEitherCommandAsksForOneAndSendsNothing) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    ASSERT_EQ(parts.EditMacAddr->text(), "00-00-00-00-00-00");
    ASSERT_LT(parts.ListView1->selectedRow(), 0);
    form.actBlinkExecute();
    form.actRestartExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, form.translate("No_device_selcted_for_Blink"));
    EXPECT_EQ(boxes[1].text, form.translate("No_device_selcted_for_restart"));
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, form.translate("Hint"));
        EXPECT_EQ(box.icon, Icon::Information);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    EXPECT_TRUE(bench.framesSinceScan().empty());
    EXPECT_TRUE(form.socketOpen()); // opened before the question, left for the next operation
}

TEST(BlinkRestart, BlinkGoesToTheDeviceInTheAdaptersSubnetAndShowsItsAnswer) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    ASSERT_TRUE(parts.actRestart->isEnabled());
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp, .status = {{0x04, 2}}};
    bench.devices.answerBy(std::ref(scripted));

    // Any status but 1 leaves "Blinktest" standing.
    form.actBlinkExecute();
    ASSERT_TRUE(bench.f.waitForClose());
    auto requests = bench.requestsSinceScan();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bytes, kBlink);
    EXPECT_EQ(requests[0].destination, kDeviceIp);
    EXPECT_TRUE(bench.statusIs("Blinktest"));
    EXPECT_EQ(bench.stampedLineCount("Socketmessage FD_READ 4"), 1); // the answer came in
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(parts.actBlink->isEnabled());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
    EXPECT_TRUE(parts.actRestart->isEnabled()); // a blink leaves Restart as it was

    scripted.status[0x04] = 1;
    form.actBlinkExecute();
    ASSERT_TRUE(bench.f.waitForClose());
    EXPECT_EQ(bench.requestsSinceScan().size(), 2u);
    EXPECT_TRUE(bench.statusIs("Blinktest_not_allowed"));
    EXPECT_TRUE(bench.f.boxes.messages().empty());
}

TEST(BlinkRestart, RestartGoesToTheDeviceInTheAdaptersSubnet) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    form.actRestartExecute();
    ASSERT_TRUE(bench.f.waitForClose());

    const auto requests = bench.requestsSinceScan();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bytes, kRestart);
    EXPECT_EQ(requests[0].destination, kDeviceIp);
    EXPECT_TRUE(bench.f.logContains("Send device restart!"));
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(parts.actRestart->isEnabled());
    EXPECT_TRUE(bench.f.boxes.messages().empty());
}

TEST(BlinkRestart, CommandsAreBroadcastOutsideTheAdaptersSubnetOrWithDhcpTicked) {
    ASSERT_TRUE(addLoopbackAddress("10.9.0.5"));
    const QString foreignMac = QStringLiteral("00-11-22-33-44-66");
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(), ScanAnswerFields{.mac = foreignMac, .ip = "10.9.0.5"}});

    bench.load(foreignMac);
    form.actBlinkExecute();
    form.actRestartExecute();
    bench.load(kMac);
    parts.CheckBoxDhcpEnabled->setChecked(true);
    form.actBlinkExecute();
    form.actRestartExecute();

    const auto requests = bench.requestsSinceScan();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].bytes, commandRequest(0x04, foreignMac));
    EXPECT_EQ(requests[1].bytes, commandRequest(0x0B, foreignMac));
    EXPECT_EQ(requests[2].bytes, kBlink);
    EXPECT_EQ(requests[3].bytes, kRestart);
    for (const auto& request : requests)
        EXPECT_EQ(request.destination, kBroadcast) << request.bytes.toHex().constData();
}

TEST(BlinkRestart, ALostSelectionStillCommandsTheFocusedLineWithoutAQuestion) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.ListView1->selectionModel()->clearSelection();
    ASSERT_LT(parts.ListView1->selectedRow(), 0);
    ASSERT_EQ(parts.ListView1->focusedRow(), bench.rowOf(kMac));
    form.actBlinkExecute();
    form.actRestartExecute();
    EXPECT_EQ(bench.framesSinceScan(), (std::vector<QByteArray>{kBlink, kRestart}));
    EXPECT_TRUE(bench.f.boxes.messages().empty());
}

TEST(BlinkRestart, WithoutAFocusedLineNoCommandIsSent) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.ListView1->selectionModel()->clear();
    ASSERT_LT(parts.ListView1->focusedRow(), 0);
    ASSERT_EQ(parts.EditMacAddr->text(), kMac);
    form.actBlinkExecute();
    form.actRestartExecute();
    ASSERT_TRUE(bench.f.waitForClose());

    EXPECT_TRUE(bench.framesSinceScan().empty());
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_TRUE(bench.f.logContains("No device line, blink not sent"));
    EXPECT_TRUE(bench.f.logContains("No device line, restart not sent"));
    EXPECT_FALSE(form.socketOpen());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
}
