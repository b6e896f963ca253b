#include "report/csv_text.h"

namespace report {

QString csvField(const QString& text) {
    const bool quoted =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quoted)
        return text;
    QString doubled = text;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString csvRecord(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted.append(csvField(field));
    return quoted.join(u',') + QStringLiteral("\r\n");
}

namespace {

QChar separatorOf(const QString& text) {
    const qsizetype end = text.indexOf(u'\n');
    const QString first = end < 0 ? text : text.left(end);
    if (first.contains(u','))
        return u',';
    if (first.contains(u';'))
        return u';';
    return first.contains(u'\t') ? QChar(u'\t') : QChar(u',');
}

} // namespace

CsvTable readCsv(QString text) {
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    CsvTable table;
    table.separator = separatorOf(text);
    int line = 1;
    qsizetype at = 0;
    const qsizetype size = text.size();
    const auto fail = [&](int where, const QString& message) {
        table.error = CsvRecord{where, {message}};
        return table;
    };
    while (at < size) {
        CsvRecord record{line, {}};
        QString field;
        bool recordEnded = false;
        while (!recordEnded) {
            if (at < size && text[at] == u'"') {
                const int quoteLine = line;
                ++at;
                for (;;) {
                    if (at >= size)
                        return fail(quoteLine, QStringLiteral("a quoted field is not closed"));
                    const QChar ch = text[at++];
                    if (ch == u'"') {
                        if (at < size && text[at] == u'"') {
                            field += u'"';
                            ++at;
                            continue;
                        }
                        break;
                    }
                    if (ch == u'\n')
                        ++line;
                    field += ch;
                }
                if (at < size && text[at] == u'\r' && at + 1 < size && text[at + 1] == u'\n')
                    ++at;
                if (at < size && text[at] != table.separator && text[at] != u'\n')
                    return fail(line, QStringLiteral("text after the closing quote of a field"));
            } else {
                while (at < size && text[at] != table.separator && text[at] != u'\n')
                    field += text[at++];
                if (field.endsWith(u'\r'))
                    field.chop(1);
            }
            record.fields.append(field);
            field.clear();
            if (at >= size || text[at] == u'\n') {
                recordEnded = true;
                if (at < size)
                    ++line;
            }
            ++at;
        }
        table.records.push_back(std::move(record));
    }
    return table;
}

} // namespace report
