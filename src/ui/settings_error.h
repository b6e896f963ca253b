#pragma once

#include <QString>

#include <stdexcept>

namespace ui {

// The error the settings store raises to its callers; its message is already translated
// and is what a caller shows to the user.
class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    QString message() const { return text; }

private:
    QString text;
};

} // namespace ui
