#include "history/inventory_output.h"

#include "report/csv_text.h"
#include "report/json_value.h"
#include "report/text_table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace history {

const QStringList& inventoryColumns() {
    static const QStringList columns{
        QStringLiteral("mac"),       QStringLiteral("ip"),         QStringLiteral("netmask"),
        QStringLiteral("gateway"),   QStringLiteral("dhcp"),       QStringLiteral("type"),
        QStringLiteral("type_name"), QStringLiteral("revision"),   QStringLiteral("adapter"),
        QStringLiteral("host"),      QStringLiteral("first_seen"), QStringLiteral("last_seen")};
    return columns;
}

QStringList inventoryCells(const InventoryEntry& entry) {
    return {entry.mac,
            entry.ip,
            entry.netmask.value_or(QString()),
            entry.gateway.value_or(QString()),
            entry.dhcp,
            QString::number(entry.type),
            entry.typeName.value_or(QString()),
            entry.revision,
            entry.adapter,
            entry.host,
            entry.firstSeen,
            entry.lastSeen};
}

QString inventoryTable(const std::vector<InventoryEntry>& entries) {
    report::TextTable table({QStringLiteral("MAC"), QStringLiteral("IP"), QStringLiteral("NETMASK"),
                             QStringLiteral("GATEWAY"), QStringLiteral("DHCP"),
                             QStringLiteral("TYPE"), QStringLiteral("REVISION"),
                             QStringLiteral("ADAPTER"), QStringLiteral("HOST"),
                             QStringLiteral("FIRST SEEN"), QStringLiteral("LAST SEEN")});
    const QString notAvailable = QStringLiteral("n/a");
    for (const InventoryEntry& entry : entries) {
        const QString type = entry.typeName && !entry.typeName->isEmpty()
                                 ? *entry.typeName
                                 : QStringLiteral("not defined (%1)").arg(entry.type);
        table.addRow({entry.mac, entry.ip, entry.netmask.value_or(notAvailable),
                      entry.gateway.value_or(notAvailable), entry.dhcp, type, entry.revision,
                      entry.adapter, entry.host, entry.firstSeen, entry.lastSeen});
    }
    const QString count = entries.size() == 1 ? QStringLiteral("1 device\n")
                                              : QStringLiteral("%1 devices\n").arg(entries.size());
    return table.text() + count;
}

QString inventoryJson(const std::vector<InventoryEntry>& entries) {
    const QStringList& keys = inventoryColumns();
    QJsonArray array;
    for (const InventoryEntry& entry : entries) {
        const QStringList cells = inventoryCells(entry);
        QJsonObject object;
        for (qsizetype i = 0; i < keys.size(); ++i)
            object.insert(keys[i], cells[i]);
        object.insert(QStringLiteral("netmask"), report::textOrNull(entry.netmask));
        object.insert(QStringLiteral("gateway"), report::textOrNull(entry.gateway));
        object.insert(QStringLiteral("type"), entry.type);
        object.insert(QStringLiteral("type_name"), report::textOrNull(entry.typeName));
        array.append(object);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QString inventoryCsv(const std::vector<InventoryEntry>& entries) {
    QString out = report::csvRecord(inventoryColumns());
    for (const InventoryEntry& entry : entries)
        out += report::csvRecord(inventoryCells(entry));
    return out;
}

} // namespace history
