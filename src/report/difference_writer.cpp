#include "report/difference_writer.h"

#include "report/csv_text.h"
#include "report/json_value.h"
#include "report/text_table.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace report {

QString changesText(const std::vector<FieldChange>& changes) {
    const QString notAvailable = QStringLiteral("n/a");
    QStringList parts;
    for (const FieldChange& change : changes)
        parts.append(deviceFieldName(change.field) + u' ' + change.from.value_or(notAvailable) +
                     QStringLiteral(" -> ") + change.to.value_or(notAvailable));
    return parts.join(QStringLiteral(", "));
}

QJsonObject changesJson(const std::vector<FieldChange>& changes) {
    QJsonObject object;
    for (const FieldChange& change : changes)
        object.insert(deviceFieldName(change.field),
                      QJsonObject{{QStringLiteral("from"), textOrNull(change.from)},
                                  {QStringLiteral("to"), textOrNull(change.to)}});
    return object;
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

namespace {

QJsonObject differenceJson(const DeviceDifference& difference) {
    const bool changed = difference.kind == DeviceDifference::Kind::Changed;
    return QJsonObject{{QStringLiteral("change"), differenceKindName(difference.kind)},
                       {QStringLiteral("mac"), difference.mac},
                       {QStringLiteral("ip"), difference.ip},
                       {QStringLiteral("changes"),
                        changed ? QJsonValue(changesJson(difference.changes)) : QJsonValue()}};
}

} // namespace

QString differencesJson(const std::vector<DeviceDifference>& differences) {
    QJsonArray objects;
    for (const DeviceDifference& difference : differences)
        objects.append(differenceJson(difference));
    return QString::fromUtf8(QJsonDocument(objects).toJson(QJsonDocument::Indented));
}

QString differencesJsonLines(const std::vector<DeviceDifference>& differences) {
    QString out;
    for (const DeviceDifference& difference : differences)
        out += QString::fromUtf8(
                   QJsonDocument(differenceJson(difference)).toJson(QJsonDocument::Compact)) +
               u'\n';
    return out;
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
