#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// Columns aligned for a terminal: each as wide as its widest cell, two blanks between them,
// no blanks at the ends of lines. Control characters (a device's revision may hold any
// byte) show as "?", so that they cannot move the cursor.
// One line of such columns with the given widths (the last cell is not padded), for
// output that is written row by row before the widest cell is known.
QString alignedLine(const QStringList& cells, const std::vector<qsizetype>& widths);

class TextTable {
public:
    explicit TextTable(QStringList headings);
    void addRow(QStringList cells);
    QString text() const;

private:
    std::vector<QStringList> rows;
};

} // namespace report
