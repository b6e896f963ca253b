// The main window's handling of its device list: clicks, sorting, hints.
#include "app/form1.h"

#include "statelog/log_buffer.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

namespace app {

void TForm1::ListView1Click() {
    if (ListView1->selectedRow() < 0)
        return;
    offerSave(true);
    actBlink->setEnabled(true);
    actRestart->setEnabled(deviceLines->cell(ListView1->focusedRow(), 7) ==
                           QLatin1String("restartSupported"));
    const int row = ListView1->selectedRow();
    const QString dhcp = deviceLines->cell(row, 3);
    if (dhcp == texts.dhcpActive) {
        CheckBoxDhcpEnabled->setEnabled(true);
        CheckBoxDhcpEnabled->setChecked(true);
    } else {
        CheckBoxDhcpEnabled->setChecked(false);
        CheckBoxDhcpEnabled->setEnabled(dhcp == texts.dhcpNotActive);
    }
    const bool editable = dhcp != texts.dhcpActive;
    EditIpAddr->setEnabled(editable);
    EditNetMask->setEnabled(editable);
    EditGatewayAddr->setEnabled(editable);

    EditMacAddr->setText(deviceLines->caption(row));
    EditIpAddr->setText(deviceLines->cell(row, 0));
    EditNetMask->setText(deviceLines->cell(row, 1));
    EditGatewayAddr->setText(deviceLines->cell(row, 2));
    const bool netmaskMissing = EditNetMask->text() == texts.notAvailable;
    const bool gatewayMissing = EditGatewayAddr->text() == texts.notAvailable;
    // The answers fill the line; the endpoint is closed after the grace period.
    if (netmaskMissing || gatewayMissing)
        deviceEngine->readMissing(EditMacAddr->text(), netmaskMissing, gatewayMissing);
    offerMove();
}

void TForm1::ListView1ColumnClick(int column) {
    deviceLines->columnClick(column);
}

void TForm1::ListView1MouseMove(const QPoint& position) {
    ListView1->setHintText(QString());
    const QModelIndex under = ListView1->indexAt(position);
    if (!under.isValid()) {
        QToolTip::hideText();
        return;
    }
    const int row = under.row();
    if (const QString warning = lineWarning(deviceLines->caption(row)); !warning.isEmpty()) {
        ListView1->setHintText(warning);
        return;
    }
    if (outsideAdapterSubnet(deviceLines->cell(row, 0))) {
        ListView1->setHintText(outsideSubnetHint());
        return;
    }
    if (texts.notConfigurable.isEmpty())
        return;
    for (int index = 0; index < ui::DeviceTable::kCellCount; ++index) {
        if (deviceLines->cell(row, index).contains(texts.notConfigurable)) {
            ListView1->setHintText(texts.notConfigurableHint);
            return;
        }
    }
}

} // namespace app
