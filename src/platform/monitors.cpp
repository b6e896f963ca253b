#include "platform/monitors.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

qint64 area(const QRect& rect) {
    return rect.isValid() ? qint64(rect.width()) * rect.height() : 0;
}

// The gap between two rectangles along one axis, 0 when they overlap on it.
qint64 gap(qint64 firstStart, qint64 firstEnd, qint64 secondStart, qint64 secondEnd) {
    return std::max<qint64>({0, secondStart - firstEnd, firstStart - secondEnd});
}

qint64 squaredDistance(const QRect& a, const QRect& b) {
    const qint64 dx =
        gap(a.left(), a.left() + qint64(a.width()), b.left(), b.left() + qint64(b.width()));
    const qint64 dy =
        gap(a.top(), a.top() + qint64(a.height()), b.top(), b.top() + qint64(b.height()));
    return dx * dx + dy * dy;
}

} // namespace

int monitorCount(const Monitors& monitors) {
    return static_cast<int>(monitors.monitorRects().size());
}

QRect desktopRect(const Monitors& monitors) {
    QRect bounds;
    for (const QRect& monitor : monitors.monitorRects()) {
        bounds = bounds.united(monitor);
    }
    return bounds;
}

int nearestMonitor(const Monitors& monitors, const QRect& rect) {
    const QList<QRect> rects = monitors.monitorRects();
    int best = 0;
    qint64 bestShared = 0;
    for (int i = 0; i < rects.size(); ++i) {
        const qint64 shared = area(rects.at(i).intersected(rect));
        if (shared > bestShared) {
            best = i;
            bestShared = shared;
        }
    }
    if (bestShared > 0) {
        return best;
    }
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < rects.size(); ++i) {
        const qint64 distance = squaredDistance(rects.at(i), rect);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace platform
