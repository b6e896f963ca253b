// The window's side of the device engine: the user's clicks become engine calls with the
// values of the edits, and the engine's events become lines, colours, texts and boxes.
#include "app/address_rule_text.h"
#include "app/form1.h"

#include "app/scan_inventory.h"
#include "net/firewall_probe.h"
#include "net/ipv4.h"
#include "platform/message_boxes.h"
#include "statelog/log_buffer.h"
#include "ui/device_list_view.h"
#include "ui/hints_page.h"
#include "ui/model/device_table.h"
#include "ui/no_answer_hint.h"
#include "ui/options_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace app {

namespace {

const QString kNoMac = QStringLiteral("00-00-00-00-00-00");
// The cells the list shows; the last one is never shown.
constexpr int kShownCells = ui::DeviceTable::kCellCount - 1;

} // namespace

void TForm1::connectEngine() {
    engine::Events& events = deviceEngine->events();
    // The settings dialog holds the page whose box turns the no-answer box off.
    auto* noAnswerHint = new ui::NoAnswerHint(
        this, {[this](const QString& key) { return translate(key); },
               [this](const QString& text) { setStatusText(text); },
               [this] {
                   const auto* page =
                       windows.options ? windows.options->findChild<ui::HintsPage*>() : nullptr;
                   return !page || page->CheckBoxNoAnswerHint->isChecked();
               }});
    connect(&events, &engine::Events::devicesCleared, this, [this, noAnswerHint] {
        deviceLines->clear();
        lineOfDevice.clear();
        noAnswerHint->scanStarted();
        // Another program may have completed (or left) a change since the last scan.
        unfinishedChanges =
            services.journal ? services.journal->unfinished() : engine::UnfinishedValues();
    });
    // Answers taken in together reach the list as one merge, and each text is translated
    // once for all of them.
    connect(&events, &engine::Events::batchBegins, this, [this] { deviceLines->beginBatch(); });
    connect(&events, &engine::Events::batchEnds, this, [this] {
        deviceLines->endBatch();
        batchTranslations.clear();
    });
    connect(&events, &engine::Events::deviceAdded, this, [this](engine::DeviceId id) {
        const engine::DeviceRecord& device = deviceEngine->devices().at(id);
        if (std::size_t(id) >= lineOfDevice.size())
            lineOfDevice.resize(std::size_t(id) + 1);
        lineOfDevice[std::size_t(id)] = deviceLines->addLine(device.mac, cellsOf(device));
    });
    connect(&events, &engine::Events::deviceChanged, this, &TForm1::showDevice);
    connect(&events, &engine::Events::statusChanged, this, [this](engine::Status status) {
        setStatusText(translateInBatch(engine::statusKey(status)));
    });
    connect(&events, &engine::Events::readsProgressed, this, [this](int done, int total) {
        setStatusText(translate(QStringLiteral("Reading_netmask_and_gateway")) +
                      QStringLiteral(" %1 ").arg(done) + translate(QStringLiteral("Reading_of")) +
                      QStringLiteral(" %1").arg(total));
    });
    connect(&events, &engine::Events::scanFinished, this,
            [this, noAnswerHint](engine::ScanSummary summary) {
                reportUnreadDatagrams(summary);
                // Lost or broken answers are the better explanation of an empty list.
                if (deviceEngine->devices().count() == 0 && summary.dropped == 0 &&
                    summary.unreadable == 0)
                    noAnswerHint->scanHeardNothing(
                        net::interfaceHolding(deviceEngine->interfaces(), deviceEngine->adapter()));
                // The reads go on at their pace and close the endpoint when they end; a new scan
                // may be started meanwhile, unless it would end a change that waits for answers.
                if (deviceEngine->discovery().readsRunning() &&
                    !deviceEngine->transaction().underWay()) {
                    ButtonScan->setEnabled(true);
                    setDefaultCursor();
                }
            });
    connect(&events, &engine::Events::readsFinished, this, [this] {
        // Scan waits for the close that follows, which gives it back.
        if (deviceEngine->endpointOpen())
            ButtonScan->setEnabled(false);
    });
    connect(&events, &engine::Events::failed, this, &TForm1::showFailure);
    connect(&events, &engine::Events::changeStarted, this, &TForm1::setHourglassCursor);
    connect(&events, &engine::Events::changeSending, this, [this] {
        ButtonScan->setEnabled(false);
        ButtonSet->setEnabled(false);
        actBlink->setEnabled(false);
        actRestart->setEnabled(false);
    });
    connect(&events, &engine::Events::changeStateChanged, this,
            [this] { ListView1->viewport()->update(); });
    connect(&events, &engine::Events::changeValueRecorded, this, &TForm1::noteValueRecorded);
    connect(&events, &engine::Events::changeValueConfirmed, this,
            [this](engine::Field field, const QString& value) {
                if (field == engine::Field::Ip)
                    oldIp.clear();
                // The editor is brought up to date only while it still shows the device.
                if (EditMacAddr->text() != deviceEngine->transaction().lastChangedMac())
                    return;
                if (field == engine::Field::Netmask)
                    EditNetMask->setText(value);
                else if (field == engine::Field::Gateway)
                    EditGatewayAddr->setText(value);
            });
    connect(&events, &engine::Events::changeTimedOut, this, [this] {
        ButtonSet->setEnabled(true);
        actBlink->setEnabled(true);
        actRestart->setEnabled(true);
        ButtonScan->setEnabled(true);
        setDefaultCursor();
    });
    connect(&events, &engine::Events::valuesNotSent, this,
            [this](const QList<engine::Field>& fields) {
                QStringList names;
                for (const engine::Field field : fields) {
                    names << translate(field == engine::Field::Ip        ? "errorText_ip"
                                       : field == engine::Field::Netmask ? "errorText_netmask"
                                                                         : "errorText_gateway");
                }
                setStatusText(translate(QStringLiteral("Operation_finished_not_sent")) +
                              QLatin1Char(' ') + names.join(QStringLiteral(", ")));
            });
    connect(&events, &engine::Events::restartOffered, this, &TForm1::offerRestart);
    connect(&events, &engine::Events::endpointClosed, this, &TForm1::endpointWasClosed);
    if (services.history)
        new ScanInventory(*deviceEngine, *services.history, deviceTypes, this);
    connectSubnetMove();
    deviceEngine->setLineIndex([this](engine::DeviceId id) {
        return std::size_t(id) < lineOfDevice.size()
                   ? deviceLines->rowOf(lineOfDevice[std::size_t(id)])
                   : -1;
    });
}

