#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

namespace report {

// A value that is not known is null in JSON, never an empty text a program would take for
// one.
inline QJsonValue textOrNull(const std::optional<QString>& text) {
    return text ? QJsonValue(*text) : QJsonValue();
}

} // namespace report
