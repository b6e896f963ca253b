// The address change transaction: every changed address is written temporarily, then
// permanently, one request per confirmed answer; a timer watches for the first answer.
#include "app/form1.h"

#include "net/ipv4.h"
#include "platform/message_boxes.h"
#include "protocol/frame.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"
#include "ui/model/log_buffer.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace app {

namespace {

constexpr int kTimeoutTicks = 12;
constexpr int kNextRequestDelayMs = 200;

} // namespace

QString TForm1::normalizeAddr(const QString& text) {
    return net::intToIpText(net::ipTextToInt(text));
}

void TForm1::reselectDevice() {
    if (ListView1->selectedRow() >= 0)
        return;
    const int row = deviceLines->firstRowWithCaption(EditMacAddr->text());
    if (row >= 0)
        ListView1->selectRow(row);
}

bool TForm1::dhcpChanged() {
    reselectDevice();
    if (!CheckBoxDhcpEnabled->isEnabled())
        return false;
    const QString dhcp = deviceLines->cell(ListView1->selectedRow(), 3);
    const bool ticked = CheckBoxDhcpEnabled->isChecked();
    return (dhcp == dhcpNotActiveText && ticked) || (dhcp == dhcpActiveText && !ticked);
}

bool TForm1::fieldCheck(bool checkIp, bool checkNetmask, bool checkGateway) {
    QString text = translate(QStringLiteral("errorText_wrong_value_for")) + QLatin1Char(' ');
    bool invalid = false;
    const auto check = [&](bool wanted, QLineEdit* edit, bool allowNotAvailable, const char* key) {
        if (!wanted || (allowNotAvailable && edit->text() == NotAvailText) ||
            net::isValidIpText(edit->text()))
            return;
        text += QLatin1Char(' ') + translate(QString::fromLatin1(key));
        showAsInvalid(edit, true);
        invalid = true;
    };
    check(checkIp, EditIpAddr, false, "errorText_ip");
    check(checkNetmask, EditNetMask, true, "errorText_netmask");
    check(checkGateway, EditGatewayAddr, true, "errorText_gateway");
    text += translate(QStringLiteral("errorText_will_not_be_set"));
    // Refused exactly when a field is invalid; the length of the composed text says nothing
    // when the texts are untranslated keys.
    if (invalid)
        services.boxes.messageBox(text, translate(QStringLiteral("Error")),
                                  platform::MessageBoxes::Icon::Error,
                                  platform::MessageBoxes::Buttons::Ok);
    return !invalid;
}

void TForm1::discardQueuedRequests(const QString& reason) {
    for (const QByteArray& frame : std::as_const(messagesToSend)) {
        if (!frame.isEmpty())
            log().logStringOnly(QStringLiteral("Request not sent (%1): %2")
                                    .arg(reason, protocol::frameAsHex(frame)));
    }
    messagesToSend.clear();
}

void TForm1::endChange(const QString& reason) {
    discardQueuedRequests(reason);
    changeInProgress.reset();
}

void TForm1::endChangeForScan() {
    if (!changeInProgress)
        return;
    // The list the change wrote to is emptied: an answer that comes now has no line of the
    // change left to go to.
    log().logStringOnly(QStringLiteral("Change still waiting for its answers ended by the scan"));
    TimerSetParam->stop();
    setParameterTimerCount = 0;
    endChange(QStringLiteral("a scan started"));
}

bool TForm1::acceptChangeAnswer(quint8 code, const QString& sourceIp) {
    if (!changeInProgress || changeInProgress->awaitedAnswers.isEmpty()) {
        log().logStringOnly(QStringLiteral("Change answer without a change in progress ignored"));
        return false;
    }
    if (sourceIp != changeInProgress->addressBefore && sourceIp != changeInProgress->addressAfter) {
        log().logStringOnly(QStringLiteral("Change answer from ") + sourceIp +
                            QStringLiteral(", not the changed device, ignored"));
        return false;
    }
    // A repeated answer to a request already answered must not stand in for the answer to
    // the next one, which may never come.
    if (!changeInProgress->awaitedAnswers.removeOne(code)) {
        log().logStringOnly(QStringLiteral("Change answer %1 to no request awaiting one, ignored")
                                .arg(QString::number(code, 16).toUpper()));
        return false;
    }
    return true;
}

