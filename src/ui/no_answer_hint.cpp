#include "ui/no_answer_hint.h"

namespace ui {

NoAnswerHint::NoAnswerHint(QWidget* window, Texts texts)
    : QObject(window), window(window), texts(std::move(texts)) {
    connect(&probe, &net::FirewallProbe::concluded, this, [this](const QString& dropPoint) {
        if (waiting)
            show(dropPoint);
    });
}

void NoAnswerHint::scanHeardNothing(const QString& interfaceName) {
    waiting = true;
    probe.start(interfaceName);
}

void NoAnswerHint::scanStarted() {
    waiting = false;
}

void NoAnswerHint::show(const QString& dropPoint) {
    waiting = false;
    const QString text =
        dropPoint.isEmpty()
            ? texts.translate(QStringLiteral("No_device_answered_firewall_may_drop"))
            : texts.translate(QStringLiteral("No_device_answered_firewall_drops")) + u' ' +
                  dropPoint;
    texts.showStatus(text);
    if (!texts.boxWanted())
        return;
    // One box, brought up to date by every scan that hears nothing; the window stays usable
    // beside it, so the user can scan again at once.
    if (!box) {
        box = new QMessageBox(QMessageBox::Information, QString(), QString(), QMessageBox::Ok,
                              window);
        box->setObjectName(QStringLiteral("NoAnswerHintBox"));
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
    }
    box->setWindowTitle(texts.translate(QStringLiteral("Hint")));
    box->setText(text);
    box->show();
}

} // namespace ui