QString TForm1::addressText(const engine::AddressField& field) const {
    switch (field.state) {
    case engine::AddressState::Empty:
        return QString();
    case engine::AddressState::Value:
        return field.text;
    case engine::AddressState::Searching:
        return texts.searching;
    case engine::AddressState::NotAvailable:
        return texts.notAvailable;
    case engine::AddressState::NotConfigurable:
        return texts.notConfigurable;
    }
    return QString();
}

QString TForm1::dhcpText(engine::DhcpMode mode) const {
    switch (mode) {
    case engine::DhcpMode::Unknown:
        return QString();
    case engine::DhcpMode::NotReported:
        return texts.notAvailableShort;
    case engine::DhcpMode::NotSupported:
        return texts.dhcpNotSupported;
    case engine::DhcpMode::NotActive:
        return texts.dhcpNotActive;
    case engine::DhcpMode::Active:
        return texts.dhcpActive;
    }
    return QString();
}

ui::DeviceTable::Cells TForm1::cellsOf(const engine::DeviceRecord& device) const {
    QString typeName = deviceTypeName(device.typeCode).value_or(QString());
    if (typeName.isEmpty())
        typeName = QStringLiteral("not defined (%1)").arg(device.typeCode);
    const QString restart = device.restart == engine::RestartSupport::Supported
                                ? QStringLiteral("restartSupported")
                            : device.restart == engine::RestartSupport::NotSupported
                                ? QStringLiteral("restartNOTSupported")
                                : QString();
    return {device.ip,
            addressText(device.netmask),
            addressText(device.gateway),
            dhcpText(device.dhcp),
            typeName,
            device.revision,
            device.duplicateMark ? QStringLiteral("D") : QStringLiteral(" "),
            restart,
            QString()};
}

