#pragma once

#include "ui/tab_sheet.h"

#include <QCheckBox>

namespace ui {

// The settings page of the hints the program gives on its own, each of which the user can
// turn off; the settings dialog stores its boxes like any other setting.
class HintsPage : public TabSheet {
    Q_OBJECT
public:
    explicit HintsPage(QWidget* parent = nullptr);

    // The box after a scan that no device answered; ticked until the user unticks it.
    QCheckBox* CheckBoxNoAnswerHint;
};

} // namespace ui