void TForm1::actChangeIPConfigExecute() {
    log().logStringOnly(QStringLiteral("**** Start change config"));
    reselectDevice();
    const int selected = ListView1->selectedRow();
    if (selected < 0) {
        log().logStringOnly(QStringLiteral("No device line for ") + EditMacAddr->text() +
                            QStringLiteral(", nothing to change"));
        return;
    }
    // The IP goes out and into the list in canonical form, as netmask and gateway do, so
    // that the answers from the new address still find the line; the link-local and the
    // duplicate tests see the address that would be sent (0169.254.1.2 is 169.254.1.2).
    if (net::isValidIpText(EditIpAddr->text()))
        EditIpAddr->setText(normalizeAddr(EditIpAddr->text()));
    const bool ticked = CheckBoxDhcpEnabled->isChecked();
    if (net::isLinkLocalIp(EditIpAddr->text()) && !ticked) {
        services.boxes.messageBox(translate(QStringLiteral("This_is_a_link_local_address")),
                                  translate(QStringLiteral("Error")),
                                  platform::MessageBoxes::Icon::Error,
                                  platform::MessageBoxes::Buttons::Ok);
        return;
    }

    const auto differs = [this](QLineEdit* edit, int cell) {
        return edit->text() != deviceLines->cell(ListView1->selectedRow(), cell);
    };
    const auto netmaskDiffers = [&] {
        return EditNetMask->text() != NotAvailText && differs(EditNetMask, 1);
    };
    const auto gatewayDiffers = [&] {
        return EditGatewayAddr->text() != NotAvailText && differs(EditGatewayAddr, 2);
    };

    // Every test that may refuse runs before anything is queued or timed: a refused change
    // sends nothing and shows nothing but its refusal.
    const bool sendDhcp = dhcpChanged();
    const bool dhcpOff = sendDhcp && !ticked;
    if (sendDhcp) {
        log().logStringOnly(QStringLiteral("DCHP changed start set query"));
        if (dhcpOff) {
            if (!fieldCheck(true, true, true))
                return;
        } else if (!fieldCheck(differs(EditIpAddr, 0), netmaskDiffers(), gatewayDiffers())) {
            // Switching DHCP on runs no check of its own, yet an invalid address that would
            // be queued behind the DHCP request must never be sent.
            return;
        }
    } else if (!ticked) {
        if (!differs(EditIpAddr, 0) && !differs(EditNetMask, 1) && !differs(EditGatewayAddr, 2) &&
            CheckBoxDhcpEnabled->isEnabled()) {
            log().logStringOnly(QStringLiteral("Nix geändert, nicht speichern"));
            return;
        }
        if (!fieldCheck(true, true, true))
            return;
    } else if (!fieldCheck(differs(EditIpAddr, 0), netmaskDiffers(), gatewayDiffers())) {
        return;
    }

    for (int row = 0; row < deviceLines->count(); ++row) {
        if (deviceLines->cell(row, 0) == EditIpAddr->text() &&
            deviceLines->caption(row) != EditMacAddr->text()) {
            showAsInvalid(EditIpAddr, true);
            services.boxes.messageBox(
                translate(QStringLiteral("ip_already_in_use")), translate(QStringLiteral("Error")),
                platform::MessageBoxes::Icon::Error, platform::MessageBoxes::Buttons::Ok);
            return;
        }
    }

    // A transaction never sends what an earlier one left behind, nor takes its answers.
    endChange(QStringLiteral("left from an earlier change"));
    answerCount = 0;
    ChangeInProgress change;
    change.serial = ++changesStarted;
    change.mac = EditMacAddr->text();
    change.addressBefore = deviceLines->cell(ListView1->selectedRow(), 0);
    change.addressAfter = change.addressBefore;
    change.lineAddress = oldIP;
    change.dhcpOn = ticked;
    // An address that is no address (the not-available text, with DHCP switched off) is
    // left out; the end of the change names it.
    const auto queueAddress = [&](QLineEdit* edit, protocol::TSetAddrType type,
                                  const char* nameKey) -> QString {
        enableTimer(TimerSetParam);
        setAddr(edit->text(), type, false);
        setAddr(edit->text(), type, true);
        if (!net::isValidIpText(edit->text())) {
            change.notSent.append(translate(QString::fromLatin1(nameKey)));
            return QString();
        }
        return normalizeAddr(edit->text());
    };

    if (sendDhcp) {
        enableTimer(TimerSetParam);
        setDhcp(ticked);
    }
    if (differs(EditIpAddr, 0) || dhcpOff)
        change.addressAfter = queueAddress(EditIpAddr, protocol::atIP, "errorText_ip");
    if (netmaskDiffers() || dhcpOff)
        change.netmask = queueAddress(EditNetMask, protocol::atNetmask, "errorText_netmask");
    if (gatewayDiffers() || dhcpOff)
        change.gateway = queueAddress(EditGatewayAddr, protocol::atGateway, "errorText_gateway");

    if (!messagesToSend.isEmpty()) {
        changeInProgress = change;
        answerState = asPending;
        setHourglassCursor();
        pump();
        StartSave();
        pump();
    }
}

