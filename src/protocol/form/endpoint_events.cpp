// The main window's side of the UDP endpoint: opening it for an operation, taking in the
// datagrams it announces, and closing it when the operation ends.
#include "app/form1.h"

#include "net/ipv4.h"
#include "platform/message_boxes.h"
#include "protocol/udp_endpoint.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringBuilder>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <utility>

namespace app {

namespace {

// One intake takes in at most this many datagrams, or works about this long, before the
// event loop turns again.
constexpr std::size_t kDatagramsPerIntake = 64;
constexpr auto kIntakeTimeLimit = std::chrono::milliseconds(4);

} // namespace

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

void TForm1::socketWritable() {
    log().logStringWithTime(QStringLiteral("Socketmessage received of type: 2"));
    log().logStringWithTime(QStringLiteral("Socketmessage FD_WRITE "));
}

void TForm1::takeInDatagrams() {
    // An answer's handler may process events; what arrives meanwhile is taken in after it has
    // returned, so the intake never nests.
    if (intakeRunning) {
        intakeAgain = true;
        return;
    }
    intakeRunning = true;
    intakeAgain = false;
    const auto started = std::chrono::steady_clock::now();
    deviceLines->beginBatch();
    std::size_t handled = 0;
    // The endpoint announces again only once a take has found it empty.
    bool endpointEmptied = false;
    while (handled < kDatagramsPerIntake) {
        if (intakeNext == intakeBacklog.size()) {
            if (endpointEmptied)
                break;
            const std::size_t wanted = kDatagramsPerIntake - handled;
            intakeBacklog = endpoint->takeDatagrams(wanted);
            intakeNext = 0;
            endpointEmptied = intakeBacklog.size() < wanted;
            if (intakeBacklog.empty())
                break;
        }
        takeIn(intakeBacklog[intakeNext++]);
        ++handled;
        if (std::chrono::steady_clock::now() - started >= kIntakeTimeLimit)
            break;
    }
    deviceLines->endBatch();
    batchTranslations.clear();
    const bool more = intakeAgain || !endpointEmptied || intakeNext < intakeBacklog.size();
    const int failure = endpoint->takeReceiveFailure();
    intakeRunning = false;
    // Input, timers and redraws get their turn before the next batch.
    if (more)
        QMetaObject::invokeMethod(
            endpoint.get(), [this] { takeInDatagrams(); }, Qt::QueuedConnection);
    if (failure != 0) {
        log().logStringWithTime(QStringLiteral("Socketmessage received of type: 1"));
        services.boxes.showMessage(translate(QStringLiteral("Socket_error")) +
                                   QStringLiteral(" %1").arg(failure));
    }
    const std::vector<std::pair<int, int>> closes = std::exchange(closesAfterIntake, {});
    for (const auto& [wParam, lParam] : closes)
        doCloseSocket(wParam, lParam);
}

void TForm1::takeIn(const protocol::ReceivedDatagram& datagram) {
    log().logStringWithTime(QStringLiteral("Socketmessage received of type: 1"));
    if (datagram.error != 0) {
        // One datagram that cannot be read stops nothing; the count is reported when the
        // operation ends.
        ++unreadableDatagrams;
        log().logStringWithTime(QStringLiteral("Socketmessage FD_READ error %1 from %2")
                                    .arg(datagram.error)
                                    .arg(datagram.sourceIp));
        return;
    }
    log().logStringWithTime(QStringLiteral("Socketmessage FD_READ ") %
                            QString::number(datagram.bytes.size()));
    if (datagram.bytes.isEmpty())
        return;
    protocol::ReceiveBuffer buffer{};
    std::memcpy(buffer.data(), datagram.bytes.constData(),
                std::min(std::size_t(datagram.bytes.size()), buffer.size()));
    handleDatagram(buffer, datagram.sourceIp);
}

QString TForm1::translateInBatch(const QString& key) {
    if (!intakeRunning)
        return translate(key);
    auto known = batchTranslations.constFind(key);
    if (known == batchTranslations.cend())
        known = batchTranslations.insert(key, translate(key));
    return *known;
}

// Answers read before the close are handled before it, in one go, without events between.
void TForm1::takeInEverythingRead() {
    intakeRunning = true;
    deviceLines->beginBatch();
    for (;;) {
        while (intakeNext < intakeBacklog.size())
            takeIn(intakeBacklog[intakeNext++]);
        intakeBacklog = endpoint->takeDatagrams(std::numeric_limits<std::size_t>::max());
        intakeNext = 0;
        if (intakeBacklog.empty())
            break;
    }
    deviceLines->endBatch();
    batchTranslations.clear();
    intakeRunning = false;
    if (const int failure = endpoint->takeReceiveFailure()) {
        log().logStringWithTime(QStringLiteral("Socketmessage received of type: 1"));
        services.boxes.showMessage(translate(QStringLiteral("Socket_error")) +
                                   QStringLiteral(" %1").arg(failure));
    }
}

// A list the kernel or a broken datagram left incomplete must not look complete.
void TForm1::reportUnreadDatagrams() {
    QStringList hints;
    const quint64 dropped = endpoint->datagramsDropped();
    if (dropped > 0) {
        log().logStringWithTime(
            QStringLiteral("Datagrams dropped by the system for want of receive buffer: %1")
                .arg(dropped));
        hints << QString::number(dropped) + u' ' +
                     translate(QStringLiteral("answers_were_lost_scan_again"));
    }
    if (unreadableDatagrams > 0) {
        log().logStringWithTime(
            QStringLiteral("Datagrams that could not be read: %1").arg(unreadableDatagrams));
        hints << QString::number(unreadableDatagrams) + u' ' +
                     translate(QStringLiteral("datagrams_could_not_be_read"));
        unreadableDatagrams = 0;
    }
    if (!hints.isEmpty())
        setStatusText(hints.join(QStringLiteral("; ")));
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
    // An answer's handler ends its operation inside the intake; the closing wait is there to
    // take in late answers, which only an intake that has returned can do.
    if (intakeRunning) {
        closesAfterIntake.emplace_back(wParam, lParam);
        return;
    }
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
    endpoint->stopReceiving();
    takeInEverythingRead();
    // Closes those answers asked for come after this one, as they would have come after it
    // had they been nested in its wait.
    const std::vector<std::pair<int, int>> laterCloses = std::exchange(closesAfterIntake, {});
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
    reportUnreadDatagrams();
    emit endpointClosed();
    for (const auto& [laterWParam, laterLParam] : laterCloses)
        doCloseSocket(laterWParam, laterLParam);
}

bool TForm1::sendFrame(const QByteArray& frame, int* error) {
    return endpoint->sendTo(frame, SockAddr, error);
}

} // namespace app
