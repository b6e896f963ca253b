#include "history/inventory.h"

#include "engine/device_set.h"
#include "history/history_database.h"
#include "history/sql_journal.h"
#include "report/engine_rows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

namespace history {

namespace {

QVariant orNull(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant(QMetaType(QMetaType::QString));
}

// Qt binds a null QString as NULL; a value the device sent empty is an empty text.
QVariant text(const QString& value) {
    return QVariant(value.isNull() ? QStringLiteral("") : value);
}

std::optional<QString> optionalText(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<QString>(value.toString());
}

} // namespace

void recordScan(HistoryDatabase& database, const engine::DeviceSet& devices,
                const gdf::DeviceTypeTable& types, const QString& adapter) {
    if (!database.available() || devices.count() == 0)
        return;
    QSqlDatabase& connection = database.connection();
    const auto failed = [&](const QSqlError& error) {
        connection.rollback();
        database.reportFailure(QStringLiteral("record the devices of a scan"), error.text());
    };
    if (!connection.transaction()) {
        failed(connection.lastError());
        return;
    }
    QSqlQuery upsert(connection);
    upsert.prepare(QStringLiteral(
        "INSERT INTO inventory (mac, first_seen, last_seen, ip, netmask, gateway, dhcp, type, "
        "type_name, revision, adapter, host) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (mac) DO UPDATE SET last_seen = excluded.last_seen, ip = excluded.ip, "
        "netmask = COALESCE(excluded.netmask, netmask), "
        "gateway = COALESCE(excluded.gateway, gateway), dhcp = excluded.dhcp, "
        "type = excluded.type, type_name = COALESCE(excluded.type_name, type_name), "
        "revision = excluded.revision, adapter = excluded.adapter, host = excluded.host"));
    const QString seen = historyTime();
    const QString host = QSysInfo::machineHostName();
    // In the order the answers came: a MAC that answered twice keeps its later values.
    for (const engine::DeviceRecord& record : devices.all()) {
        if (record.doubtful)
            continue;
        const report::DeviceRow row =
            report::deviceRow(record, devices, types, adapter, std::nullopt);
        for (const QVariant& value :
             {text(row.mac), text(seen), text(seen), text(row.ip), orNull(row.netmask),
              orNull(row.gateway), text(report::dhcpColumnText(row.dhcp)), QVariant(row.type),
              orNull(row.typeName), text(row.revision), text(row.adapter), text(host)})
            upsert.addBindValue(value);
        if (!upsert.exec()) {
            failed(upsert.lastError());
            return;
        }
    }
    if (!connection.commit())
        failed(connection.lastError());
}

std::vector<InventoryEntry> readInventory(HistoryDatabase& database,
                                          const std::optional<QString>& since) {
    std::vector<InventoryEntry> entries;
    if (!database.available())
        return entries;
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("SELECT mac, ip, netmask, gateway, dhcp, type, type_name, "
                                 "revision, adapter, host, first_seen, last_seen FROM inventory") +
                  (since ? QStringLiteral(" WHERE last_seen >= ?") : QString()) +
                  QStringLiteral(" ORDER BY mac"));
    if (since)
        query.addBindValue(*since);
    if (!query.exec()) {
        database.reportFailure(QStringLiteral("be read"), query.lastError().text());
        return entries;
    }
    while (query.next()) {
        const auto text = [&](int column) { return query.value(column).toString(); };
        entries.push_back({text(0), text(1), optionalText(query.value(2)),
                           optionalText(query.value(3)), text(4), query.value(5).toInt(),
                           optionalText(query.value(6)), text(7), text(8), text(9), text(10),
                           text(11)});
    }
    return entries;
}

} // namespace history
