#pragma once

#include "cli/apply_report.h"
#include "engine/change_journal.h"
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

// The wanted values the device shows already that are written again all the same: an
// earlier change of them did not end done (the device may hold them only until its next
// restart), or the device's answer came from another address than its own and so proves
// nothing.
QList<engine::Field> writtenAgain(const engine::DeviceRecord& device, const WantedValues& wanted,
                                  const engine::UnfinishedValues& unfinished);

// The values that differ from what the device reported, each from -> to, and those written
// again (from = to). A DHCP state for a device whose answer carries none is a change from
// "n/a".
ValueChanges valueChanges(const engine::DeviceRecord& device, const WantedValues& wanted,
                          const QList<engine::Field>& again = {});
bool anyChange(const ValueChanges& changes);

// "doubtful: the scan answer came from A, not from B, the address it claims"
QString doubtfulText(const engine::DeviceRecord& device);

// What the device's answer to the closing scan says against the wanted values: empty when
// it answered from its new address with them (a value its answer does not carry counts as
// shown), else what it showed.
QString verificationProblem(const engine::DeviceRecord* device, const QString& expectedIp,
                            const WantedValues& wanted);

// Why the device cannot become what is wanted before anything is sent; empty when it can.
QString refusalBeforeSending(const engine::DeviceRecord& device, const WantedValues& wanted);

// The change as the window's Save would make it with the wanted values in its editor.
engine::ChangeRequest changeRequest(const engine::DeviceRecord& device, const WantedValues& wanted,
                                    const QList<engine::Field>& again = {});

} // namespace cli
