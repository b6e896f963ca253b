#include "ui/repaint_pacer.h"

#include <QWidget>

namespace ui {

RepaintPacer::RepaintPacer(QWidget* widget) : QObject(widget), widget(widget) {
    interval.setSingleShot(true);
    interval.setInterval(kIntervalMs);
    connect(&interval, &QTimer::timeout, this, &RepaintPacer::intervalEnded);
}

void RepaintPacer::noteChange() {
    if (!interval.isActive()) {
        interval.start();
        return;
    }
    if (!holding) {
        holding = true;
        widget->setUpdatesEnabled(false);
    }
}

void RepaintPacer::intervalEnded() {
    if (!holding)
        return;
    holding = false;
    // Enabling updates redraws the whole widget, which shows every change held back.
    widget->setUpdatesEnabled(true);
    interval.start();
}

} // namespace ui
