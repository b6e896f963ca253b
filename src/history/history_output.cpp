#include "history/history_output.h"

#include "report/csv_text.h"
#include "report/text_table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace history {

QStringList historyCells(const HistoryRecord& record) {
    return {record.time, record.program, record.user, record.host, record.adapter, record.mac,
            record.ip,   record.value,   record.from, record.to,   record.result};
}

QStringList historyColumns() {
    return {QStringLiteral("time"), QStringLiteral("program"), QStringLiteral("user"),
            QStringLiteral("host"), QStringLiteral("adapter"), QStringLiteral("mac"),
            QStringLiteral("ip"),   QStringLiteral("value"),   QStringLiteral("from"),
            QStringLiteral("to"),   QStringLiteral("result")};
}

QString historyTable(const std::vector<HistoryRecord>& records) {
    QStringList headings;
    for (const QString& column : historyColumns())
        headings.append(column.toUpper());
    report::TextTable table(headings);
    for (const HistoryRecord& record : records)
        table.addRow(historyCells(record));
    return table.text();
}

namespace {

QJsonObject objectOf(const HistoryRecord& record) {
    static const QStringList columns = historyColumns();
    const QStringList cells = historyCells(record);
    QJsonObject object;
    for (qsizetype i = 0; i < columns.size(); ++i)
        object.insert(columns[i], cells[i]);
    return object;
}

} // namespace

QString historyJson(const std::vector<HistoryRecord>& records) {
    QJsonArray array;
    for (const HistoryRecord& record : records)
        array.append(objectOf(record));
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString historyJsonLines(const std::vector<HistoryRecord>& records) {
    QString out;
    for (const HistoryRecord& record : records)
        out += QString::fromUtf8(QJsonDocument(objectOf(record)).toJson(QJsonDocument::Compact)) +
               u'\n';
    return out;
}

QString historyCsv(const std::vector<HistoryRecord>& records) {
    QString out = report::csvRecord(historyColumns());
    for (const HistoryRecord& record : records)
        out += report::csvRecord(historyCells(record));
    return out;
}

} // namespace history
