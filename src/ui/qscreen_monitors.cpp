#include "ui/qscreen_monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace ui {

QList<QRect> QScreenMonitors::monitorRects() const {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) {
        rects.append(screen->geometry());
    }
    return rects;
}

} // namespace ui
