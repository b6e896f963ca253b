#pragma once

#include "report/device_list_diff.h"
#include "report/device_row.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace cli {

// What a watch reports about one device after a scan.
struct WatchChange {
    enum class Kind { Appeared, Disappeared, Changed, DuplicateIp };
    Kind kind = Kind::Appeared;
    QString mac;
    QString ip;
    std::vector<report::FieldChange> changes; // Changed only
    QStringList sharedWith;                   // DuplicateIp: the other MACs at ip
};
QString watchKindName(WatchChange::Kind kind); // "appeared", "disappeared", ...

// Remembers the devices of the scans so far and tells what each new scan changed. A device
// missing from one scan may only have lost its answer; it counts as disappeared when it is
// missing from two scans in a row.
class WatchTracker {
public:
    // Disappearances first (they concern devices of earlier scans), then appearances and
    // changes in the scan's order, then the devices that now share an address with another
    // MAC while they did not before.
    std::vector<WatchChange> update(const std::vector<report::DeviceRow>& scanned);

private:
    struct Known {
        report::DeviceRow row;
        int missed = 0;
    };
    QHash<QString, Known> known;
    std::vector<QString> order; // of known, as first seen
    QSet<QString> sharing;      // "ip mac" of the devices that shared their address
};

} // namespace cli
