// The editor panel's own handlers: validity colours while typing, the Save button withheld
// for link-local addresses, the DHCP box and the hints.
#include "app/form1.h"

#include "net/ipv4.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

namespace app {

namespace {

constexpr int kBalloonHideAfterMs = 2000;
const QColor kInvalidColour(255, 0, 0);

} // namespace

void TForm1::showAsInvalid(QLineEdit* edit, bool invalid) {
    // Only the enabled look is coloured: a disabled edit keeps the style's disabled text, so
    // that it never looks editable.
    QPalette colours = edit->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::Text,
                         invalid ? kInvalidColour
                                 : QApplication::palette(edit).color(group, QPalette::Text));
    edit->setPalette(colours);
}

namespace {

void colourByValidity(QLineEdit* edit) {
    TForm1::showAsInvalid(edit, !net::isValidIpText(edit->text()));
}

} // namespace

bool TForm1::isShownInvalid(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Active, QPalette::Text) == kInvalidColour;
}

void TForm1::EditIpAddrChange() {
    if (deviceLines->count() > 0) {
        reselectDevice();
        const int row = ListView1->selectedRow();
        // With lines but none of them the loaded device, the last known old address stays.
        if (row >= 0)
            oldIp = deviceLines->cell(row, 0);
    }
    colourByValidity(EditIpAddr);
    offerSave(!net::isLinkLocalIp(EditIpAddr->text()));
}

void TForm1::EditNetMaskChange() {
    colourByValidity(EditNetMask);
}

void TForm1::EditGatewayAddrChange() {
    colourByValidity(EditGatewayAddr);
}

void TForm1::EditAddrEnter(QLineEdit* edit) {
    showAsInvalid(edit, false);
}

void TForm1::EditsMouseEnter(QLineEdit* edit) {
    if (edit->text() == texts.notConfigurable) {
        showEditorHint(edit, texts.notConfigurableHint);
    } else {
        edit->setToolTip(QString());
        QToolTip::hideText();
    }
}

void TForm1::showEditorHint(QLineEdit* edit, const QString& hint) {
    edit->setToolTip(hint);
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), hint, edit, QRect(),
                       kBalloonHideAfterMs);
}

void TForm1::actDhcpChangedExecute() {
    // The destination rule broadcasts every device request while the box is ticked.
    deviceEngine->setDhcpTicked(CheckBoxDhcpEnabled->isChecked());
    QLineEdit* const edits[] = {EditIpAddr, EditNetMask, EditGatewayAddr};
    if (CheckBoxDhcpEnabled->isChecked()) {
        for (QLineEdit* edit : edits)
            edit->setEnabled(false);
        offerSave(true);
        return;
    }
    reselectDevice();
    for (QLineEdit* edit : edits)
        edit->setEnabled(true);
    const int row = ListView1->selectedRow();
    if (row < 0)
        return;
    // The fixed addresses are typed anew; an edit the user already changed keeps its text.
    for (int index = 0; index < 3; ++index) {
        if (edits[index]->text() == deviceLines->cell(row, index))
            edits[index]->clear();
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && (edit == EditIpAddr || edit == EditNetMask || edit == EditGatewayAddr)) {
        if (event->type() == QEvent::FocusIn)
            EditAddrEnter(edit);
        else if (event->type() == QEvent::Enter && edit != EditIpAddr)
            EditsMouseEnter(edit);
        else if (event->type() == QEvent::ToolTip && edit != EditIpAddr)
            return true; // the balloon of EditsMouseEnter is the only hint of these edits
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace app
