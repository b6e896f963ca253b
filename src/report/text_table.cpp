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
    for (QString& cell : cells)
        cell = printable(cell);
    rows.push_back(std::move(cells));
}

QString TextTable::text() const {
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max<std::size_t>(widths.size(), row.size()), 0);
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QString out;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                line += QStringLiteral("  ");
            line += row[i].leftJustified(widths[i]);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        out += line + u'\n';
    }
    return out;
}

} // namespace report
