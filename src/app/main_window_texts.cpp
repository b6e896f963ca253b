#include "app/main_window_texts.h"

#include "app/form1.h"
#include "ui/device_list_view.h"
#include "ui/model/device_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>

namespace app {

namespace {

const QString kColumnKeyPrefix = QStringLiteral("ListView1Column");

// ButtonBlink and ButtonRestart show the captions of actBlink and actRestart.
const QStringList kComponentKeys = {QStringLiteral("File1"),
                                    QStringLiteral("actSaveDeviceList"),
                                    QStringLiteral("actExit"),
                                    QStringLiteral("Settings1"),
                                    QStringLiteral("Help1"),
                                    QStringLiteral("Help2"),
                                    QStringLiteral("About1"),
                                    QStringLiteral("actBlink"),
                                    QStringLiteral("actRestart"),
                                    QStringLiteral("ButtonScan"),
                                    QStringLiteral("ButtonFilter"),
                                    QStringLiteral("ButtonSet"),
                                    QStringLiteral("LabelSelectedDevice"),
                                    QStringLiteral("LabelMacAddr"),
                                    QStringLiteral("LabelIpAddr"),
                                    QStringLiteral("Label4"),
                                    QStringLiteral("LabelGatewayAddr"),
                                    QStringLiteral("CheckBoxDhcpEnabled"),
                                    QStringLiteral("ButtonMoveIntoSubnet")};

QString leadingBlanks(const QString& text) {
    qsizetype count = 0;
    while (count < text.size() && text[count] == QLatin1Char(' '))
        ++count;
    return text.left(count);
}

void setText(QObject* component, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(component))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(component))
        action->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(component))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(component))
        label->setText(leadingBlanks(label->text()) + text);
}

} // namespace

const QStringList& mainWindowTextKeys() {
    static const QStringList keys = [] {
        QStringList all = kComponentKeys;
        for (int column = 0; column < ui::DeviceTable::kColumnCount; ++column)
            all.append(kColumnKeyPrefix + QString::number(column));
        return all;
    }();
    return keys;
}

void translateMainWindow(TForm1& form, ui::DeviceTable& lines, ui::DeviceListView& listView) {
    for (const QString& key : mainWindowTextKeys()) {
        const QString text = form.translate(key);
        // translate gives back the key itself when no table holds it.
        if (text == key)
            continue;
        if (!key.startsWith(kColumnKeyPrefix)) {
            if (QObject* component = form.findChild<QObject*>(key))
                setText(component, text);
            continue;
        }
        const int column = key.mid(kColumnKeyPrefix.size()).toInt();
        lines.setHeaderData(column, Qt::Horizontal, text, Qt::DisplayRole);
        // The columns are laid out for the design captions; only another text may need room.
        if (text != ui::DeviceTable::columnCaptions()[std::size_t(column)])
            listView.widenColumnFor(column, {text});
    }
}

} // namespace app
