#include "engine_device_list.h"

namespace bench {

namespace {

QString addressText(const engine::AddressField& field) {
    switch (field.state) {
    case engine::AddressState::Value:
        return field.text;
    case engine::AddressState::Searching:
        return QStringLiteral("searching...");
    case engine::AddressState::NotAvailable:
    case engine::AddressState::NotConfigurable:
        return QStringLiteral("n/a");
    case engine::AddressState::Empty:
        break;
    }
    return QString();
}

QString dhcpText(engine::DhcpMode mode) {
    switch (mode) {
    case engine::DhcpMode::NotReported:
        return QStringLiteral("n/a");
    case engine::DhcpMode::NotSupported:
        return QStringLiteral("DHCP not supported");
    case engine::DhcpMode::NotActive:
        return QStringLiteral("DHCP inactive");
    case engine::DhcpMode::Active:
        return QStringLiteral("DHCP active");
    case engine::DhcpMode::Unknown:
        break;
    }
    return QString();
}

} // namespace

void EngineDeviceList::enter(const GeneratedAnswer& answer) {
    const engine::DeviceSet::Entered entered = devices.enter(answer.mac, answer.ip);
    const engine::DeviceId id = entered.id;
    engine::DeviceRecord& record = devices.edit(id);
    record.typeCode = answer.typeCode;
    record.revision = answer.revision;
    if (answer.full) {
        record.netmask = engine::AddressField::value(QStringLiteral("255.0.0.0"));
        record.gateway = engine::AddressField::value(QStringLiteral("0.0.0.0"));
        record.dhcp = engine::DhcpMode::NotActive;
        record.restart = engine::RestartSupport::Supported;
    } else {
        record.netmask = engine::AddressField::of(engine::AddressState::Searching);
        record.gateway = engine::AddressField::of(engine::AddressState::Searching);
        record.dhcp = engine::DhcpMode::NotReported;
    }
    // As the scan announces it: a new device once, complete; a known one as changed.
    if (entered.added)
        lineOfDevice.push_back(lines.addLine(record.mac, cellsOf(record)));
    else
        show(id);
    for (const engine::DeviceId marked : entered.marksChanged) {
        if (marked != id)
            show(marked);
    }
}

ui::DeviceTable::Cells EngineDeviceList::cellsOf(const engine::DeviceRecord& device) const {
    return {device.ip,
            addressText(device.netmask),
            addressText(device.gateway),
            dhcpText(device.dhcp),
            QStringLiteral("not defined (%1)").arg(device.typeCode),
            device.revision,
            device.duplicateMark ? QStringLiteral("D") : QStringLiteral(" "),
            device.restart == engine::RestartSupport::Supported ? QStringLiteral("restartSupported")
            : device.restart == engine::RestartSupport::NotSupported
                ? QStringLiteral("restartNOTSupported")
                : QString(),
            QString()};
}

void EngineDeviceList::show(engine::DeviceId id) {
    ui::DeviceLine* line = lineOfDevice[std::size_t(id)];
    const ui::DeviceTable::Cells cells = cellsOf(devices.at(id));
    // The last cell is never shown.
    for (int index = 0; index + 1 < ui::DeviceTable::kCellCount; ++index)
        lines.setCell(line, index, cells[std::size_t(index)]);
}

} // namespace bench