void TForm1::showDevice(engine::DeviceId id) {
    if (std::size_t(id) >= lineOfDevice.size())
        return;
    ui::DeviceLine* line = lineOfDevice[std::size_t(id)];
    const ui::DeviceTable::Cells cells = cellsOf(deviceEngine->devices().at(id));
    for (int index = 0; index < kShownCells; ++index)
        deviceLines->setCell(line, index, cells[std::size_t(index)]);
}

void TForm1::reportUnreadDatagrams(const engine::ScanSummary& summary) {
    QStringList hints;
    if (summary.dropped > 0)
        hints << QString::number(summary.dropped) + u' ' +
                     translate(QStringLiteral("answers_were_lost_scan_again"));
    if (summary.unreadable > 0)
        hints << QString::number(summary.unreadable) + u' ' +
                     translate(QStringLiteral("datagrams_could_not_be_read"));
    if (!hints.isEmpty())
        setStatusText(hints.join(QStringLiteral("; ")));
}

QString TForm1::translateInBatch(const QString& key) {
    auto known = batchTranslations.constFind(key);
    if (known == batchTranslations.cend())
        known = batchTranslations.insert(key, translate(key));
    return *known;
}

void TForm1::showLater(std::function<void()> show) {
    QMetaObject::invokeMethod(this, std::move(show), Qt::QueuedConnection);
}

void TForm1::showFailure(const engine::Failure& failure) {
    using Kind = engine::Failure::Kind;
    const QString key = engine::failureKey(failure.kind);
    QString text = translate(key);
    if (failure.kind == Kind::SocketError)
        text += QStringLiteral(" %1").arg(failure.error);
    else if (failure.kind == Kind::BindError)
        text += QStringLiteral(" %1\n\r").arg(failure.error) +
                translate(QStringLiteral("please_refer_for_help"));
    else if (failure.kind == Kind::PortInUse)
        text += u' ' + failure.holder;
    // The operation the endpoint could not be opened for sent nothing and is over.
    if (failure.kind == Kind::PortInUse || failure.kind == Kind::BindError)
        giveControlsBack({});
    if (failure.kind == Kind::PortInUse)
        setStatusText(text);
    showLater([this, text] { services.boxes.showMessage(text); });
}

void TForm1::offerRestart(bool dhcpTicked) {
    QString text = translate(QStringLiteral("Settings_are_valid_only_after_TORVANE_restart")) +
                   QStringLiteral("\r\n") +
                   translate(QStringLiteral("Do_you_want_to_restart_the_device_now"));
    if (dhcpTicked)
        text += QStringLiteral("\r\n\r\n") +
                translate(QStringLiteral("You_will_have_to_scan_again_to_see_the_values_used"));
    showLater([this, text] {
        const auto answer = services.boxes.messageBox(
            text, translate(QStringLiteral("Configuration_change")),
            platform::MessageBoxes::Icon::Question, platform::MessageBoxes::Buttons::YesNo);
        deviceEngine->answerRestartOffer(answer == platform::MessageBoxes::Answer::Yes);
    });
}

void TForm1::endpointWasClosed(const engine::CloseResult& result) {
    giveControlsBack(result);
    emit endpointClosed();
}

void TForm1::giveControlsBack(const engine::CloseResult& result) {
    ButtonScan->setEnabled(true);
    if (ListView1->selectedRow() >= 0) {
        offerSave(!result.closed || !net::isLinkLocalIp(EditIpAddr->text()));
        actBlink->setEnabled(true);
        if (result.offerRestart)
            actRestart->setEnabled(true);
    }
    offerMove();
    setDefaultCursor();
}

void TForm1::offerSave(bool wanted) {
    ButtonSet->setEnabled(wanted && !deviceEngine->transaction().underWay());
}

