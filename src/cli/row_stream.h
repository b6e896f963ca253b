#pragma once

#include "cli/command_line.h"

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <vector>

namespace cli {

// The rows of a command's result, each written and flushed as soon as it is known, so
// that a person or a pipe sees it at once whatever standard output is. A table has fixed
// column widths for that reason; JSON stays one document (the array's brackets come first
// and last); JSON lines are one object a line.
struct RowStreamLayout {
    QStringList headings;          // table
    std::vector<qsizetype> widths; // table: all columns but the last
    QStringList csvHeader;
};

class RowStream {
public:
    RowStream(QTextStream& out, Format format, RowStreamLayout layout);
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    void add(const QStringList& tableCells, const QStringList& csvFields, const QJsonObject& json);
    // Closes the JSON array; a stream that had no row writes its heading or header still.
    void finish();

private:
    void begin();

    QTextStream& out;
    Format format;
    RowStreamLayout layout;
    bool begun = false;
    bool anyRow = false;
};

} // namespace cli
