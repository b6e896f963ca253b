#pragma once

#include <QString>

namespace app {

// What the device list and the editor show in place of a value, in the window's language:
// a value the device did not report, one being read, one the device cannot change, and the
// DHCP states.
struct StateTexts {
    QString notAvailable;
    QString notAvailableShort; // in the narrow DHCP column
    QString searching;
    QString notConfigurable;
    QString notConfigurableHint; // the hint over a cell or edit that shows notConfigurable
    QString dhcpNotSupported;
    QString dhcpNotActive;
    QString dhcpActive;
};

} // namespace app