void TForm1::ButtonScanClick() {
    ButtonScan->setEnabled(false);
    // Refused (reported as a failure), the scan has sent nothing and left the list as it was.
    if (!deviceEngine->startScan())
        return;
    EditMacAddr->setText(kNoMac);
    EditIpAddr->setText(QStringLiteral("0.0.0.0"));
    EditNetMask->setText(QStringLiteral("0.0.0.0"));
    EditGatewayAddr->setText(QStringLiteral("0.0.0.0"));
    EditIpAddr->setEnabled(false);
    EditNetMask->setEnabled(false);
    EditGatewayAddr->setEnabled(false);
    CheckBoxDhcpEnabled->setEnabled(false);
    ButtonSet->setEnabled(false);
    actBlink->setEnabled(false);
    actRestart->setEnabled(false);
    setHourglassCursor();
}

std::optional<engine::DeviceId> TForm1::deviceOfRow(int row) const {
    if (row < 0)
        return std::nullopt;
    for (std::size_t id = 0; id < lineOfDevice.size(); ++id) {
        if (deviceLines->rowOf(lineOfDevice[id]) == row)
            return engine::DeviceId(id);
    }
    return std::nullopt;
}

std::optional<engine::Target> TForm1::focusedTarget() const {
    const int row = ListView1->focusedRow();
    if (row < 0)
        return std::nullopt;
    return engine::Target{deviceLines->caption(row), deviceLines->cell(row, 0)};
}

bool TForm1::commandDeviceChosen(const QString& refusalKey) {
    if (ListView1->selectedRow() >= 0 || EditMacAddr->text() != kNoMac)
        return true;
    services.boxes.messageBox(translate(refusalKey), translate(QStringLiteral("Hint")),
                              platform::MessageBoxes::Icon::Information,
                              platform::MessageBoxes::Buttons::Ok);
    return false;
}

void TForm1::actBlinkExecute() {
    if (!deviceEngine->openEndpoint(engine::Activity::Blinking))
        return;
    if (commandDeviceChosen(QStringLiteral("No_device_selcted_for_Blink")))
        deviceEngine->blink(focusedTarget());
}

void TForm1::actRestartExecute() {
    if (!deviceEngine->openEndpoint(engine::Activity::Restarting))
        return;
    if (commandDeviceChosen(QStringLiteral("No_device_selcted_for_restart")))
        deviceEngine->restart(focusedTarget());
}

engine::AddressInput TForm1::editInput(const QLineEdit* edit) const {
    const QString text = edit->text();
    if (text == texts.notAvailable)
        return engine::AddressInput::showing(engine::AddressState::NotAvailable, text);
    if (text == texts.searching)
        return engine::AddressInput::showing(engine::AddressState::Searching, text);
    if (text == texts.notConfigurable)
        return engine::AddressInput::showing(engine::AddressState::NotConfigurable, text);
    return engine::AddressInput::typed(text);
}

void TForm1::reselectDevice() {
    if (ListView1->selectedRow() >= 0)
        return;
    const int row = deviceLines->firstRowWithCaption(EditMacAddr->text());
    if (row >= 0)
        ListView1->selectRow(row);
}

void TForm1::actChangeIPConfigExecute() {
    // Save is not offered meanwhile; a press that comes all the same (the action called
    // directly) must not abandon the change under way.
    if (deviceEngine->transaction().underWay()) {
        services.log.logStringOnly(QStringLiteral("Save ignored: a change is still under way"));
        return;
    }
    reselectDevice();
    // The IP goes out and into the list in canonical form, as netmask and gateway do; the
    // checks see the address that would be sent (0169.254.1.2 is 169.254.1.2).
    if (net::isValidIpText(EditIpAddr->text()))
        EditIpAddr->setText(engine::normalizeAddr(EditIpAddr->text()));
    engine::ChangeRequest request{deviceOfRow(ListView1->selectedRow()),
                                  EditMacAddr->text(),
                                  EditIpAddr->text(),
                                  editInput(EditNetMask),
                                  editInput(EditGatewayAddr),
                                  CheckBoxDhcpEnabled->isChecked(),
                                  CheckBoxDhcpEnabled->isEnabled()};
    // A Save of values the device shows already completes what an earlier change left
    // unfinished: the device may hold them only until its next restart.
    if (services.journal) {
        for (const engine::Field field :
             services.journal->unfinished().value(EditMacAddr->text())) {
            if (field != engine::Field::Dhcp || CheckBoxDhcpEnabled->isEnabled())
                request.rewrite.append(field);
        }
    }
    probeThenChange(request);
}

