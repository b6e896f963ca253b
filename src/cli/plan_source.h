#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>

namespace cli {

// A plan is a list of devices, one a line: a few hundred lines, some kilobytes. Anything
// larger is not a plan, and reading it would cost time and memory for nothing.
inline constexpr qint64 kMaxPlanSize = 4 * 1024 * 1024;

struct PlanText {
    std::optional<QString> text; // none: refused, see problem
    QString problem;             // "it is a named pipe, not a file"
};

// The plan's text from a file, or from standard input for "-". Refused before it is read
// when it is not a regular file or is larger than kMaxPlanSize, and after reading when it
// is not text. UTF-8 (with or without a byte-order mark) and UTF-16 with a byte-order mark
// are read; bytes that are not UTF-8 are taken as Latin-1, as an older spreadsheet writes
// them.
PlanText readPlanText(const QString& path, std::FILE* standardInput = stdin);

// The bytes decoded as described above; a problem when they are not text.
PlanText decodePlan(const QByteArray& bytes);

// The text with every character that would not print (control characters, invalid
// bytes) written as an escape, so that a message quoting a cell cannot move the cursor or
// hide its cause.
QString printableText(const QString& text);

} // namespace cli
