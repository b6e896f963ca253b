#pragma once

#include <QString>

#include <optional>

namespace cli {

// What a value typed by a person or read from a plan turns into: the canonical text, or
// why it cannot be sent to a device.
struct Checked {
    std::optional<QString> value;
    QString problem;
};

// A MAC address in any case, with "-" or ":" between the pairs: "02:ab:..." gives
// "02-AB-...".
Checked macAddress(const QString& text);
// The address a device is to take: dotted decimal, 1.0.0.0 to 223.255.255.255.
Checked deviceAddress(const QString& text);
// A netmask of 1 to 31 leading one bits.
Checked netmask(const QString& text);
// A gateway: a device address, or 0.0.0.0 for none.
Checked gatewayAddress(const QString& text);
// A local address to work through.
Checked adapterAddress(const QString& text);
// "on" or "off" (also "active" or "inactive", as the scan shows it), in any case.
std::optional<bool> dhcpSwitch(const QString& text);

} // namespace cli
