#pragma once

#include "report/device_row.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace report {

struct ReadDeviceList {
    std::vector<DeviceRow> rows;
    // Why the text is no device list this program saved; empty when it is one.
    QString problem;
};

// Reads a device list as the export or the inventory writes it, CSV (header row of the
// field names, further columns left alone), JSON (an array of objects) or JSON lines (one
// object a line), told apart by the first character that is no blank. Every device's MAC,
// addresses, DHCP state and type are checked; a list with any fault gives no rows.
ReadDeviceList readDeviceList(const QByteArray& text);

} // namespace report
