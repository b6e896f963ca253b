#include "report/difference_writer.h"

#include "report/csv_text.h"
#include "report/json_text.h"
#include "report/text_table.h"

namespace report {

QString changesText(const std::vector<FieldChange>& changes) {
    const QString notAvailable = QStringLiteral("n/a");
    QStringList parts;
    for (const FieldChange& change : changes)
        parts.append(deviceFieldName(change.field) + u' ' + change.from.value_or(notAvailable) +
                     QStringLiteral(" -> ") + change.to.value_or(notAvailable));
    return parts.join(QStringLiteral(", "));
}

QString changesJson(const std::vector<FieldChange>& changes) {
    QStringList members;
    for (const FieldChange& change : changes)
        members.append(jsonString(deviceFieldName(change.field)) +
                       QStringLiteral(": {\"from\": %1, \"to\": %2}")
                           .arg(jsonStringOrNull(change.from), jsonStringOrNull(change.to)));
    return u'{' + members.join(QStringLiteral(", ")) + u'}';
}

QString differencesTable(const std::vector<DeviceDifference>& differences) {
    TextTable table({QStringLiteral("CHANGE"), QStringLiteral("MAC"), QStringLiteral("IP"),
                     QStringLiteral("CHANGES")});
    for (const DeviceDifference& difference : differences)
        table.addRow({differenceKindName(difference.kind), difference.mac, difference.ip,
                      changesText(difference.changes)});
    const QString count = differences.empty() ? QStringLiteral("no differences")
                          : differences.size() == 1
                              ? QStringLiteral("1 difference")
                              : QStringLiteral("%1 differences").arg(differences.size());
    return (differences.empty() ? QString() : table.text()) + count + u'\n';
}

QString differencesJson(const std::vector<DeviceDifference>& differences) {
    QStringList objects;
    for (const DeviceDifference& difference : differences) {
        const bool changed = difference.kind == DeviceDifference::Kind::Changed;
        objects.append(
            QStringLiteral("  {\"change\": %1, \"mac\": %2, \"ip\": %3, \"changes\": %4}")
                .arg(jsonString(differenceKindName(difference.kind)), jsonString(difference.mac),
                     jsonString(difference.ip),
                     changed ? changesJson(difference.changes) : QStringLiteral("null")));
    }
    if (objects.isEmpty())
        return QStringLiteral("[]\n");
    return QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n");
}

QString differencesCsv(const std::vector<DeviceDifference>& differences) {
    QStringList header{QStringLiteral("change"), QStringLiteral("mac"), QStringLiteral("ip")};
    for (const DeviceField field : comparedFields())
        header << deviceFieldName(field) + QStringLiteral("_from")
               << deviceFieldName(field) + QStringLiteral("_to");
    QString out = csvRecord(header);
    for (const DeviceDifference& difference : differences) {
        QStringList fields{differenceKindName(difference.kind), difference.mac, difference.ip};
        for (const DeviceField field : comparedFields()) {
            QString from;
            QString to;
            for (const FieldChange& change : difference.changes) {
                if (change.field == field) {
                    from = change.from.value_or(QString());
                    to = change.to.value_or(QString());
                }
            }
            fields << from << to;
        }
        out += csvRecord(fields);
    }
    return out;
}

} // namespace report
