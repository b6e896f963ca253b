#include "ui/hints_page.h"

#include <QVBoxLayout>

namespace ui {

HintsPage::HintsPage(QWidget* parent) : TabSheet(parent) {
    setObjectName(QStringLiteral("HintsSheet"));
    setCaption(QStringLiteral("Hints"));
    // The settings store takes the page's direct children as its settings.
    CheckBoxNoAnswerHint =
        new QCheckBox(QStringLiteral("Show a box when no device answered a scan"), this);
    CheckBoxNoAnswerHint->setObjectName(QStringLiteral("CheckBoxNoAnswerHint"));
    CheckBoxNoAnswerHint->setChecked(true);
    auto* column = new QVBoxLayout(this);
    column->addWidget(CheckBoxNoAnswerHint);
    column->addStretch();
}

} // namespace ui
