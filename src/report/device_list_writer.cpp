#include "report/device_list_writer.h"

#include "report/csv_text.h"
#include "report/json_value.h"
#include "report/text_table.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace report {

namespace {

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Empty when the adapter's subnet is not known.
QString subnetText(const std::optional<bool>& inside) {
    return inside ? boolText(*inside) : QString();
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
                                    QStringLiteral("revision"), QStringLiteral("duplicate_ip"),
                                    QStringLiteral("adapter"),  QStringLiteral("in_adapter_subnet"),
                                    QStringLiteral("doubtful"), QStringLiteral("answered_from")};
    return fields;
}

QString deviceListCsv(const std::vector<DeviceRow>& rows) {
    QString out = csvRecord(deviceListFields());
    for (const DeviceRow& row : rows) {
        out += csvRecord(
            {row.mac, row.ip, row.netmask.value_or(QString()), row.gateway.value_or(QString()),
             dhcpColumnText(row.dhcp), boolText(row.restart), QString::number(row.type),
             row.typeName.value_or(QString()), row.revision, boolText(row.duplicateIp), row.adapter,
             subnetText(row.inAdapterSubnet), boolText(row.doubtful), row.answeredFrom});
    }
    return out;
}

QJsonObject deviceJson(const DeviceRow& row) {
    const QStringList& names = deviceListFields();
    return QJsonObject{
        {names[0], row.mac},
        {names[1], row.ip},
        {names[2], textOrNull(row.netmask)},
        {names[3], textOrNull(row.gateway)},
        {names[4], dhcpColumnText(row.dhcp)},
        {names[5], row.restart},
        {names[6], row.type},
        {names[7], textOrNull(row.typeName)},
        {names[8], row.revision},
        {names[9], row.duplicateIp},
        {names[10], row.adapter},
        {names[11], row.inAdapterSubnet ? QJsonValue(*row.inAdapterSubnet) : QJsonValue()},
        {names[12], row.doubtful},
        {names[13], row.answeredFrom}};
}

QString deviceListJson(const std::vector<DeviceRow>& rows) {
    QJsonArray devices;
    for (const DeviceRow& row : rows)
        devices.append(deviceJson(row));
    return QString::fromUtf8(QJsonDocument(devices).toJson(QJsonDocument::Indented));
}

QString deviceListJsonLines(const std::vector<DeviceRow>& rows) {
    QString out;
    for (const DeviceRow& row : rows)
        out += QString::fromUtf8(QJsonDocument(deviceJson(row)).toJson(QJsonDocument::Compact)) +
               u'\n';
    return out;
}

QString deviceListTable(const std::vector<DeviceRow>& rows, const QString& through) {
    QStringList headings{QStringLiteral("MAC"),
                         QStringLiteral("IP"),
                         QStringLiteral("NETMASK"),
                         QStringLiteral("GATEWAY"),
                         QStringLiteral("DHCP"),
                         QStringLiteral("RESTART"),
                         QStringLiteral("TYPE"),
                         QStringLiteral("REVISION"),
                         QStringLiteral("DUPLICATE IP"),
                         QStringLiteral("ADAPTER"),
                         QStringLiteral("IN ADAPTER SUBNET")};
    // A column a person reads only when it has something to say.
    const bool anyDoubtful =
        std::any_of(rows.begin(), rows.end(), [](const DeviceRow& row) { return row.doubtful; });
    if (anyDoubtful)
        headings.append(QStringLiteral("DOUBTFUL"));
    TextTable table(headings);
    const QString notAvailable = QStringLiteral("n/a");
    for (const DeviceRow& row : rows) {
        QStringList cells{row.mac,
                          row.ip,
                          row.netmask.value_or(notAvailable),
                          row.gateway.value_or(notAvailable),
                          dhcpColumnText(row.dhcp),
                          row.restart ? QStringLiteral("yes") : QStringLiteral("no"),
                          typeText(row),
                          row.revision,
                          row.duplicateIp ? QStringLiteral("yes") : QString(),
                          row.adapter,
                          row.inAdapterSubnet ? (*row.inAdapterSubnet ? QStringLiteral("yes")
                                                                      : QStringLiteral("no"))
                                              : QString()};
        if (anyDoubtful)
            cells.append(row.doubtful ? QStringLiteral("answer from ") + row.answeredFrom
                                      : QString());
        table.addRow(cells);
    }
    const QString count = rows.size() == 1 ? QStringLiteral("1 device")
                                           : QStringLiteral("%1 devices").arg(rows.size());
    return table.text() + count + (through.isEmpty() ? QString() : QStringLiteral(", ") + through) +
           u'\n';
}

} // namespace report
