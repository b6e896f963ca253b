// A gateway at its factory address behind the PC's card, beside a host that is no gateway:
// the window marks the gateway, refuses an address the host holds, and moves the gateway into
// the PC's subnet in one step.
#include "support/event_pump.h"
#include "support/factory_gateway_devices.h"
#include "support/form_fixture.h"
#include "support/simulator_process.h"
#include "support/test_network.h"

#include "platform/registry.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString kFactory = QStringLiteral("02-60-00-00-00-20");

} // namespace

TEST(SubnetMove, AForeignGatewayIsMarkedAndMovedIntoThePcsSubnetInOneStep) {
    std::string whyNot;
    const auto network = TestNetwork::tier2(&whyNot);
    if (!network)
        GTEST_SKIP() << whyNot;
    const auto simulator = network->devices().startSimulator(kInsideAndFactoryGateways);
    network->devices().addAddress("10.77.0.2/32");
    FormFixture f;
    {
        platform::Registry registry(f.store());
        ASSERT_TRUE(registry.openKey(QStringLiteral("\\software\\Kestrelwald\\TorvaneScan"), true));
        registry.writeString(QStringLiteral("SelectedAdapterIp"), QStringLiteral("10.77.0.1"));
    }
    app::TForm1& form = f.form();
    const WindowParts& parts = f.parts();
    const ui::DeviceTable& lines = form.deviceList();
    f.activate();
    ASSERT_TRUE(f.waitForScanEnd()) << simulator->output();
    // Shown, the list has the places of its lines that the mouse moves over.
    form.show();
    pumpRounds(5);
    ASSERT_EQ(lines.count(), 2);
    const int row = lines.firstRowWithCaption(kFactory);
    EXPECT_TRUE(parts.ListView1->isAddressMarked(row));
    EXPECT_FALSE(parts.ListView1->isAddressMarked(1 - row));
    form.ListView1MouseMove(parts.ListView1->visualRect(lines.index(row, 1)).center());
    EXPECT_EQ(parts.ListView1->hintText(),
              "Outside 10.77.0.0/24 of adapter 10.77.0.1: reachable by broadcast only");

    parts.ListView1->selectRow(row);
    form.ListView1Click();
    ASSERT_TRUE(parts.ButtonMoveIntoSubnet->isEnabled());
    parts.EditIpAddr->setText("10.77.0.2");
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] { return !f.boxes.messages().empty(); }));
    const FakeMessageBoxes::Call refusal = f.boxes.messages().back();
    EXPECT_EQ(refusal.caption, "Error");
    EXPECT_EQ(refusal.icon, platform::MessageBoxes::Icon::Error);
    EXPECT_TRUE(refusal.text.startsWith(
        "10.77.0.2 is in use by a host that is not a TORVANE gateway (MAC "))
        << refusal.text.toStdString();
    EXPECT_EQ(requestsReceived(*simulator, 0x03), 0u);

    // .1 is the PC's, .2 the host's, .3 a listed gateway's; the old gateway lies outside.
    parts.ButtonMoveIntoSubnet->click();
    ASSERT_TRUE(pumpUntil([&] { return parts.EditIpAddr->text() == "10.77.0.4"; }));
    EXPECT_EQ(parts.EditNetMask->text(), "255.255.255.0");
    EXPECT_EQ(parts.EditGatewayAddr->text(), "0.0.0.0");
    const int closes = f.closeCount();
    parts.ButtonSet->click();
    ASSERT_TRUE(pumpUntil([&] { return f.closeCount() > closes; }, 20000));

    form.ButtonScanClick();
    ASSERT_TRUE(f.waitForScanEnd());
    const int moved = lines.firstRowWithCaption(kFactory);
    EXPECT_EQ(lines.cell(moved, 0), "10.77.0.4");
    EXPECT_EQ(lines.cell(moved, 1), "255.255.255.0");
    EXPECT_EQ(lines.cell(moved, 2), "0.0.0.0");
    EXPECT_FALSE(parts.ListView1->isAddressMarked(moved));
}
