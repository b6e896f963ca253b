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
    auto& form = f.form();
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr}) {
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
    auto& form = f.form();
    form.ButtonSet->setEnabled(true);
    form.EditIpAddr->setText("169.254.10.20");
    EXPECT_FALSE(form.ButtonSet->isEnabled());
    EXPECT_FALSE(red(form.EditIpAddr));
    form.EditIpAddr->setText("169.254.0.20"); // the block starts at 169.254.1.0
    EXPECT_TRUE(form.ButtonSet->isEnabled());
    // Netmask and gateway have no such rule.
    form.EditGatewayAddr->setText("169.254.10.20");
    EXPECT_TRUE(form.ButtonSet->isEnabled());
}

TEST(AddressEditor, EnteringAnEditShowsItsTextInWindowTextUntilTheNextChange) {
    FormFixture f;
    auto& form = f.form();
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr}) {
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
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "169.254.3.4", .length = 17}});
    ASSERT_EQ(bench.cell(kMac, 1), form.NotConfigurabelText);
    EXPECT_EQ(form.EditNetMask->toolTip(), "My hint");
    bench.load(kMac);

    // The state text is longer than an address; the edits show it in full.
    for (QLineEdit* edit : {form.EditNetMask, form.EditGatewayAddr}) {
        EXPECT_EQ(edit->text(), form.NotConfigurabelText);
        EXPECT_TRUE(edit->isEnabled());
        hover(edit);
        EXPECT_EQ(edit->toolTip(), form.NotConfigurabelHintText);
        edit->setText("255.255.0.0");
        hover(edit);
        EXPECT_TRUE(edit->toolTip().isEmpty()) << edit->objectName().toStdString();
    }
}

TEST(AddressEditor, TheIpEditRemembersTheAddressOfTheEditorsLine) {
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5"},
                ScanAnswerFields{.mac = kOtherMac, .ip = "127.0.0.6"}});
    bench.load(kMac);
    EXPECT_EQ(form.oldIP(), "127.0.0.5");

    // Without a selection the line is found again by the MAC edit.
    form.ListView1->selectionModel()->clearSelection();
    form.EditIpAddr->setText("127.0.0.7");
    EXPECT_EQ(form.ListView1->selectedRow(), bench.rowOf(kMac));
    EXPECT_EQ(form.oldIP(), "127.0.0.5");

    // With no line for the MAC edit the last known address stays.
    form.ListView1->selectionModel()->clearSelection();
    form.EditMacAddr->setText("02-99-99-99-99-99");
    form.EditIpAddr->setText("127.0.0.8");
    EXPECT_LT(form.ListView1->selectedRow(), 0);
    EXPECT_EQ(form.oldIP(), "127.0.0.5");
    EXPECT_FALSE(red(form.EditIpAddr));
}

TEST(AddressEditor, TheDhcpBoxLocksTheEditsAndUntickingEmptiesThoseStillShowingTheLine) {
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({ScanAnswerFields{.mac = kMac,
                                 .ip = "127.0.0.5",
                                 .dhcpByte = 0x11,
                                 .netmask = "255.0.0.0",
                                 .gateway = "127.0.0.254"}});
    bench.load(kMac);
    EXPECT_TRUE(form.CheckBoxDhcpEnabled->isEnabled());
    EXPECT_TRUE(form.CheckBoxDhcpEnabled->isChecked());
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr})
        EXPECT_FALSE(edit->isEnabled());

    // An edit that no longer shows the line's value keeps its text.
    form.EditGatewayAddr->setText("127.0.0.1");
    form.CheckBoxDhcpEnabled->setChecked(false);
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr})
        EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(form.EditIpAddr->text().isEmpty());
    EXPECT_TRUE(form.EditNetMask->text().isEmpty());
    EXPECT_EQ(form.EditGatewayAddr->text(), "127.0.0.1");

    // Ticking locks the edits again and gives Save back, even after a link-local address.
    form.EditIpAddr->setText("169.254.1.1");
    ASSERT_FALSE(form.ButtonSet->isEnabled());
    form.CheckBoxDhcpEnabled->setChecked(true);
    EXPECT_TRUE(form.ButtonSet->isEnabled());
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr})
        EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(form.EditIpAddr->text(), "169.254.1.1"); // what a locked edit holds still counts
}

TEST(AddressEditor, LoadingALineAtALinkLocalAddressWithholdsSave) {
    ASSERT_TRUE(addLoopbackAddress("169.254.3.4"));
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "169.254.3.4"}});
    bench.load(kMac);
    EXPECT_EQ(form.EditIpAddr->text(), "169.254.3.4");
    EXPECT_FALSE(form.ButtonSet->isEnabled());
    EXPECT_TRUE(form.actBlink->isEnabled());
}

TEST(AddressEditor, ClickingAnEmptyPartOfTheListKeepsTheEditor) {
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5"}});
    bench.load(kMac);
    form.EditNetMask->setText("255.255.0.0");
    form.ListView1->selectionModel()->clearSelection();
    form.ListView1Click();
    EXPECT_EQ(form.EditMacAddr->text(), kMac);
    EXPECT_EQ(form.EditIpAddr->text(), "127.0.0.5");
    EXPECT_EQ(form.EditNetMask->text(), "255.255.0.0");
    EXPECT_TRUE(form.EditNetMask->isEnabled());
    EXPECT_TRUE(form.ButtonSet->isEnabled());
}

TEST(AddressEditor, DisabledEditsLookLikeTheMacEditWhateverColourTheyShowedEnabled) {
    DeviceBench bench;
    auto& form = bench.form;
    bench.scan({ScanAnswerFields{.mac = kMac, .ip = "127.0.0.5", .dhcpByte = 0x11}});
    const QLineEdit* const addressEdits[] = {form.EditIpAddr, form.EditNetMask,
                                             form.EditGatewayAddr};
    const auto expectDisabledLook = [&](const char* when) {
        const QColor disabled = textColour(form.EditMacAddr);
        for (const QLineEdit* edit : addressEdits) {
            EXPECT_FALSE(edit->isEnabled()) << when;
            EXPECT_EQ(textColour(edit), disabled)
                << when << " " << edit->objectName().toStdString();
        }
    };
    // Every edit has been coloured valid, then invalid, by the time they are locked.
    for (QLineEdit* edit : {form.EditIpAddr, form.EditNetMask, form.EditGatewayAddr}) {
        edit->setText("10.0.0.1");
        edit->setText("10.0.0");
    }
    bench.load(kMac); // DHCP active: the edits are locked
    expectDisabledLook("with DHCP ticked");

    form.CheckBoxDhcpEnabled->setChecked(false); // empties them: no address, red
    for (const QLineEdit* edit : addressEdits)
        EXPECT_EQ(textColour(edit), QColor(255, 0, 0)) << edit->objectName().toStdString();
    form.CheckBoxDhcpEnabled->setChecked(true);
    expectDisabledLook("ticked again");
    form.CheckBoxDhcpEnabled->setChecked(false);
    EXPECT_EQ(textColour(form.EditIpAddr), QColor(255, 0, 0));

    form.ButtonScanClick();
    expectDisabledLook("after a scan");
    ASSERT_TRUE(bench.f.waitForScanEnd());
}
