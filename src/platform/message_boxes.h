#pragma once

#include <QString>

namespace platform {

// Every box the program shows goes through this interface, so that tests can answer
// boxes without a blocking dialog and the logic never depends on a concrete toolkit call.
class MessageBoxes {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;

    // A modal box. An empty caption gives the application's title, like a plain message.
    virtual Answer messageBox(const QString& text, const QString& caption, Icon icon,
                              Buttons buttons) = 0;
    // A one-line prompt; returns the preset text when the user cancels.
    virtual QString inputBox(const QString& caption, const QString& prompt,
                             const QString& preset) = 0;
    // File choosers; an empty result means the user cancelled. The open chooser starts in
    // folder (empty: where the platform chooses).
    virtual QString saveFileName(const QString& title, const QString& defaultSuffix) = 0;
    virtual QString openFileName(const QString& filter, const QString& folder) = 0;

    // The plain message: text only, OK button, no icon.
    void showMessage(const QString& text) { messageBox(text, QString(), Icon::None, Buttons::Ok); }
};

} // namespace platform
