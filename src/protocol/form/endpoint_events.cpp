// The main window's side of the UDP endpoint: opening it for an operation, taking in the
// datagrams it announces, and closing it when the operation ends.
#include "app/form1.h"

#include "net/ipv4.h"
#include "platform/message_boxes.h"
#include "protocol/udp_endpoint.h"
#include "ui/device_list_view.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>

#include <cerrno>

namespace app {

void TForm1::createSocket() {
    log().logStringWithTime(QStringLiteral("Create Socket, current handle %1").arg(FSocket()));
    if (FSocket() == 0) {
        int error = 0;
        if (!endpoint->create(&error)) {
            // The handle stays 0, so the next operation tries again instead of working on a
            // failure value until the program restarts.
            services.boxes.showMessage(translate(QStringLiteral("Socket_error")) +
                                       QStringLiteral(" %1").arg(error));
        } else {
            if (!endpoint->bind(ComboBoxAdapter->currentText(), &error) && error != EADDRINUSE) {
                services.boxes.showMessage(translate(QStringLiteral("Error_binding_socket")) +
                                           QStringLiteral(" %1\n\r").arg(error) +
                                           translate(QStringLiteral("please_refer_for_help")));
            }
            endpoint->permitBroadcast();
            log().logStringWithTime(QStringLiteral("Bound FSocket handle %1").arg(FSocket()));
            if (!endpoint->startEvents(&error)) {
                services.boxes.showMessage(translate(QStringLiteral("Socket_error")) +
                                           QStringLiteral(" %1").arg(error));
                return;
            }
            log().logStringWithTime(QStringLiteral("Start WSAAsyncSelect %1").arg(FSocket()));
        }
    }
    pump();
    socketOpen = true;
}

void TForm1::socketEvent(int eventCode) {
    log().logStringWithTime(QStringLiteral("Socketmessage received of type: %1").arg(eventCode));
    if (eventCode == 2) {
        log().logStringWithTime(QStringLiteral("Socketmessage FD_WRITE "));
        return;
    }
    if (eventCode != 1 || intakeRunning)
        return;
    // A datagram that becomes readable while this intake pumps is announced again once it
    // has returned, so a burst of answers never nests the intake inside itself.
    intakeRunning = true;
    endpoint->setEventsEnabled(false);
    protocol::ReceiveBuffer buffer{};
    qsizetype received = 0;
    QString sourceIp;
    int error = 0;
    if (!endpoint->receive(buffer, &received, &sourceIp, &error)) {
        services.boxes.showMessage(translate(QStringLiteral("Socket_error")) +
                                   QStringLiteral(" %1").arg(error));
    } else {
        log().logStringWithTime(QStringLiteral("Socketmessage FD_READ %1").arg(received));
        if (received > 0)
            handleDatagram(buffer, sourceIp);
    }
    pump();
    endpoint->setEventsEnabled(true);
    intakeRunning = false;
}

void TForm1::handleDatagram(const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    switch (buffer[1]) {
    case protocol::answerCode(protocol::dcScan):
        scanAnswer(buffer);
        break;
    case protocol::answerCode(protocol::dcReadNetmask):
        netmaskAnswer(buffer, sourceIp);
        break;
    case protocol::answerCode(protocol::dcReadGateway):
        gatewayAnswer(buffer, sourceIp);
        break;
    case protocol::answerCode(protocol::dcBlink):
        blinkAnswer(buffer);
        break;
    case protocol::answerCode(protocol::dcSetIpPermanent):
    case protocol::answerCode(protocol::dcSetIpTemporary):
    case protocol::answerCode(protocol::dcSetNetmaskPermanent):
    case protocol::answerCode(protocol::dcSetNetmaskTemporary):
    case protocol::answerCode(protocol::dcSetGatewayPermanent):
    case protocol::answerCode(protocol::dcSetGatewayTemporary):
    case protocol::answerCode(protocol::dcSetDhcp):
        changeAnswer(buffer, sourceIp);
        break;
    default:
        break;
    }
}

void TForm1::doCloseSocket(int wParam, int lParam) {
    for (int round = 0; round < 101; ++round) {
        pump();
        QThread::msleep(5);
        pump();
    }
    if (wParam != 0 && wParam == answerCount)
        setStatusText(translate(QStringLiteral("Operation_finished")));
    log().logStringWithTime(QStringLiteral("doCloseSocket handle %1").arg(FSocket()));
    if (!socketOpen)
        return;
    const int handle = FSocket();
    int error = 0;
    const bool lineSelected = ListView1->selectedRow() >= 0;
    if (!endpoint->close(&error)) {
        log().logStringWithTime(QStringLiteral("CloseSocket Error%1").arg(error));
        setDefaultCursor();
        ButtonScan->setEnabled(true);
        if (lineSelected) {
            ButtonSet->setEnabled(true);
            actBlink->setEnabled(true);
            if (lParam == 1)
                actRestart->setEnabled(true);
        }
        log().logStringWithTime(QStringLiteral("CloseSocket error do  buttons %1").arg(FSocket()));
    } else {
        log().logStringWithTime(QStringLiteral("CloseSocket closed %1").arg(handle));
        socketOpen = false;
        ButtonScan->setEnabled(true);
        if (lineSelected) {
            ButtonSet->setEnabled(!net::isLinkLocalIp(EditIpAddr->text()));
            actBlink->setEnabled(true);
            if (lParam == 1)
                actRestart->setEnabled(true);
        }
        setDefaultCursor();
        log().logStringWithTime(QStringLiteral("CloseSocket success do buttons %1").arg(FSocket()));
    }
    emit endpointClosed();
}

bool TForm1::sendFrame(const QByteArray& frame, int* error) {
    return endpoint->sendTo(frame, SockAddr, error);
}

} // namespace app
