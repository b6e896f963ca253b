#include "unattended_boxes.h"

namespace bench {

platform::MessageBoxes::Answer UnattendedBoxes::messageBox(const QString& text, const QString&,
                                                           Icon, Buttons buttons) {
    texts.append(text);
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

QString UnattendedBoxes::inputBox(const QString&, const QString& prompt, const QString& preset) {
    texts.append(prompt);
    return preset;
}

QString UnattendedBoxes::saveFileName(const QString&, const QString&) {
    return QString();
}

QString UnattendedBoxes::openFileName(const QString&, const QString&) {
    return QString();
}

} // namespace bench
