// The window's side of the addresses a device may take: the marks of the devices outside the
// adapter's subnet, their move into it, and the probe that keeps a new IP from a host that is
// not a gateway of the list.
#include "app/form1.h"

#include "engine/address_conflicts.h"
#include "engine/subnet_move.h"
#include "net/ipv4.h"
#include "net/neighbour_probe.h"
#include "statelog/log_buffer.h"
#include "ui/device_list_view.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace app {

void TForm1::connectSubnetMove() {
    ListView1->setAddressMarked([this](const QString& ip) { return outsideAdapterSubnet(ip); });
    connect(ButtonMoveIntoSubnet, &QPushButton::clicked, this, &TForm1::ButtonMoveIntoSubnetClick);
    // Connected after the box's own handler, which enables or disables the edits.
    connect(CheckBoxDhcpEnabled, &QCheckBox::toggled, this, &TForm1::offerMove);
    engine::Events& events = deviceEngine->events();
    connect(&events, &engine::Events::devicesCleared, this, &TForm1::offerMove);
    connect(&events, &engine::Events::changeSending, this,
            [this] { ButtonMoveIntoSubnet->setEnabled(false); });
}

void TForm1::makeAddressProbe() {
    if (services.probe) {
        addressProbe = services.probe;
        return;
    }
    neighbourProbe = std::make_unique<net::NeighbourProbe>(networkInterfaceList);
    addressProbe = neighbourProbe.get();
}

std::optional<engine::AdapterSubnet> TForm1::currentSubnet() const {
    return engine::adapterSubnet(deviceEngine->interfaces(), deviceEngine->adapter());
}

bool TForm1::outsideAdapterSubnet(const QString& ip) const {
    const auto subnet = currentSubnet();
    return subnet && net::isValidIpText(ip) && !subnet->holds(ip);
}

QString TForm1::outsideSubnetHint() const {
    const auto subnet = currentSubnet();
    return translate(QStringLiteral("Outside_adapter_subnet"))
        .arg(subnet ? subnet->text() : QString(), deviceEngine->adapter());
}

void TForm1::offerMove() {
    const int row = ListView1->selectedRow();
    ButtonMoveIntoSubnet->setEnabled(row >= 0 && EditIpAddr->isEnabled() &&
                                     !deviceEngine->transaction().underWay() &&
                                     outsideAdapterSubnet(deviceLines->cell(row, 0)));
}

void TForm1::showError(const QString& text) {
    showLater([this, text] {
        services.boxes.messageBox(text, translate(QStringLiteral("Error")),
                                  platform::MessageBoxes::Icon::Error,
                                  platform::MessageBoxes::Buttons::Ok);
    });
}

void TForm1::ButtonMoveIntoSubnetClick() {
    reselectDevice();
    const auto subnet = currentSubnet();
    const auto id = deviceOfRow(ListView1->selectedRow());
    if (!subnet || !id)
        return;
    const engine::DeviceRecord& device = deviceEngine->devices().at(*id);
    const QString gateway = engine::gatewayAfterMove(device.gateway, *subnet);
    QSet<QString> taken =
        engine::takenAddresses(deviceEngine->interfaces(), deviceEngine->devices());
    taken.insert(gateway);
    ButtonMoveIntoSubnet->setEnabled(false);
    const auto fill = [this, mac = device.mac, mask = net::intToIpText(subnet->mask),
                       gateway](const std::optional<QString>& ip) {
        offerMove();
        // Meanwhile another device may have been loaded, or a scan may have begun.
        if (EditMacAddr->text() != mac || !EditIpAddr->isEnabled())
            return;
        if (!ip) {
            showError(translate(QStringLiteral("No_free_address_in_this_PCs_subnet")));
            return;
        }
        EditIpAddr->setText(*ip);
        EditNetMask->setText(mask);
        EditGatewayAddr->setText(gateway);
    };
    engine::findFreeAddress(addressProbe, deviceEngine->adapter(), *subnet, taken, fill);
}

void TForm1::probeThenChange(const engine::ChangeRequest& request) {
    const int row = ListView1->selectedRow();
    const bool newIp = row >= 0 && !request.dhcpTicked && net::isValidIpText(request.ip) &&
                       request.ip != deviceLines->cell(row, 0);
    if (!addressProbe || !newIp) {
        startChange(request);
        return;
    }
    const bool offered = ButtonSet->isEnabled();
    offerSave(false);
    const auto decide = [this, request, offered](const engine::Conflicts& conflicts) {
        // A scan since the press has emptied the list the change was made for.
        const engine::DeviceSet& devices = deviceEngine->devices();
        if (!request.device || !devices.contains(*request.device) ||
            devices.at(*request.device).mac != request.mac ||
            deviceEngine->transaction().underWay()) {
            services.log.logStringOnly(QStringLiteral("Save dropped: the list changed meanwhile"));
            return;
        }
        offerSave(offered);
        if (conflicts.isEmpty()) {
            startChange(request);
            return;
        }
        showAsInvalid(EditIpAddr, true);
        showError(translate(QStringLiteral("ip_in_use_by_other_host"))
                      .arg(conflicts.first().ip, conflicts.first().mac));
    };
    engine::probeConflicts(*addressProbe, deviceEngine->adapter(), {request.ip},
                           engine::listedIps(deviceEngine->devices()), decide);
}

} // namespace app
