#include "ui/gw_config.h"

#include "i18n/language_select.h"
#include "platform/message_boxes.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace gdf {

TGW_Config::TGW_Config(platform::MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent), boxes(boxes) {
    setObjectName(QStringLiteral("GW_Config"));
    setWindowTitle(QStringLiteral("TGWConfigFile"));

    TGWConfigFileSheetCaption = new ui::TabSheet(this);
    TGWConfigFileSheetCaption->setObjectName(QStringLiteral("TGWConfigFileSheetCaption"));
    TGWConfigFileSheetCaption->setCaption(QStringLiteral("TGWConfigFileSheetCaption"));

    // The settings store takes the page's direct children as its settings, so the
    // controls sit directly on the page; the layouts only place them.
    TGWCurrentFilePath =
        new QLabel(QStringLiteral("Current File Path:"), TGWConfigFileSheetCaption);
    TGWCurrentFilePath->setObjectName(QStringLiteral("TGWCurrentFilePath"));

    EditTGWCurrentFilePath =
        new QLineEdit(QStringLiteral("EditTGWCurrentFilePath"), TGWConfigFileSheetCaption);
    EditTGWCurrentFilePath->setObjectName(QStringLiteral("EditTGWCurrentFilePath"));
    EditTGWCurrentFilePath->setFixedWidth(310);
    EditTGWCurrentFilePath->setToolTip(EditTGWCurrentFilePath->text());

    TGWConfigFileButtonSetConfigFile = new QPushButton(
        QStringLiteral("TGWConfigFileButtonSetConfigFile"), TGWConfigFileSheetCaption);
    TGWConfigFileButtonSetConfigFile->setObjectName(
        QStringLiteral("TGWConfigFileButtonSetConfigFile"));

    auto* row = new QHBoxLayout;
    row->addWidget(EditTGWCurrentFilePath);
    row->addWidget(TGWConfigFileButtonSetConfigFile);
    row->addStretch();
    auto* column = new QVBoxLayout(TGWConfigFileSheetCaption);
    column->addWidget(TGWCurrentFilePath);
    column->addLayout(row);
    column->addStretch();

    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->addWidget(TGWConfigFileSheetCaption);

    TGWConfigFileSheetCaption->installEventFilter(this);
    connect(TGWConfigFileButtonSetConfigFile, &QPushButton::clicked, this,
            &TGW_Config::TGWConfigFileButtonSetConfigFileClick);
    connect(EditTGWCurrentFilePath, &QLineEdit::textChanged, this,
            &TGW_Config::EditTGWCurrentFilePathChange);
}

bool TGW_Config::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TGWConfigFileSheetCaption && event->type() == QEvent::Show)
        TGWConfigFileSheetCaptionShow();
    return QWidget::eventFilter(watched, event);
}

void TGW_Config::TGWConfigFileSheetCaptionShow() {
    const QString key = QStringLiteral("TGWConfigFileButtonSetConfigFile");
    TGWConfigFileButtonSetConfigFile->setText(language ? language->translate(key) : key);
}

void TGW_Config::TGWConfigFileButtonSetConfigFileClick() {
    // Description files need not carry an extension, so every file is offered; the
    // chooser opens where the present one lies.
    const QString current = EditTGWCurrentFilePath->text();
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString chosen = boxes.openFileName(QStringLiteral("*"), folder);
    if (chosen.isEmpty())
        return;
    EditTGWCurrentFilePath->setText(QFileInfo(chosen).absoluteFilePath());
}

void TGW_Config::EditTGWCurrentFilePathChange(const QString& text) {
    // A long path does not fit the field; the tooltip shows it in full.
    EditTGWCurrentFilePath->setToolTip(text);
}

} // namespace gdf
