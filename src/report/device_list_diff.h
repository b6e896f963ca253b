#pragma once

#include "report/device_row.h"

#include <QString>

#include <optional>
#include <vector>

namespace report {

// The values of a device whose change counts: its addresses, DHCP state, type, revision.
enum class DeviceField { Ip, Netmask, Gateway, Dhcp, Type, Revision };
const std::vector<DeviceField>& comparedFields();
QString deviceFieldName(DeviceField field); // "ip", "netmask", ... "revision"

struct FieldChange {
    DeviceField field;
    // As the export writes the value; none: the device did not tell it.
    std::optional<QString> from;
    std::optional<QString> to;
};

// The fields in which after differs from before, in the order of comparedFields().
std::vector<FieldChange> fieldChanges(const DeviceRow& before, const DeviceRow& after);

struct DeviceDifference {
    enum class Kind { New, Missing, Changed };
    Kind kind = Kind::New;
    QString mac;
    QString ip;                       // the address now; of a missing device the one it had
    std::vector<FieldChange> changes; // Changed only
};
QString differenceKindName(DeviceDifference::Kind kind); // "new", "missing", "changed"

// The devices of scanned that saved lacks (new) or holds with other values (changed), in
// scanned's order, then those of saved that scanned lacks (missing), in saved's order.
// Devices are the same by MAC; a MAC listed twice counts with its last row.
std::vector<DeviceDifference> compareDeviceLists(const std::vector<DeviceRow>& saved,
                                                 const std::vector<DeviceRow>& scanned);

} // namespace report
