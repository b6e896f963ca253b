// The editor panel's own handlers: colours while typing, the link-local rule for Save, the
// DHCP box and the hint of a value that cannot be configured.
#include "device_bench.h"

#include "support/event_pump.h"

#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString kMac = QStringLiteral("00-11-22-33-44-55");
const QString kOtherMac = QStringLiteral("00-11-22-33-44-66");

bool red(const QLineEdit* edit) {
    return app::TForm1::isShownInvalid(edit);
}

void enter(QLineEdit* edit) {
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &focus);
}

// The colour the edit draws its text in, for the state it is in.
QColor textColour(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Text);
}

void hover(QLineEdit* edit) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), edit->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(edit, &event);
}

} // namespace

TEST(AddressEditor, EveryAddressEditShowsATextThatIsNoAddressInRed) {
    FormFixture f;
    const WindowParts& parts = f.parts();
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr}) {
        for (const char* invalid : {"192.168.1", "192.168.1.300", "255.255.255.255", ""}) {
            edit->setText("10.0.0.1");
            edit->setText(invalid);
            EXPECT_TRUE(red(edit)) << edit->objectName().toStdString() << " " << invalid;
        }
        edit->setText("192.168.1.20");
        EXPECT_FALSE(red(edit)) << edit->objectName().toStdString();
    }
}

TEST(AddressEditor, ALinkLocalIpWithholdsSaveAndStaysInWindowText) {
    FormFixture f;
    const WindowParts& parts = f.parts();
    parts.ButtonSet->setEnabled(true);
    parts.EditIpAddr->setText("169.254.10.20");
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    EXPECT_FALSE(red(parts.EditIpAddr));
    parts.EditIpAddr->setText("169.254.0.20"); // the block starts at 169.254.1.0
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    // Netmask and gateway have no such rule.
    parts.EditGatewayAddr->setText("169.254.10.20");
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
}

TEST(AddressEditor, EnteringAnEditShowsItsTextInWindowTextUntilTheNextChange) {
    FormFixture f;
    const WindowParts& parts = f.parts();
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr}) {
        edit->setText("1.2.3");
        ASSERT_TRUE(red(edit));
        enter(edit);
        EXPECT_FALSE(red(edit)) << edit->objectName().toStdString();
        EXPECT_EQ(edit->text(), "1.2.3");
        edit->setText("1.2.3.");
        EXPECT_TRUE(red(edit)) << edit->objectName().toStdString();
    }
}

TEST(AddressEditor, HoveringShowsTheHintOnlyOverAValueThatCannotBeConfigured) {
    // A device at a link-local address whose netmask and gateway cannot be read.
    ASSERT_TRUE(addLoopbackAddress("169.254.3.4"));
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "169.254.3.4", .length = 17}});
    ASSERT_EQ(bench.cell(kMac, 1), form.stateTexts().notConfigurable);
    EXPECT_EQ(parts.EditNetMask->toolTip(), "My hint");
    bench.load(kMac);

    // The state text is longer than an address; the edits show it in full.
    for (QLineEdit* edit : {parts.EditNetMask, parts.EditGatewayAddr}) {
        EXPECT_EQ(edit->text(), form.stateTexts().notConfigurable);
        EXPECT_TRUE(edit->isEnabled());
        hover(edit);
        EXPECT_EQ(edit->toolTip(), form.stateTexts().notConfigurableHint);
        edit->setText("255.255.0.0");
        hover(edit);
        EXPECT_TRUE(edit->toolTip().isEmpty()) << edit->objectName().toStdString();
    }
}

TEST(AddressEditor, TheIpEditRemembersTheAddressOfTheEditorsLine) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5"},
                ScanAnswerFields{.mac = kOtherMac, .ip = "127.0.0.6"}});
    bench.load(kMac);
    EXPECT_EQ(form.oldIP(), "127.0.0.5");

    // Without a selection the line is found again by the MAC edit.
    parts.ListView1->selectionModel()->clearSelection();
    parts.EditIpAddr->setText("127.0.0.7");
    EXPECT_EQ(parts.ListView1->selectedRow(), bench.rowOf(kMac));
    EXPECT_EQ(form.oldIP(), "127.0.0.5");

    // With no line for the MAC edit the last known address stays.
    parts.ListView1->selectionModel()->clearSelection();
    parts.EditMacAddr->setText("02-99-99-99-99-99");
    parts.EditIpAddr->setText("127.0.0.8");
    EXPECT_LT(parts.ListView1->selectedRow(), 0);
    EXPECT_EQ(form.oldIP(), "127.0.0.5");
    EXPECT_FALSE(red(parts.EditIpAddr));
}

