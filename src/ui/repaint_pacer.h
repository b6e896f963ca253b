#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace ui {

// Draws a widget's bursts of changes together, its children with it. A scan burst changes
// the device list thousands of times a second, and the UI thread processes events after
// every answer, so each answer would redraw the list and its scroll bar: that takes
// milliseconds, a hundred times the answer's own work. The first change after a quiet spell
// is drawn as usual; further changes within the next interval are held back and drawn
// together when it ends, and so on while the burst lasts. Every change is on the screen
// within one interval (25 times a second, as the state window brings its bursts).
class RepaintPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 40;

    explicit RepaintPacer(QWidget* widget);

    // What the widget shows is about to change, or has changed.
    void noteChange();
    // Changes are being held back until the interval ends.
    bool isHolding() const { return holding; }
    // An interval is running: a change now would be held back.
    bool isPacing() const { return interval.isActive(); }

private:
    void intervalEnded();

    QWidget* widget;
    QTimer interval;
    bool holding = false;
};

} // namespace ui
