#include "history/sql_journal.h"

#include "history/history_database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <pwd.h>
#include <unistd.h>

namespace history {

QString historyTime() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

Identity Identity::ofThisProcess(const QString& program) {
    QString user;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        user = QString::fromLocal8Bit(entry->pw_name);
    else
        user = QString::number(getuid());
    return {program, user, QSysInfo::machineHostName()};
}

SqlJournal::SqlJournal(HistoryDatabase& database, Identity identity)
    : database(database), identity(std::move(identity)) {}

engine::ChangeJournal::EntryId SqlJournal::begin(const engine::JournalEntry& entry) {
    if (!database.available())
        return -1;
    QSqlQuery insert(database.connection());
    insert.prepare(QStringLiteral(
        "INSERT INTO changes (time, program, user, host, adapter, mac, ip, value, from_value, "
        "to_value, result) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QString& field :
         {historyTime(), identity.program, identity.user, identity.host, entry.adapter, entry.mac,
          entry.ip, engine::fieldKey(entry.field), entry.from, entry.to,
          engine::outcomeKey(engine::ValueOutcome::NotSent)})
        insert.addBindValue(field);
    if (!insert.exec()) {
        database.reportFailure(QStringLiteral("record a change"), insert.lastError().text());
        return -1;
    }
    return insert.lastInsertId().toLongLong();
}

void SqlJournal::record(EntryId entry, engine::ValueOutcome outcome) {
    if (!database.available() || entry < 0)
        return;
    QSqlQuery update(database.connection());
    update.prepare(QStringLiteral("UPDATE changes SET time = ?, result = ? WHERE id = ?"));
    update.addBindValue(historyTime());
    update.addBindValue(engine::outcomeKey(outcome));
    update.addBindValue(entry);
    if (!update.exec())
        database.reportFailure(QStringLiteral("record a change"), update.lastError().text());
}

engine::UnfinishedValues SqlJournal::unfinished() {
    engine::UnfinishedValues values;
    if (!database.available())
        return values;
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral(
            "SELECT mac, value FROM changes AS c WHERE id = (SELECT MAX(id) FROM changes "
            "WHERE mac = c.mac AND value = c.value) AND result NOT IN ('done', 'refused')"))) {
        database.reportFailure(QStringLiteral("be read"), query.lastError().text());
        return values;
    }
    while (query.next()) {
        if (const auto field = engine::fieldFromKey(query.value(1).toString()))
            values[query.value(0).toString()].append(*field);
    }
    return values;
}

} // namespace history
