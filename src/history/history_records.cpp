#include "history/history_records.h"

#include "history/history_database.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace history {

std::vector<HistoryRecord> readHistory(HistoryDatabase& database, const HistoryFilter& filter) {
    std::vector<HistoryRecord> records;
    if (!database.available())
        return records;
    QStringList conditions;
    if (filter.mac)
        conditions.append(QStringLiteral("mac = ?"));
    if (filter.since)
        conditions.append(QStringLiteral("time >= ?"));
    QString statement = QStringLiteral("SELECT time, program, user, host, adapter, mac, ip, value, "
                                       "from_value, to_value, result FROM changes");
    if (!conditions.isEmpty())
        statement += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    statement +=
        filter.newestFirst ? QStringLiteral(" ORDER BY id DESC") : QStringLiteral(" ORDER BY id");
    QSqlQuery query(database.connection());
    query.prepare(statement);
    if (filter.mac)
        query.addBindValue(*filter.mac);
    if (filter.since)
        query.addBindValue(*filter.since);
    if (!query.exec()) {
        database.reportFailure(QStringLiteral("be read"), query.lastError().text());
        return records;
    }
    while (query.next()) {
        const auto text = [&](int column) { return query.value(column).toString(); };
        records.push_back({text(0), text(1), text(2), text(3), text(4), text(5), text(6), text(7),
                           text(8), text(9), text(10)});
    }
    return records;
}

std::optional<QString> historyTimeOf(const QString& text) {
    const QDate date = QDate::fromString(text, Qt::ISODate);
    QDateTime time = date.isValid() && text.size() == 10
                         ? QDateTime(date, QTime(0, 0), Qt::UTC)
                         : QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace history
