// Saving address changes that are refused: by the checks before anything is queued, by the
// device, or by its silence.
#include "device_bench.h"

#include "support/event_pump.h"

#include "net/ipv4.h"
#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testsupport;
using Icon = platform::MessageBoxes::Icon;
using Buttons = platform::MessageBoxes::Buttons;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kOtherMac = QStringLiteral("00-11-22-33-44-66");
const QString kDeviceIp = QStringLiteral("127.0.0.5");
const QString kOtherIp = QStringLiteral("127.0.0.6");
const QColor kRed(255, 0, 0);

ScanAnswerFields device(quint8 dhcpByte = 0x10, const QString& mac = kMac,
                        const QString& ip = kDeviceIp) {
    return ScanAnswerFields{.mac = mac,
                            .ip = ip,
                            .dhcpByte = dhcpByte,
                            .netmask = QStringLiteral("255.0.0.0"),
                            .gateway = QStringLiteral("127.0.0.254")};
}

void expectErrorBox(const FakeMessageBoxes::Call& call, app::TForm1& form, const QString& text) {
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.caption, form.translate("Error"));
    EXPECT_EQ(call.icon, Icon::Error);
    EXPECT_EQ(call.buttons, Buttons::Ok);
}

void expectPlainMessage(const FakeMessageBoxes::Call& call, const QString& text) {
    EXPECT_EQ(call.text, text);
    EXPECT_TRUE(call.caption.isEmpty());
    EXPECT_EQ(call.icon, Icon::None);
    EXPECT_EQ(call.buttons, Buttons::Ok);
}

QString discarded(const QString& reason, const QByteArray& frame) {
    return "Request not sent (" + reason + "): " + protocol::frameAsHex(frame);
}

// Ticks 1 to 12 count; the 13th without an applied answer declares the timeout.
void expectTimeoutOnTheThirteenthTick(DeviceBench& bench) {
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    const std::size_t boxesBefore = bench.f.boxes.messages().size();
    bench.tickSetParamTimer(12);
    EXPECT_EQ(form.setParameterTimerCount(), 12);
    EXPECT_TRUE(form.changeWatchRunning());
    EXPECT_FALSE(bench.statusIs("Changes_not_saved"));
    EXPECT_EQ(bench.f.boxes.messages().size(), boxesBefore);
    bench.tickSetParamTimer(1);
    EXPECT_TRUE(bench.statusIs("Changes_not_saved"));
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_EQ(form.setParameterTimerCount(), 0);
    EXPECT_EQ(form.answerState(), app::asFailed);
    EXPECT_EQ(bench.lineColour(kMac), kRed);
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    EXPECT_TRUE(parts.actBlink->isEnabled());
    EXPECT_TRUE(parts.actRestart->isEnabled());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), boxesBefore + 1);
    expectPlainMessage(boxes.back(), form.translate("Parameter_setting_timeout"));
}

} // namespace

TEST(ChangeTimeout, NoAnswerDeclaresTheTimeoutOnTheThirteenthTick) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    bench.tickSetParamTimerByHand();
    parts.EditIpAddr->setText(kOtherIp);
    ScriptedDevice silent{.mac = kMac, .ip = kDeviceIp, .answersLeft = 0};
    ASSERT_TRUE(bench.saveAndWaitUntil(silent, [&] { return !bench.framesSinceScan().empty(); }));
    pumpRounds(50);

    EXPECT_EQ(bench.framesSinceScan(),
              std::vector<QByteArray>{addressRequest(0x03, kMac, kOtherIp)});
    EXPECT_EQ(form.answerState(), app::asPending);
    EXPECT_EQ(bench.lineColour(kMac), bench.pendingColour());
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    EXPECT_FALSE(parts.ButtonScan->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    expectTimeoutOnTheThirteenthTick(bench);
    // The request that never left is dropped, not kept for a later change.
    EXPECT_TRUE(
        bench.f.logContains(discarded("no answer in time", addressRequest(0x02, kMac, kOtherIp))));
    EXPECT_EQ(bench.cell(kMac, 0), kDeviceIp);
}

TEST(ChangeTimeout, TheRunningTimerDeclaresTheTimeout) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditGatewayAddr->setText("127.0.0.1");
    ScriptedDevice silent{.mac = kMac, .ip = kDeviceIp, .answersLeft = 0};
    ASSERT_TRUE(
        bench.saveAndWaitUntil(silent, [&] { return bench.statusIs("Changes_not_saved"); }));
    pumpRounds(1); // the box follows the status panel
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_EQ(bench.lineColour(kMac), kRed);
    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectPlainMessage(boxes[0], form.translate("Parameter_setting_timeout"));
}

TEST(ChangeTimeout, SilenceAfterAFirstAppliedAnswerEndsInTheTimeoutAsWell) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText(kOtherIp);
    ScriptedDevice oneAnswer{.mac = kMac, .ip = kDeviceIp, .answersLeft = 1};
    ASSERT_TRUE(bench.saveAndWaitUntil(oneAnswer, [&] {
        return bench.framesSinceScan().size() == 2 && !form.changeWatchRunning();
    }));

    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x03, kMac, kOtherIp),
                                       addressRequest(0x02, kMac, kOtherIp)}));
    EXPECT_EQ(bench.cell(kMac, 0), kOtherIp);
    EXPECT_TRUE(bench.statusIs("Changes_not_saved"));
    EXPECT_EQ(form.answerState(), app::asFailed);
    // The change is over: Save and Scan are back.
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    EXPECT_TRUE(parts.ButtonScan->isEnabled());
}

