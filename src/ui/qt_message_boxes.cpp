#include "ui/qt_message_boxes.h"

#include "ui/scrolling_text_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ui {

namespace {

QString captionOrTitle(const QString& caption) {
    return caption.isEmpty() ? QGuiApplication::applicationDisplayName() : caption;
}

QMessageBox::Icon qtIcon(platform::MessageBoxes::Icon icon) {
    switch (icon) {
    case platform::MessageBoxes::Icon::Information:
        return QMessageBox::Information;
    case platform::MessageBoxes::Icon::Warning:
        return QMessageBox::Warning;
    case platform::MessageBoxes::Icon::Error:
        return QMessageBox::Critical;
    case platform::MessageBoxes::Icon::Question:
        return QMessageBox::Question;
    case platform::MessageBoxes::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtMessageBoxes::QtMessageBoxes(QWidget* parent) : ownerWidget(parent) {}

QWidget* QtMessageBoxes::owner() const {
    return ownerWidget != nullptr ? ownerWidget : QApplication::activeWindow();
}

platform::MessageBoxes::Answer QtMessageBoxes::messageBox(const QString& text,
                                                          const QString& caption, Icon icon,
                                                          Buttons buttons) {
    if (tooTallForMessageBox(text, owner()))
        return scrollingTextBox(owner(), text, captionOrTitle(caption), qtIcon(icon), buttons);
    QMessageBox box(qtIcon(icon), captionOrTitle(caption), text, QMessageBox::NoButton, owner());
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int chosen = box.exec();
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return chosen == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtMessageBoxes::inputBox(const QString& caption, const QString& prompt,
                                 const QString& preset) {
    bool accepted = false;
    const QString text = QInputDialog::getText(owner(), captionOrTitle(caption), prompt,
                                               QLineEdit::Normal, preset, &accepted);
    return accepted ? text : preset;
}

QString QtMessageBoxes::saveFileName(const QString& title, const QString& defaultSuffix) {
    QFileDialog dialog(owner(), title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QString suffix = defaultSuffix;
    if (suffix.startsWith(u'.')) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().first();
}

QString QtMessageBoxes::openFileName(const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(owner(), QString(), folder, filter);
}

} // namespace ui
