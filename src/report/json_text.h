#pragma once

#include <QString>

#include <optional>

namespace report {

// A JSON string literal: quotes, backslashes and control characters escaped, everything
// else as it stands.
QString jsonString(const QString& text);
// The literal, or null when there is no text.
QString jsonStringOrNull(const std::optional<QString>& text);
QString jsonBool(bool value);

} // namespace report
