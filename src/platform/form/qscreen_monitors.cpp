#include "platform/form/qscreen_monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

QList<QRect> QScreenMonitors::monitorRects() const {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) {
        rects.append(screen->geometry());
    }
    return rects;
}

} // namespace platform
