#include "ui/scrolling_text_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace ui {

namespace {

QRect availableArea(const QWidget* owner) {
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

// CR LF is one line break; a CR on its own ends no line, as in the platform's own boxes.
QString withLineFeeds(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.remove(u'\r');
    return result;
}

QPixmap iconPixmap(QMessageBox::Icon icon, const QWidget& dialog) {
    QStyle::StandardPixmap standard = QStyle::SP_MessageBoxInformation;
    switch (icon) {
    case QMessageBox::NoIcon:
        return QPixmap();
    case QMessageBox::Information:
        break;
    case QMessageBox::Warning:
        standard = QStyle::SP_MessageBoxWarning;
        break;
    case QMessageBox::Critical:
        standard = QStyle::SP_MessageBoxCritical;
        break;
    case QMessageBox::Question:
        standard = QStyle::SP_MessageBoxQuestion;
        break;
    }
    const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    return dialog.style()->standardIcon(standard, nullptr, &dialog).pixmap(size, size);
}

} // namespace

bool tooTallForMessageBox(const QString& text, const QWidget* owner) {
    const QRect area = availableArea(owner);
    // A message box wraps its text at about half the screen's width and needs room for its
    // caption, margins and buttons besides.
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, area.width() / 2, 0), Qt::TextWordWrap,
                                               withLineFeeds(text));
    return wrapped.height() > area.height() * 3 / 4;
}

platform::MessageBoxes::Answer scrollingTextBox(QWidget* owner, const QString& text,
                                                const QString& caption, QMessageBox::Icon icon,
                                                platform::MessageBoxes::Buttons buttons) {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("ScrollingTextBox"));
    dialog.setWindowTitle(caption);

    auto* view = new QPlainTextEdit(&dialog);
    view->setReadOnly(true);
    view->setPlainText(withLineFeeds(text));
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* row = new QHBoxLayout;
    if (const QPixmap pixmap = iconPixmap(icon, dialog); !pixmap.isNull()) {
        auto* iconLabel = new QLabel(&dialog);
        iconLabel->setPixmap(pixmap);
        row->addWidget(iconLabel, 0, Qt::AlignTop);
    }
    row->addWidget(view, 1);

    const bool yesNo = buttons == platform::MessageBoxes::Buttons::YesNo;
    auto* buttonBox = new QDialogButtonBox(
        yesNo ? QDialogButtonBox::Yes | QDialogButtonBox::No : QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttonBox, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(row, 1);
    layout->addWidget(buttonBox);

    const QRect area = availableArea(owner);
    dialog.setMaximumSize(area.size());
    dialog.resize(area.width() / 2, area.height() * 2 / 3);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!yesNo)
        return platform::MessageBoxes::Answer::Ok;
    return accepted ? platform::MessageBoxes::Answer::Yes : platform::MessageBoxes::Answer::No;
}

} // namespace ui
