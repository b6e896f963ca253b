#pragma once

#include "cli/apply_report.h"
#include "engine/change_plan.h"
#include "engine/device_record.h"

#include <QString>

#include <array>
#include <optional>

namespace cli {

// What a device is to become: the values given; the others stay.
struct WantedValues {
    std::optional<QString> ip;
    std::optional<QString> netmask;
    std::optional<QString> gateway;
    std::optional<bool> dhcp;
};

// The values that differ from what the device reported, each from -> to.
ValueChanges valueChanges(const engine::DeviceRecord& device, const WantedValues& wanted);
bool anyChange(const ValueChanges& changes);

// Why the device cannot become what is wanted before anything is sent; empty when it can.
QString refusalBeforeSending(const engine::DeviceRecord& device, const WantedValues& wanted);

// The change as the window's Save would make it with the wanted values in its editor.
engine::ChangeRequest changeRequest(const engine::DeviceRecord& device, const WantedValues& wanted);

} // namespace cli
