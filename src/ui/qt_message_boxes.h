#pragma once

#include "platform/message_boxes.h"

class QWidget;

namespace ui {

// The boxes as Qt dialogs, modal over `parent` (or over the active window when null).
class QtMessageBoxes : public platform::MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr);

    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString inputBox(const QString& caption, const QString& prompt, const QString& preset) override;
    QString saveFileName(const QString& title, const QString& defaultSuffix) override;
    QString openFileName(const QString& filter, const QString& folder) override;

private:
    QWidget* owner() const;
    QWidget* ownerWidget;
};

} // namespace ui