struct Refusal {
    quint8 code; // the request the device refuses
    quint8 status;
    const char* statusKey; // nullptr: the status panel keeps its text
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << "request " << int(refusal.code) << ", status " << int(refusal.status);
}

class DeviceRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(DeviceRefusal, StopsTheChangeWithItsStatusTextAndTheTimeoutFollows) {
    const Refusal refusal = GetParam();
    const bool dhcp = refusal.code == protocol::dcSetDhcp;
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    bench.tickSetParamTimerByHand();
    parts.EditIpAddr->setText(kOtherIp);
    if (dhcp)
        parts.CheckBoxDhcpEnabled->setChecked(true);
    const QString statusBefore = form.statusText();
    ScriptedDevice refusing{
        .mac = kMac, .ip = kDeviceIp, .status = {{refusal.code, refusal.status}}};
    ASSERT_TRUE(bench.saveAndWaitUntil(refusing, [&] { return form.answerCount() == 1; }));
    pumpRounds(200);

    const QByteArray first = dhcp ? dhcpRequest(true) : addressRequest(0x03, kMac, kOtherIp);
    EXPECT_EQ(bench.framesSinceScan(), std::vector<QByteArray>{first});
    EXPECT_EQ(form.statusText(),
              refusal.statusKey ? form.translate(refusal.statusKey) : statusBefore);
    EXPECT_EQ(bench.cell(kMac, 0), kDeviceIp);
    EXPECT_EQ(bench.cell(kMac, 3), form.stateTexts().dhcpNotActive);
    EXPECT_FALSE(form.askForRestart());
    EXPECT_EQ(form.answerState(), app::asPending);
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    const QByteArray next =
        dhcp ? addressRequest(0x03, kMac, kOtherIp) : addressRequest(0x02, kMac, kOtherIp);
    if (refusal.statusKey) {
        // A refusal stops the change: what it had not sent is dropped at once.
        EXPECT_TRUE(form.messagesToSend().isEmpty());
        EXPECT_TRUE(bench.f.logContains(discarded("the device refused", next)));
    } else {
        // Another status is only counted; the rest waits, and goes with the timeout.
        EXPECT_FALSE(form.messagesToSend().isEmpty());
    }

    expectTimeoutOnTheThirteenthTick(bench);
    pumpRounds(50);
    EXPECT_EQ(bench.framesSinceScan(), std::vector<QByteArray>{first});
}

INSTANTIATE_TEST_SUITE_P(
    ChangeRefusal, DeviceRefusal,
    ::testing::Values(Refusal{protocol::dcSetIpTemporary, 1, "Setting_not_allowed"},
                      Refusal{protocol::dcSetIpTemporary, 2, "Setting_not_possible"},
                      Refusal{protocol::dcSetIpTemporary, 3, nullptr},
                      Refusal{protocol::dcSetDhcp, 1, "Setting_DHCP_not_allowed"},
                      Refusal{protocol::dcSetDhcp, 2, "Setting_DHCP_not_possible"},
                      Refusal{protocol::dcSetDhcp, 3, nullptr}),
    [](const ::testing::TestParamInfo<Refusal>& info) {
        return std::string(info.param.code == protocol::dcSetDhcp ? "Dhcp" : "Ip") + "Status" +
               std::to_string(info.param.status);
    });