void TForm1::setAddr(const QString& addrToSet, protocol::TSetAddrType addrType, bool permanent) {
    setAnswer = false;
    pump();
    SockAddr = protocol::kLimitedBroadcast;
    struct Variant {
        protocol::TDeviceCommand command;
        const char* logLine;
    };
    static constexpr Variant temporary[] = {
        {protocol::dcSetIpTemporary, "Send message IP temp"},
        {protocol::dcSetNetmaskTemporary, "Send Netmask IP temp"},
        {protocol::dcSetGatewayTemporary, "Send message Gateway temp"}};
    static constexpr Variant lasting[] = {
        {protocol::dcSetIpPermanent, "Send message IP permanent"},
        {protocol::dcSetNetmaskPermanent, "Send message Netmask permanent"},
        {protocol::dcSetGatewayPermanent, "Send message Gateway permanent"}};
    if (addrType == protocol::atDhcp)
        return;
    const Variant& variant = (permanent ? lasting : temporary)[addrType];
    log().logStringOnly(QString::fromLatin1(variant.logLine));

    const auto macBytes = protocol::macBytesFromText(EditMacAddr->text());
    if (!macBytes || !net::isValidIpText(addrToSet)) {
        log().logStringOnly(QStringLiteral("Not queued, no valid address: ") + addrToSet);
        return;
    }
    const QByteArray frame =
        protocol::buildFrame(variant.command, *macBytes + protocol::addressBytes(addrToSet));
    lastChangedMacAddr = EditMacAddr->text();
    const qsizetype at = messagesToSend.size();
    messagesToSend.append(frame);
    log().logStringOnly(QStringLiteral("Adding to list at : %1 ").arg(at) +
                        protocol::frameAsCharacters(frame));
}

void TForm1::setDhcp(bool value) {
    askForRestart = false;
    setAnswer = false;
    pump();
    log().logStringOnly(QStringLiteral("Set DHCP for ") + EditMacAddr->text());
    SockAddr = deviceLines->cell(ListView1->selectedRow(), 0);
    const QByteArray frame =
        protocol::buildFrame(protocol::dcSetDhcp, QByteArray(1, value ? 1 : 0));
    const qsizetype at = messagesToSend.size();
    messagesToSend.append(frame);
    log().logStringOnly(QStringLiteral("Adding to list at : %1 ").arg(at) +
                        protocol::frameAsCharacters(frame));
    lastChangedMacAddr = EditMacAddr->text();
    log().logStringOnly(QStringLiteral("Set DHCP Message ") + protocol::frameAsCharacters(frame));
    pump();
}

void TForm1::failTransaction() {
    answerState = asFailed;
    TimerSetParam->stop();
    setParameterTimerCount = 0;
    endChange(QStringLiteral("the change failed"));
    ListView1->viewport()->update();
    doCloseSocket(0, 0);
}

