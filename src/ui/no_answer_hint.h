#pragma once

#include "net/firewall_probe.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace ui {

// What the window says after a scan that no device answered: the status panel tells what
// may stop the answers (the firewall for certain, when its ruleset can be read), and so
// does a box that leaves the window usable, unless the user turned the box off.
class NoAnswerHint : public QObject {
    Q_OBJECT
public:
    struct Texts {
        std::function<QString(const QString& key)> translate;
        std::function<void(const QString& text)> showStatus;
        std::function<bool()> boxWanted;
    };
    NoAnswerHint(QWidget* window, Texts texts);

    // The scan period ended with no device listed; the adapter sits on interfaceName.
    void scanHeardNothing(const QString& interfaceName);
    // A new scan began: what the last one would have said is not said any more.
    void scanStarted();

private:
    void show(const QString& dropPoint);

    QWidget* window;
    Texts texts;
    net::FirewallProbe probe;
    bool waiting = false;
    QPointer<QMessageBox> box;
};

} // namespace ui
