#pragma once

#include "cli/watch_tracker.h"

#include <QDateTime>
#include <QString>

namespace cli {

struct WatchEvent {
    QDateTime time; // UTC
    QString adapter;
    WatchChange change;
};

// One JSON object on one line: time, event, mac, ip, adapter; changes ({"ip": {"from": …,
// "to": …}}) for changed; shared_with (the other MACs) for duplicate_ip.
QString eventJson(const WatchEvent& event);
// For a person: a heading, then one line per event with fixed columns, as events come.
QString eventTableHeading();
QString eventTableLine(const WatchEvent& event);

} // namespace cli
