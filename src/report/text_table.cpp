#include "report/text_table.h"

#include <algorithm>

namespace report {

namespace {

QString printable(QString text) {
    for (QChar& ch : text) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = u'?';
    }
    return text;
}

} // namespace

TextTable::TextTable(QStringList headings) {
    addRow(std::move(headings));
}

void TextTable::addRow(QStringList cells) {
    rows.push_back(std::move(cells));
}

QString alignedLine(const QStringList& cells, const std::vector<qsizetype>& widths) {
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += QStringLiteral("  ");
        const QString cell = printable(cells[i]);
        line += i < qsizetype(widths.size()) ? cell.leftJustified(widths[std::size_t(i)]) : cell;
    }
    while (line.endsWith(u' '))
        line.chop(1);
    return line + u'\n';
}

QString TextTable::text() const {
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max<std::size_t>(widths.size(), row.size()), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QString out;
    for (const QStringList& row : rows)
        out += alignedLine(row, widths);
    return out;
}

} // namespace report