void TForm1::startChange(const engine::ChangeRequest& request) {
    const engine::ChangeStart started = deviceEngine->change(request);
    if (started.outcome == engine::ChangeStart::Outcome::Refused)
        showRefusal(started.refusal);
}

void TForm1::showRefusal(const engine::Refusal& refusal) {
    const auto box = [this](const QString& text) {
        services.boxes.messageBox(text, translate(QStringLiteral("Error")),
                                  platform::MessageBoxes::Icon::Error,
                                  platform::MessageBoxes::Buttons::Ok);
    };
    switch (refusal.kind) {
    case engine::Refusal::Kind::None:
        return;
    case engine::Refusal::Kind::LinkLocal:
        box(translate(QStringLiteral("This_is_a_link_local_address")));
        return;
    case engine::Refusal::Kind::IpInUse:
        showAsInvalid(EditIpAddr, true);
        box(translate(QStringLiteral("ip_already_in_use")));
        return;
    case engine::Refusal::Kind::AddressRule:
        showAsInvalid(refusal.ip        ? EditIpAddr
                      : refusal.netmask ? EditNetMask
                                        : EditGatewayAddr,
                      true);
        box(addressRuleText(*this, refusal));
        return;
    case engine::Refusal::Kind::InvalidFields:
        break;
    }
    QString text = translate(QStringLiteral("errorText_wrong_value_for")) + QLatin1Char(' ');
    const std::pair<bool, std::pair<QLineEdit*, const char*>> fields[] = {
        {refusal.ip, {EditIpAddr, "errorText_ip"}},
        {refusal.netmask, {EditNetMask, "errorText_netmask"}},
        {refusal.gateway, {EditGatewayAddr, "errorText_gateway"}}};
    for (const auto& [invalid, field] : fields) {
        if (!invalid)
            continue;
        text += QLatin1Char(' ') + translate(QString::fromLatin1(field.second));
        showAsInvalid(field.first, true);
    }
    box(text + translate(QStringLiteral("errorText_will_not_be_set")));
}

void TForm1::TimerSetParamTimer() {
    deviceEngine->changeWatchTick();
}

TAnswerState TForm1::answerState() const {
    switch (deviceEngine->transaction().answerState()) {
    case engine::AnswerState::Success:
        return asSuccess;
    case engine::AnswerState::Failed:
        return asFailed;
    case engine::AnswerState::Pending:
        return asPending;
    }
    return asSuccess;
}

int TForm1::answerCount() const {
    return deviceEngine->transaction().answerCount();
}

bool TForm1::askForRestart() const {
    return deviceEngine->transaction().restartWanted();
}

QList<QByteArray> TForm1::messagesToSend() const {
    const std::vector<QByteArray> frames = deviceEngine->transaction().unsentFrames();
    return QList<QByteArray>(frames.begin(), frames.end());
}

int TForm1::setParameterTimerCount() const {
    return deviceEngine->transaction().watchTicks();
}

bool TForm1::changeWatchRunning() const {
    return deviceEngine->transaction().watchRunning();
}

bool TForm1::scanRunning() const {
    return deviceEngine->discovery().scanRunning();
}

bool TForm1::readsRunning() const {
    return deviceEngine->discovery().readsRunning();
}

QStringList TForm1::queryParamsQueue() const {
    const auto& queue = deviceEngine->discovery().readQueue();
    return QStringList(queue.begin(), queue.end());
}

bool TForm1::socketOpen() const {
    return deviceEngine->endpointOpen();
}

int TForm1::FSocket() const {
    return deviceEngine->endpointHandle();
}

QString TForm1::netmask() const {
    return deviceEngine->discovery().lastNetmask();
}

QString TForm1::gatewayip() const {
    return deviceEngine->discovery().lastGateway();
}

void TForm1::setTimerIntervals(const engine::Intervals& given) {
    intervals = given;
    deviceEngine->setIntervals(intervals);
}

} // namespace app
