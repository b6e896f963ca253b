// The scan and the query of netmask and gateway for devices whose scan answer lacks them.
#include "app/form1.h"

#include "net/ipv4.h"
#include "platform/message_boxes.h"
#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringBuilder>
#include <QThread>
#include <QTimer>

namespace app {

void TForm1::deviceDestination(const QString& deviceIp) {
    SockAddr = protocol::kLimitedBroadcast;
    const QString adapterIp = ComboBoxAdapter->currentText();
    const QString mask = findAdapterSubnetMask(adapterIp);
    if (mask.isEmpty() || CheckBoxDhcpEnabled->isChecked())
        return;
    if (net::isInSameSubnet(adapterIp, mask, deviceIp))
        SockAddr = deviceIp;
}

void TForm1::dropQueuedReads() {
    ++readDrops;
    if (!queryParamsQueue.isEmpty())
        log().logStringOnly(
            QStringLiteral("Scan started, netmask and gateway reads dropped for %1 devices")
                .arg(queryParamsQueue.size()));
    queryParamsQueue.clear();
    TimerGetParams->stop();
    devicesRead = 0;
}

QString TForm1::readProgressText() const {
    return translate(QStringLiteral("Reading_netmask_and_gateway")) +
           QStringLiteral(" %1 ").arg(devicesRead) + translate(QStringLiteral("Reading_of")) +
           QStringLiteral(" %1").arg(devicesRead + queryParamsQueue.size());
}

void TForm1::ButtonScanClick() {
    ButtonScan->setEnabled(false);
    // The list is emptied: the reads still queued and a change still waiting for answers
    // have no line left to fill.
    dropQueuedReads();
    endChangeForScan();
    createSocket();
    pump();
    enableTimer(TimerScan);
    deviceLines->clear();
    lastChangedMacAddr.clear();
    EditMacAddr->setText(QStringLiteral("00-00-00-00-00-00"));
    EditIpAddr->setText(QStringLiteral("0.0.0.0"));
    EditNetMask->setText(QStringLiteral("0.0.0.0"));
    EditGatewayAddr->setText(QStringLiteral("0.0.0.0"));
    EditIpAddr->setEnabled(false);
    EditNetMask->setEnabled(false);
    EditGatewayAddr->setEnabled(false);
    CheckBoxDhcpEnabled->setEnabled(false);
    setStatusText(translate(QStringLiteral("Scanning")));
    ButtonSet->setEnabled(false);
    actBlink->setEnabled(false);
    actRestart->setEnabled(false);
    enableTimer(TimerScan);
    SockAddr = protocol::kLimitedBroadcast;
    const QByteArray frame = protocol::buildFrame(protocol::dcScan, {});
    log().logStringWithTime(QStringLiteral("Sending scan to %1").arg(FSocket()));
    int error = 0;
    if (!sendFrame(frame, &error))
        services.boxes.showMessage(translate(QStringLiteral("Error_sending_scan")));
    setHourglassCursor();
}

void TForm1::scanAnswer(const protocol::ReceiveBuffer& buffer) {
    setStatusText(translateInBatch(QStringLiteral("Scanning_OK")));
    const protocol::ScanAnswer answer = protocol::decodeScanAnswer(buffer);
    QString typeName = deviceTypeName(answer.deviceType).value_or(QString());
    if (typeName.isEmpty())
        typeName = QStringLiteral("not defined (%1)").arg(answer.deviceType);

    ui::DeviceLine* line = createListViewLine(answer.mac, answer.ip);
    deviceLines->setCell(line, 4, typeName);
    deviceLines->setCell(line, 5, answer.revision);
    log().logStringOnly(QStringLiteral("MsgLen von  ") % answer.ip %
                        QStringLiteral(" vor entscheidung ") % QString::number(answer.length));
    if (!answer.carriesParams) {
        log().logStringOnly(QStringLiteral("Add to list index ") %
                            QString::number(deviceLines->rowOf(line)));
        queryParamsQueue.append(answer.mac);
        deviceLines->setCell(line, 1, SearchingText);
        deviceLines->setCell(line, 2, SearchingText);
        deviceLines->setCell(line, 3, NotAvailTextShort);
        if (!TimerGetParams->isActive()) {
            log().logStringOnly(QStringLiteral("Start trimer get Params"));
            TimerGetParams->start();
        }
    } else {
        log().logStringOnly(QStringLiteral("Adresse schon da "));
        deviceLines->setCell(line, 1, answer.netmask);
        deviceLines->setCell(line, 2, answer.gateway);
        log().logStringOnly(QStringLiteral("int ") % QString::number(answer.dhcpByte));
        log().logStringOnly(QStringLiteral("int buf dann and mask ") %
                            QString::number(answer.dhcpByte & 0x30));
        deviceLines->setCell(line, 7, QStringLiteral("restartSupported"));
        switch (protocol::dhcpStateOf(answer.dhcpByte)) {
        case protocol::DhcpState::NotActive:
            deviceLines->setCell(line, 3, dhcpNotActiveText);
            break;
        case protocol::DhcpState::Active:
            deviceLines->setCell(line, 3, dhcpActiveText);
            break;
        case protocol::DhcpState::NotSupported:
            deviceLines->setCell(line, 3, dhcpNotSupportedText);
            deviceLines->setCell(line, 7, QStringLiteral("restartNOTSupported"));
            break;
        }
    }
}

void TForm1::showReadAnswered() {
    // While the reads of a scan go on, the status panel keeps showing how far they are.
    setStatusText(TimerGetParams->isActive() ? readProgressText()
                                             : translateInBatch(QStringLiteral("Reading_OK")));
}

void TForm1::netmaskAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    log().logStringOnly(QStringLiteral("Lesen der Netmask "));
    showReadAnswered();
    netmask = net::ipTextFromBytes(buffer, 2);
    log().logStringOnly(QStringLiteral("---- ") + netmask);
    insertSubitemToListView(sourceIp, netmask, protocol::atNetmask);
}