void TForm1::StartSave() {
    log().logStringOnly(QStringLiteral("********* Start save"));
    createSocket();
    const qsizetype count = messagesToSend.size();
    if (count == 0)
        return;
    ButtonScan->setEnabled(false);
    ButtonSet->setEnabled(false);
    actBlink->setEnabled(false);
    actRestart->setEnabled(false);
    for (qsizetype i = 0; i < messagesToSend.size(); ++i) {
        if (messagesToSend[i].isEmpty()) {
            pump();
            continue;
        }
        const QByteArray frame = messagesToSend[i];
        // The DHCP request carries no MAC: it goes to the device's own address.
        if (quint8(frame[1]) == protocol::dcSetDhcp) {
            reselectDevice();
            SockAddr = deviceLines->cell(ListView1->selectedRow(), 0);
        } else {
            SockAddr = protocol::kLimitedBroadcast;
        }
        log().logStringOnly(QStringLiteral("Sending from list at :%1 ").arg(i) +
                            protocol::frameAsCharacters(frame) +
                            QStringLiteral(" to Socket %1").arg(FSocket()));
        int error = 0;
        if (SockAddr.isEmpty() || !sendFrame(frame, &error)) {
            services.boxes.showMessage(translate(QStringLiteral("Error_sending_save")));
            failTransaction();
        } else {
            messagesToSend[i].clear();
            if (changeInProgress)
                changeInProgress->awaitedAnswers.append(quint8(frame[1]) | 0x80);
        }
        return;
    }
    // Complete: whatever comes now is no answer of this change.
    const QStringList notSent = changeInProgress ? changeInProgress->notSent : QStringList();
    changeInProgress.reset();
    answerState = asSuccess;
    ListView1->viewport()->update();
    pump();
    pump();
    messagesToSend.clear();
    pump();
    if (askForRestart) {
        QString text = translate(QStringLiteral("Settings_are_valid_only_after_TORVANE_restart")) +
                       QStringLiteral("\r\n") +
                       translate(QStringLiteral("Do_you_want_to_restart_the_device_now"));
        if (CheckBoxDhcpEnabled->isChecked())
            text += QStringLiteral("\r\n\r\n") +
                    translate(QStringLiteral("You_will_have_to_scan_again_to_see_the_values_used"));
        log().logStringOnly(QStringLiteral("---------------------"));
        const auto answer = services.boxes.messageBox(
            text, translate(QStringLiteral("Configuration_change")),
            platform::MessageBoxes::Icon::Question, platform::MessageBoxes::Buttons::YesNo);
        if (answer == platform::MessageBoxes::Answer::Yes) {
            askForRestart = false;
            setRestart(EditMacAddr->text());
        }
    }
    if (notSent.isEmpty()) {
        doCloseSocket(int(count), askForRestart ? 1 : 0);
        return;
    }
    // Not all was written: the status says what was left out instead of the plain finish.
    setStatusText(translate(QStringLiteral("Operation_finished_not_sent")) + QLatin1Char(' ') +
                  notSent.join(QStringLiteral(", ")));
    doCloseSocket(0, askForRestart ? 1 : 0);
}

