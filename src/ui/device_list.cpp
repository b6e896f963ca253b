// The main window's handling of its device list: entering answers, clicks, sorting, hints.
#include "app/form1.h"

#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringBuilder>
#include <QToolTip>

namespace app {

ui::DeviceLine* TForm1::createListViewLine(const QString& macaddress, const QString& ipaddress) {
    log().logStringOnly(QStringLiteral("insert at Index ") %
                        QString::number(deviceLines->count() + 1));
    return deviceLines->createLine(macaddress, ipaddress);
}

void TForm1::insertSubitemToListView(const QString& forIpAddr, const QString& toAdd,
                                     protocol::TSetAddrType addrTyp) {
    log().logStringWithIndent(QStringLiteral("Insert to List for ") + forIpAddr);
    int cellIndex = -1;
    if (addrTyp == protocol::atNetmask)
        cellIndex = 1;
    else if (addrTyp == protocol::atGateway)
        cellIndex = 2;
    else if (addrTyp == protocol::atDhcp)
        cellIndex = 3;
    if (cellIndex > 0)
        deviceLines->setCellOfIp(forIpAddr, cellIndex, toAdd);
}

void TForm1::ListView1Click() {
    if (ListView1->selectedRow() < 0)
        return;
    ButtonSet->setEnabled(true);
    actBlink->setEnabled(true);
    pump();
    actRestart->setEnabled(deviceLines->cell(ListView1->focusedRow(), 7) ==
                           QLatin1String("restartSupported"));
    const int row = ListView1->selectedRow();
    if (row < 0)
        return;
    const QPersistentModelIndex line(deviceLines->index(row, 0));
    const QString dhcp = deviceLines->cell(row, 3);
    if (dhcp == dhcpActiveText) {
        CheckBoxDhcpEnabled->setEnabled(true);
        CheckBoxDhcpEnabled->setChecked(true);
    } else {
        CheckBoxDhcpEnabled->setChecked(false);
        CheckBoxDhcpEnabled->setEnabled(dhcp == dhcpNotActiveText);
    }
    const bool editable = dhcp != dhcpActiveText;
    EditIpAddr->setEnabled(editable);
    EditNetMask->setEnabled(editable);
    EditGatewayAddr->setEnabled(editable);

    EditMacAddr->setText(deviceLines->caption(row));
    EditIpAddr->setText(deviceLines->cell(row, 0));
    EditNetMask->setText(deviceLines->cell(row, 1));
    EditGatewayAddr->setText(deviceLines->cell(row, 2));
    pump();
    if (EditNetMask->text() != NotAvailText && EditGatewayAddr->text() != NotAvailText)
        return;
    createSocket();
    if (EditNetMask->text() == NotAvailText) {
        getParams(EditMacAddr->text(), protocol::atNetmask);
        pump();
        if (line.isValid() && deviceLines->cell(line.row(), 1) != NotAvailText) {
            EditNetMask->setText(deviceLines->cell(line.row(), 1));
            EditNetMask->setEnabled(true);
        }
    }
    if (EditGatewayAddr->text() == NotAvailText) {
        getParams(EditMacAddr->text(), protocol::atGateway);
        pump();
        if (line.isValid() && deviceLines->cell(line.row(), 2) != NotAvailText) {
            EditGatewayAddr->setText(deviceLines->cell(line.row(), 2));
            EditGatewayAddr->setEnabled(true);
        }
    }
    doCloseSocket(0, 0);
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
    if (NotConfigurabelText.isEmpty())
        return;
    const int row = under.row();
    for (int index = 0; index < ui::DeviceTable::kCellCount; ++index) {
        if (deviceLines->cell(row, index).contains(NotConfigurabelText)) {
            ListView1->setHintText(NotConfigurabelHintText);
            return;
        }
    }
}

} // namespace app
