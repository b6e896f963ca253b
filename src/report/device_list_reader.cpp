#include "report/device_list_reader.h"

#include "report/csv_text.h"
#include "report/device_list_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <optional>

namespace report {

namespace {

// The fields of one device as texts, empty where the list has no value.
struct Fields {
    QString mac, ip, netmask, gateway, dhcp, restart, type, typeName, revision, duplicateIp;
};

bool isDottedAddress(const QString& text) {
    static const QRegularExpression dotted(QStringLiteral(
        R"(^(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)(\.(25[0-5]|2[0-4]\d|1\d\d|[1-9]?\d)){3}$)"));
    return dotted.match(text).hasMatch();
}

std::optional<DhcpColumn> dhcpOf(const QString& text) {
    for (const DhcpColumn dhcp :
         {DhcpColumn::Active, DhcpColumn::Inactive, DhcpColumn::Unsupported})
        if (text == dhcpColumnText(dhcp))
            return dhcp;
    return std::nullopt;
}

// The row, or why the fields are no device of a saved list.
std::optional<DeviceRow> rowOf(const Fields& fields, QString* problem) {
    static const QRegularExpression mac(QStringLiteral("^[0-9A-F]{2}(-[0-9A-F]{2}){5}$"));
    DeviceRow row;
    bool typeRead = false;
    row.type = fields.type.toInt(&typeRead);
    const std::optional<DhcpColumn> dhcp = dhcpOf(fields.dhcp);
    if (!mac.match(fields.mac).hasMatch())
        *problem = QStringLiteral("\"%1\" is no MAC address").arg(fields.mac);
    else if (!isDottedAddress(fields.ip))
        *problem = QStringLiteral("\"%1\" is no IP address").arg(fields.ip);
    else if (!fields.netmask.isEmpty() && !isDottedAddress(fields.netmask))
        *problem = QStringLiteral("\"%1\" is no netmask").arg(fields.netmask);
    else if (!fields.gateway.isEmpty() && !isDottedAddress(fields.gateway))
        *problem = QStringLiteral("\"%1\" is no gateway address").arg(fields.gateway);
    else if (!dhcp)
        *problem = QStringLiteral("\"%1\" is no DHCP state").arg(fields.dhcp);
    else if (!typeRead || row.type < 0 || row.type > 0xFFFF)
        *problem = QStringLiteral("\"%1\" is no device type").arg(fields.type);
    if (!problem->isEmpty())
        return std::nullopt;
    row.mac = fields.mac;
    row.ip = fields.ip;
    if (!fields.netmask.isEmpty())
        row.netmask = fields.netmask;
    if (!fields.gateway.isEmpty())
        row.gateway = fields.gateway;
    row.dhcp = *dhcp;
    row.restart = fields.restart == QLatin1String("true");
    if (!fields.typeName.isEmpty())
        row.typeName = fields.typeName;
    row.revision = fields.revision;
    row.duplicateIp = fields.duplicateIp == QLatin1String("true");
    return row;
}

ReadDeviceList readJson(const QByteArray& text) {
    ReadDeviceList list;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        list.problem = QStringLiteral("no JSON array of devices");
        return list;
    }
    const auto textOf = [](const QJsonValue& value) {
        if (value.isBool())
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        if (value.isDouble())
            return QString::number(value.toDouble(), 'g', 10);
        return value.toString();
    };
    const QJsonArray devices = document.array();
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const QJsonObject d = devices[i].toObject();
        const Fields fields{textOf(d["mac"]),         textOf(d["ip"]),        textOf(d["netmask"]),
                            textOf(d["gateway"]),     textOf(d["dhcp"]),      textOf(d["restart"]),
                            textOf(d["type"]),        textOf(d["type_name"]), textOf(d["revision"]),
                            textOf(d["duplicate_ip"])};
        const std::optional<DeviceRow> row = rowOf(fields, &list.problem);
        if (!row) {
            list.problem = QStringLiteral("device %1: ").arg(i + 1) + list.problem;
            list.rows.clear();
            return list;
        }
        list.rows.push_back(*row);
    }
    return list;
}

ReadDeviceList readCsvList(const QByteArray& text) {
    ReadDeviceList list;
    const CsvTable table = readCsv(QString::fromUtf8(text));
    if (table.error) {
        list.problem =
            QStringLiteral("line %1: %2").arg(table.error->line).arg(table.error->fields.value(0));
        return list;
    }
    // The columns are found by name, so that a list saved before the adapter column came
    // and the inventory's, which has columns of its own, read too; a plan lacks the type.
    const QStringList header = table.records.empty() ? QStringList() : table.records.front().fields;
    for (const char* needed : {"mac", "ip", "netmask", "gateway", "dhcp", "type"}) {
        if (!header.contains(QLatin1String(needed))) {
            list.problem =
                QStringLiteral("the first line is not the header ") + deviceListFields().join(u',');
            return list;
        }
    }
    for (std::size_t i = 1; i < table.records.size(); ++i) {
        const CsvRecord& record = table.records[i];
        const QStringList& f = record.fields;
        if (f.size() == 1 && f[0].isEmpty())
            continue;
        if (f.size() != header.size()) {
            list.problem = QStringLiteral("line %1: %2 fields, not %3")
                               .arg(record.line)
                               .arg(f.size())
                               .arg(header.size());
            list.rows.clear();
            return list;
        }
        const auto field = [&](const char* name) {
            const qsizetype at = header.indexOf(QLatin1String(name));
            return at < 0 ? QString() : f[at];
        };
        const std::optional<DeviceRow> row =
            rowOf({field("mac"), field("ip"), field("netmask"), field("gateway"), field("dhcp"),
                   field("restart"), field("type"), field("type_name"), field("revision"),
                   field("duplicate_ip")},
                  &list.problem);
        if (!row) {
            list.problem = QStringLiteral("line %1: ").arg(record.line) + list.problem;
            list.rows.clear();
            return list;
        }
        list.rows.push_back(*row);
    }
    return list;
}

} // namespace

ReadDeviceList readDeviceList(const QByteArray& text) {
    const QByteArray start = text.trimmed();
    // One object a line, as scan --format jsonl writes it, is the same list.
    if (start.startsWith('{'))
        return readJson('[' + start.split('\n').join(',') + ']');
    return start.startsWith('[') ? readJson(text) : readCsvList(text);
}

} // namespace report