TEST(AddressEditor, TheDhcpBoxLocksTheEditsAndUntickingEmptiesThoseStillShowingTheLine) {
    DeviceBench bench;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac,
                                 .ip = "127.0.0.5",
                                 .dhcpByte = 0x11,
                                 .netmask = "255.0.0.0",
                                 .gateway = "127.0.0.254"}});
    bench.load(kMac);
    EXPECT_TRUE(parts.CheckBoxDhcpEnabled->isEnabled());
    EXPECT_TRUE(parts.CheckBoxDhcpEnabled->isChecked());
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr})
        EXPECT_FALSE(edit->isEnabled());

    // An edit that no longer shows the line's value keeps its text.
    parts.EditGatewayAddr->setText("127.0.0.1");
    parts.CheckBoxDhcpEnabled->setChecked(false);
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr})
        EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(parts.EditIpAddr->text().isEmpty());
    EXPECT_TRUE(parts.EditNetMask->text().isEmpty());
    EXPECT_EQ(parts.EditGatewayAddr->text(), "127.0.0.1");

    // Ticking locks the edits again and gives Save back, even after a link-local address.
    parts.EditIpAddr->setText("169.254.1.1");
    ASSERT_FALSE(parts.ButtonSet->isEnabled());
    parts.CheckBoxDhcpEnabled->setChecked(true);
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr})
        EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(parts.EditIpAddr->text(), "169.254.1.1"); // what a locked edit holds still counts
}

TEST(AddressEditor, LoadingALineAtALinkLocalAddressWithholdsSave) {
    ASSERT_TRUE(addLoopbackAddress("169.254.3.4"));
    DeviceBench bench;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "169.254.3.4"}});
    bench.load(kMac);
    EXPECT_EQ(parts.EditIpAddr->text(), "169.254.3.4");
    EXPECT_FALSE(parts.ButtonSet->isEnabled());
    EXPECT_TRUE(parts.actBlink->isEnabled());
}

TEST(AddressEditor, ClickingAnEmptyPartOfTheListKeepsTheEditor) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5"}});
    bench.load(kMac);
    parts.EditNetMask->setText("255.255.0.0");
    parts.ListView1->selectionModel()->clearSelection();
    form.ListView1Click();
    EXPECT_EQ(parts.EditMacAddr->text(), kMac);
    EXPECT_EQ(parts.EditIpAddr->text(), "127.0.0.5");
    EXPECT_EQ(parts.EditNetMask->text(), "255.255.0.0");
    EXPECT_TRUE(parts.EditNetMask->isEnabled());
    EXPECT_TRUE(parts.ButtonSet->isEnabled());
}

TEST(AddressEditor, DisabledEditsLookLikeTheMacEditWhateverColourTheyShowedEnabled) {
    DeviceBench bench;
    auto& form = bench.form;
    const WindowParts& parts = bench.parts;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5", .dhcpByte = 0x11}});
    const QLineEdit* const addressEdits[] = {parts.EditIpAddr, parts.EditNetMask,
                                             parts.EditGatewayAddr};
    const auto expectDisabledLook = [&](const char* when) {
        const QColor disabled = textColour(parts.EditMacAddr);
        for (const QLineEdit* edit : addressEdits) {
            EXPECT_FALSE(edit->isEnabled()) << when;
            EXPECT_EQ(textColour(edit), disabled)
                << when << " " << edit->objectName().toStdString();
        }
    };
    // Every edit has been coloured valid, then invalid, by the time they are locked.
    for (QLineEdit* edit : {parts.EditIpAddr, parts.EditNetMask, parts.EditGatewayAddr}) {
        edit->setText("10.0.0.1");
        edit->setText("10.0.0");
    }
    bench.load(kMac); // DHCP active: the edits are locked
    expectDisabledLook("with DHCP ticked");

    parts.CheckBoxDhcpEnabled->setChecked(false); // empties them: no address, red
    for (const QLineEdit* edit : addressEdits)
        EXPECT_EQ(textColour(edit), QColor(255, 0, 0)) << edit->objectName().toStdString();
    parts.CheckBoxDhcpEnabled->setChecked(true);
    expectDisabledLook("ticked again");
    parts.CheckBoxDhcpEnabled->setChecked(false);
    EXPECT_EQ(textColour(parts.EditIpAddr), QColor(255, 0, 0));

    form.ButtonScanClick();
    expectDisabledLook("after a scan");
    ASSERT_TRUE(bench.f.waitForScanEnd());
}
