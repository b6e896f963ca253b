#pragma once

#include "platform/message_boxes.h"

#include <QStringList>

namespace bench {

// Nobody sits at the benchmark: every box is answered at once as if cancelled, and its text
// is kept so that the run can report it.
class UnattendedBoxes : public platform::MessageBoxes {
public:
    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString inputBox(const QString& caption, const QString& prompt, const QString& preset) override;
    QString saveFileName(const QString& title, const QString& defaultSuffix) override;
    QString openFileName(const QString& filter, const QString& folder) override;

    const QStringList& shown() const { return texts; }

private:
    QStringList texts;
};

} // namespace bench
