// Blink and restart: one frame each, sent at once to the device of the focused line.
#include "app/form1.h"

#include "platform/message_boxes.h"
#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/model/log_buffer.h"

#include <QLineEdit>

namespace app {

namespace {

const QString kNoMac = QStringLiteral("00-00-00-00-00-00");

} // namespace

bool TForm1::commandDeviceChosen(const QString& refusalKey) {
    if (ListView1->selectedRow() >= 0 || EditMacAddr->text() != kNoMac)
        return true;
    services.boxes.messageBox(translate(refusalKey), translate(QStringLiteral("Hint")),
                              platform::MessageBoxes::Icon::Information,
                              platform::MessageBoxes::Buttons::Ok);
    return false;
}

void TForm1::actBlinkExecute() {
    createSocket();
    if (!commandDeviceChosen(QStringLiteral("No_device_selcted_for_Blink")))
        return;
    const int row = ListView1->focusedRow();
    if (row < 0) {
        // No line has the focus: there is no device to address.
        log().logStringOnly(QStringLiteral("No device line, blink not sent"));
        doCloseSocket(0, 0);
        return;
    }
    const QString mac = deviceLines->caption(row);
    const QString ip = deviceLines->cell(row, 0);
    setStatusText(translate(QStringLiteral("Blinktest")));
    pump();
    deviceDestination(ip);
    const auto macBytes = protocol::macBytesFromText(mac);
    int error = 0;
    if (!macBytes || !sendFrame(protocol::buildFrame(protocol::dcBlink, *macBytes), &error))
        services.boxes.showMessage(translate(QStringLiteral("Error_Sending_blink")));
    pump();
    doCloseSocket(0, 0);
}

void TForm1::actRestartExecute() {
    createSocket();
    if (!commandDeviceChosen(QStringLiteral("No_device_selcted_for_restart")))
        return;
    setRestart(deviceLines->caption(ListView1->focusedRow()));
}

void TForm1::setRestart(const QString& macAddr) {
    log().logStringOnly(QStringLiteral("Send device restart!"));
    pump();
    const int row = ListView1->focusedRow();
    const auto macBytes = protocol::macBytesFromText(macAddr);
    if (row < 0 || !macBytes) {
        log().logStringOnly(QStringLiteral("No device line, restart not sent"));
    } else {
        deviceDestination(deviceLines->cell(row, 0));
        int error = 0;
        if (!sendFrame(protocol::buildFrame(protocol::dcRestart, *macBytes), &error))
            services.boxes.showMessage(translate(QStringLiteral("Error_sending_restart")));
    }
    doCloseSocket(0, 0);
}

void TForm1::blinkAnswer(const protocol::ReceiveBuffer& buffer) {
    if (buffer[2] == 1)
        setStatusText(translate(QStringLiteral("Blinktest_not_allowed")));
}

} // namespace app