void TForm1::changeAnswer(const protocol::ReceiveBuffer& buffer, const QString& sourceIp) {
    // Only the answer to a request of the change in progress, from its device, counts. Any
    // other (a late duplicate, an answer after a scan ended the change, the answer to another
    // PC changing a device) would write into the sender's line and send or offer what
    // nobody asked for.
    const quint8 code = buffer[1];
    if (!acceptChangeAnswer(code, sourceIp))
        return;
    ++answerCount;
    const quint8 status = buffer[2];
    const auto refused = [this](const char* key) {
        setStatusText(translate(QString::fromLatin1(key)));
        // The transaction stops here; nothing of it may reach the device later.
        endChange(QStringLiteral("the device refused"));
    };
    switch (code) {
    case protocol::answerCode(protocol::dcSetIpTemporary):
    case protocol::answerCode(protocol::dcSetIpPermanent):
        if (status == 0) {
            setStatusText(translate(QStringLiteral("Setting_IP_address")));
            markChanged(sourceIp, protocol::atIP);
        } else if (status == 1) {
            refused("Setting_not_allowed");
        } else if (status == 2) {
            refused("Setting_not_possible");
        }
        break;
    case protocol::answerCode(protocol::dcSetNetmaskTemporary):
    case protocol::answerCode(protocol::dcSetNetmaskPermanent):
        setStatusText(translate(QStringLiteral("Setting_Netmask_OK")));
        markChanged(sourceIp, protocol::atNetmask);
        break;
    case protocol::answerCode(protocol::dcSetGatewayTemporary):
    case protocol::answerCode(protocol::dcSetGatewayPermanent):
        setStatusText(translate(QStringLiteral("Setting_Gatewayaddress_OK")));
        markChanged(sourceIp, protocol::atGateway);
        break;
    case protocol::answerCode(protocol::dcSetDhcp):
        if (status == 0) {
            log().logStringOnly(QStringLiteral("---- dchp state changed "));
            setStatusText(translate(QStringLiteral("Setting_DHCP_OK")));
            askForRestart = true;
            markChanged(sourceIp, protocol::atDhcp);
        } else if (status == 1) {
            refused("Setting_DHCP_not_allowed");
        } else if (status == 2) {
            refused("Setting_DHCP_not_possible");
        }
        break;
    default:
        break;
    }
}

void TForm1::markChanged(const QString& ssourceip, protocol::TSetAddrType addTyp) {
    if (!changeInProgress)
        return;
    const int serial = changeInProgress->serial;
    const auto stillThisChange = [&] {
        return changeInProgress && changeInProgress->serial == serial;
    };
    // Every line is visited, in order, and matched at the time it is visited: after an IP
    // answer the line already carries the new address.
    for (int row = 0; row < deviceLines->count() && stillThisChange(); ++row) {
        ChangeInProgress& change = *changeInProgress;
        const QString ip = deviceLines->cell(row, 0);
        if (ip != ssourceip && ip != change.lineAddress)
            continue;
        setAnswer = true;
        // The editor is brought up to date only while it still shows the changed device.
        const bool editorShowsDevice = EditMacAddr->text() == change.mac;
        switch (addTyp) {
        case protocol::atIP:
            deviceLines->setCell(row, 0, change.addressAfter);
            change.lineAddress.clear();
            oldIP.clear();
            break;
        case protocol::atNetmask:
            if (change.netmask.isEmpty())
                break;
            if (editorShowsDevice)
                EditNetMask->setText(change.netmask);
            deviceLines->setCell(row, 1, change.netmask);
            break;
        case protocol::atGateway:
            if (change.gateway.isEmpty())
                break;
            if (editorShowsDevice)
                EditGatewayAddr->setText(change.gateway);
            deviceLines->setCell(row, 2, change.gateway);
            break;
        case protocol::atDhcp:
            deviceLines->setCell(row, 3, change.dhcpOn ? dhcpActiveText : dhcpNotActiveText);
            break;
        }
        pump();
        QThread::msleep(kNextRequestDelayMs);
        // A scan started while events were pumped ends the change: nothing more is sent.
        if (!stillThisChange())
            return;
        StartSave();
        pump();
        ListView1->viewport()->update();
    }
}

void TForm1::TimerSetParamTimer() {
    if (setAnswer) {
        setParameterTimerCount = 0;
        TimerSetParam->stop();
    } else if (setParameterTimerCount < kTimeoutTicks) {
        ++setParameterTimerCount;
    } else {
        setStatusText(translate(QStringLiteral("Changes_not_saved")));
        TimerSetParam->stop();
        setParameterTimerCount = 0;
        answerState = asFailed;
        ListView1->viewport()->update();
        ButtonSet->setEnabled(true);
        actBlink->setEnabled(true);
        actRestart->setEnabled(true);
        ButtonScan->setEnabled(true);
        endChange(QStringLiteral("no answer in time"));
        services.boxes.showMessage(translate(QStringLiteral("Parameter_setting_timeout")));
        setDefaultCursor();
    }
}

} // namespace app