TEST(ChangeChecks, AnAddressUsedByAnotherLineIsRefusedAlsoWhenTypedWithLeadingZeros) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(), device(0x10, kOtherMac, kOtherIp)});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.000.000.006");
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form, form.translate("ip_already_in_use"));
    EXPECT_EQ(parts.EditIpAddr->text(), kOtherIp);
    EXPECT_TRUE(app::TForm1::isShownInvalid(parts.EditIpAddr));
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, ADuplicateWhileSwitchingDhcpOnIsRefusedBeforeAnythingIsQueuedOrTimed) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(), device(0x10, kOtherMac, kOtherIp)});
    bench.load(kMac);
    parts.EditIpAddr->setText(kOtherIp);
    parts.CheckBoxDhcpEnabled->setChecked(true);
    const QString statusBefore = form.statusText();
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form, form.translate("ip_already_in_use"));
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_EQ(form.statusText(), statusBefore);
    EXPECT_EQ(bench.lineColour(kMac), std::nullopt);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(bench.f.logContains(QStringLiteral("Set DHCP for ") + kMac));
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, ALinkLocalAddressIsRefusedAlsoWhenItsFirstPieceHasALeadingZero) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText("169.254.10.20");
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    form.actChangeIPConfigExecute();
    parts.EditIpAddr->setText("0169.254.10.20");
    EXPECT_TRUE(parts.ButtonSet->isEnabled()); // the editor's rule reads the text as typed
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes)
        expectErrorBox(box, form, form.translate("This_is_a_link_local_address"));
    EXPECT_EQ(parts.EditIpAddr->text(), "169.254.10.20");
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, TheFieldCheckNamesEveryInvalidFieldAndSendsNothing) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.300");
    parts.EditNetMask->setText("255.255.0");
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form,
                   form.translate("errorText_wrong_value_for") + "  " +
                       form.translate("errorText_ip") + " " + form.translate("errorText_netmask") +
                       form.translate("errorText_will_not_be_set"));
    EXPECT_TRUE(app::TForm1::isShownInvalid(parts.EditIpAddr));
    EXPECT_TRUE(app::TForm1::isShownInvalid(parts.EditNetMask));
    EXPECT_FALSE(app::TForm1::isShownInvalid(parts.EditGatewayAddr));
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, TheFieldCheckRefusesOnlyInvalidFieldsAlsoWithUntranslatedTexts) {
    FormFixture::Options bareKeys;
    bareKeys.languageFiles = false;
    DeviceBench bench(bareKeys);
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    ASSERT_EQ(form.stateTexts().dhcpNotActive, "StatusdhcpNotActiveText");
    bench.load(kMac);

    // The framing of the message alone is longer than 45 characters here; a valid change
    // still goes out.
    parts.EditGatewayAddr->setText("127.0.0.1");
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    EXPECT_TRUE(bench.f.boxes.messages().empty());
    EXPECT_EQ(bench.framesSinceScan(),
              (std::vector<QByteArray>{addressRequest(0x0A, kMac, "127.0.0.1"),
                                       addressRequest(0x08, kMac, "127.0.0.1")}));
    EXPECT_EQ(bench.cell(kMac, 2), "127.0.0.1");

    parts.EditGatewayAddr->setText("127.0.0.1.2");
    form.actChangeIPConfigExecute();
    pumpRounds(50);
    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form,
                   "errorText_wrong_value_for  errorText_gatewayerrorText_will_not_be_set");
    EXPECT_EQ(bench.framesSinceScan().size(), 2u);
}

// The device is 127.0.0.5/8: a gateway outside that subnet would cut it off from a router.
TEST(ChangeChecks, AnAddressBreakingTheRulesIsRefusedNamingValueAndReason) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device()});
    bench.load(kMac);
    parts.EditGatewayAddr->setText("10.0.0.1");
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form,
                   "Invalid value for gateway 10.0.0.1: outside the device's subnet 127.0.0.0/8, "
                   "nothing was saved.");
    EXPECT_TRUE(app::TForm1::isShownInvalid(parts.EditGatewayAddr));
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, AnInvalidAddressIsNotSentWhenDhcpIsSwitchedOn) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(0x10)});
    bench.load(kMac);
    parts.EditIpAddr->setText("127.0.0.300");
    parts.CheckBoxDhcpEnabled->setChecked(true);
    form.actChangeIPConfigExecute();
    pumpRounds(50);

    const auto boxes = bench.f.boxes.messages();
    ASSERT_EQ(boxes.size(), 1u);
    expectErrorBox(boxes[0], form,
                   form.translate("errorText_wrong_value_for") + "  " +
                       form.translate("errorText_ip") +
                       form.translate("errorText_will_not_be_set"));
    EXPECT_TRUE(form.messagesToSend().isEmpty());
    EXPECT_FALSE(form.changeWatchRunning());
    EXPECT_TRUE(bench.framesSinceScan().empty());
}

TEST(ChangeChecks, NoRequestIsQueuedForATextThatIsNoAddress) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({device(0x11)});
    bench.load(kMac);
    // Switching DHCP off writes every address; texts that are no address are refused or,
    // the "not available" text, left out.
    parts.CheckBoxDhcpEnabled->setChecked(false);
    parts.EditIpAddr->setText(kDeviceIp);
    parts.EditGatewayAddr->setText("127.0.0.254");
    for (const QString& text : {QStringLiteral("1.2.3"), QStringLiteral("255.255.255.255")}) {
        parts.EditNetMask->setText(text);
        form.actChangeIPConfigExecute();
        pumpRounds(10);
        EXPECT_TRUE(form.messagesToSend().isEmpty()) << text.toStdString();
    }
    EXPECT_EQ(bench.f.boxes.messages().size(), 2u);
    EXPECT_TRUE(bench.framesSinceScan().empty());

    parts.EditNetMask->setText(form.stateTexts().notAvailable);
    ScriptedDevice scripted{.mac = kMac, .ip = kDeviceIp};
    ASSERT_TRUE(bench.saveAndWaitForClose(scripted));
    EXPECT_TRUE(
        bench.f.logContains("Not queued, no valid address: " + form.stateTexts().notAvailable));
    for (const QByteArray& frame : bench.framesSinceScan()) {
        EXPECT_NE(quint8(frame[1]), protocol::dcSetNetmaskTemporary);
        EXPECT_NE(quint8(frame[1]), protocol::dcSetNetmaskPermanent);
    }
    EXPECT_EQ(bench.framesSinceScan().size(), 5u);
}