void TForm1::gatewayAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    log().logStringOnly(QStringLiteral("Lesen der Gateway address "));
    showReadAnswered();
    gatewayip = net::ipTextFromBytes(buffer, 2);
    log().logStringOnly(QStringLiteral("---- ") + gatewayip);
    insertSubitemToListView(sourceIp, gatewayip, protocol::atGateway);
}

bool TForm1::getParams(const QString& mac, protocol::TSetAddrType adrType) {
    pump();
    const int row = deviceLines->lastRowWithCaption(mac);
    const QString deviceIp = row >= 0 ? deviceLines->cell(row, 0) : QString();
    deviceDestination(deviceIp);
    log().logStringOnly(QStringLiteral("MAC ") + mac);
    log().logStringOnly(QStringLiteral("Adr ") + deviceIp);
    protocol::TDeviceCommand command = protocol::dcReadNetmask;
    if (adrType == protocol::atNetmask) {
        log().logStringOnly(QStringLiteral("Preparing Message Netmask for IP ") + deviceIp);
    } else {
        log().logStringOnly(QStringLiteral("Preparing Message Gateway for IP ") + deviceIp);
        command = protocol::dcReadGateway;
    }
    const auto macBytes = protocol::macBytesFromText(mac);
    if (!macBytes)
        return false;
    const QByteArray frame = protocol::buildFrame(command, *macBytes);
    log().logStringOnly(QStringLiteral("SendMessage ") + protocol::frameAsCharacters(frame));
    log().logStringWithTime(QStringLiteral("Sending scan getParam to %1").arg(FSocket()));
    int error = 0;
    const bool sent = sendFrame(frame, &error);
    if (!sent)
        log().logStringWithTime(QString::number(error));
    pump();
    return sent;
}

void TForm1::TimerGetParamsTimer() {
    try {
        log().logStringOnly(QStringLiteral("Anzahl in queue: %1").arg(queryParamsQueue.size()));
        if (queryParamsQueue.isEmpty()) {
            QThread::msleep(300);
            log().logStringOnly(QStringLiteral("Stop timer getParams"));
            TimerGetParams->stop();
            for (int row = 0; row < deviceLines->count(); ++row) {
                const bool linkLocal =
                    deviceLines->cell(row, 0).startsWith(QLatin1String("169.254"));
                for (int index = 0; index < ui::DeviceTable::kCellCount; ++index) {
                    if (deviceLines->cell(row, index) == SearchingText)
                        deviceLines->setCell(row, index,
                                             linkLocal ? NotConfigurabelText : NotAvailText);
                }
            }
            // The endpoint stays open for the answers of a scan period still running; its
            // end closes it.
            if (TimerScan->isActive())
                return;
            // As after a scan period, Scan waits for the close: a scan started during the
            // closing wait would have its endpoint closed under it. Whoever closes the
            // endpoint gives Scan back.
            if (socketOpen)
                ButtonScan->setEnabled(false);
            doCloseSocket(0, 0);
            return;
        }
        const QString mac = queryParamsQueue.takeFirst();
        log().logStringOnly(QStringLiteral("Getting list Index: ") + mac);
        log().logStringOnly(QStringLiteral("Anzahl in queue: %1").arg(queryParamsQueue.size()));
        ++devicesRead;
        setStatusText(readProgressText());
        // Another operation (a blink while the reads go on) may have closed the endpoint.
        if (!socketOpen)
            createSocket();
        const int drops = readDrops;
        bool ok = getParams(mac, protocol::atNetmask);
        for (int round = 0; round < 200; ++round)
            pump();
        // A scan started meanwhile has dropped this device's reads with the others.
        if (drops != readDrops)
            return;
        if (ok)
            ok = getParams(mac, protocol::atGateway);
        pump();
        if (!ok)
            services.boxes.showMessage(
                translate(QStringLiteral("Some_parameters_not_retreived_scan_again")));
    } catch (const std::exception&) {
        log().logStringOnly(QStringLiteral("Exceptieor"));
    }
}

void TForm1::TimerScanTimer() {
    TimerScan->stop();
    setStatusText(translate(QStringLiteral("Scan_finished")));
    if (queryParamsQueue.isEmpty() && !TimerGetParams->isActive()) {
        QThread::msleep(50);
        doCloseSocket(0, 0);
        return;
    }
    // The reads go on at their pace and close the endpoint when they end; a new scan may be
    // started meanwhile.
    ButtonScan->setEnabled(true);
    setDefaultCursor();
}

} // namespace app
