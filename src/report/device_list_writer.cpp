#include "report/device_list_writer.h"

#include "report/csv_text.h"
#include "report/json_text.h"
#include "report/text_table.h"

namespace report {

namespace {

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString typeText(const DeviceRow& row) {
    if (row.typeName && !row.typeName->isEmpty())
        return *row.typeName;
    return QStringLiteral("not defined (%1)").arg(row.type);
}

} // namespace

const QStringList& deviceListFields() {
    static const QStringList fields{QStringLiteral("mac"),      QStringLiteral("ip"),
                                    QStringLiteral("netmask"),  QStringLiteral("gateway"),
                                    QStringLiteral("dhcp"),     QStringLiteral("restart"),
                                    QStringLiteral("type"),     QStringLiteral("type_name"),
                                    QStringLiteral("revision"), QStringLiteral("duplicate_ip")};
    return fields;
}

QString deviceListCsv(const std::vector<DeviceRow>& rows) {
    QString out = csvRecord(deviceListFields());
    for (const DeviceRow& row : rows) {
        out += csvRecord(
            {row.mac, row.ip, row.netmask.value_or(QString()), row.gateway.value_or(QString()),
             dhcpColumnText(row.dhcp), boolText(row.restart), QString::number(row.type),
             row.typeName.value_or(QString()), row.revision, boolText(row.duplicateIp)});
    }
    return out;
}

QString deviceListJson(const std::vector<DeviceRow>& rows) {
    const QStringList& names = deviceListFields();
    QStringList objects;
    for (const DeviceRow& row : rows) {
        const QStringList values{jsonString(row.mac),
                                 jsonString(row.ip),
                                 jsonStringOrNull(row.netmask),
                                 jsonStringOrNull(row.gateway),
                                 jsonString(dhcpColumnText(row.dhcp)),
                                 jsonBool(row.restart),
                                 QString::number(row.type),
                                 jsonStringOrNull(row.typeName),
                                 jsonString(row.revision),
                                 jsonBool(row.duplicateIp)};
        QStringList members;
        for (qsizetype i = 0; i < names.size(); ++i)
            members.append(QStringLiteral("    %1: %2").arg(jsonString(names[i]), values[i]));
        objects.append(QStringLiteral("  {\n") + members.join(QStringLiteral(",\n")) +
                       QStringLiteral("\n  }"));
    }
    if (objects.isEmpty())
        return QStringLiteral("[]\n");
    return QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n");
}

QString deviceListTable(const std::vector<DeviceRow>& rows) {
    TextTable table({QStringLiteral("MAC"), QStringLiteral("IP"), QStringLiteral("NETMASK"),
                     QStringLiteral("GATEWAY"), QStringLiteral("DHCP"), QStringLiteral("RESTART"),
                     QStringLiteral("TYPE"), QStringLiteral("REVISION"),
                     QStringLiteral("DUPLICATE IP")});
    const QString notAvailable = QStringLiteral("n/a");
    for (const DeviceRow& row : rows) {
        table.addRow({row.mac, row.ip, row.netmask.value_or(notAvailable),
                      row.gateway.value_or(notAvailable), dhcpColumnText(row.dhcp),
                      row.restart ? QStringLiteral("yes") : QStringLiteral("no"), typeText(row),
                      row.revision, row.duplicateIp ? QStringLiteral("yes") : QString()});
    }
    const QString count = rows.size() == 1 ? QStringLiteral("1 device")
                                           : QStringLiteral("%1 devices").arg(rows.size());
    return table.text() + count + u'\n';
}

} // namespace report
