#pragma once

#include <QList>
#include <QRect>

namespace platform {

// The monitors of the desktop in the system's order; monitor numbers index this list.
class Monitors {
public:
    virtual ~Monitors() = default;
    virtual QList<QRect> monitorRects() const = 0;
};

int monitorCount(const Monitors& monitors);
// The bounding rectangle of all monitors; empty when there is none.
QRect desktopRect(const Monitors& monitors);
// The number of the monitor that shares the largest area with `rect`, or, when none
// shares any, of the monitor closest to it; 0 when there is no monitor at all.
int nearestMonitor(const Monitors& monitors, const QRect& rect);

} // namespace platform
