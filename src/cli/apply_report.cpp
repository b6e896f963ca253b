#include "cli/apply_report.h"

#include "report/csv_text.h"
#include "report/json_text.h"
#include "report/text_table.h"

#include <QStringList>

namespace cli {

QString planValueName(PlanValue value) {
    switch (value) {
    case pvIp:
        return QStringLiteral("ip");
    case pvNetmask:
        return QStringLiteral("netmask");
    case pvGateway:
        return QStringLiteral("gateway");
    case pvDhcp:
    case planValueCount:
        break;
    }
    return QStringLiteral("dhcp");
}

QString changesText(const ValueChanges& changes) {
    QStringList parts;
    for (int v = 0; v < planValueCount; ++v) {
        if (const auto& change = changes[v])
            parts.append(QStringLiteral("%1 %2 -> %3")
                             .arg(planValueName(PlanValue(v)), change->from, change->to) +
                         (change->confirmed.isEmpty()
                              ? QString()
                              : QStringLiteral(" (%1)").arg(change->confirmed)));
    }
    return parts.join(QStringLiteral(", "));
}

QString outcomesTable(const std::vector<RowOutcome>& rows) {
    report::TextTable table({QStringLiteral("LINE"), QStringLiteral("MAC"),
                             QStringLiteral("RESULT"), QStringLiteral("CHANGES")});
    for (const RowOutcome& row : rows) {
        QString what = changesText(row.changes);
        if (!row.detail.isEmpty())
            what += (what.isEmpty() ? QString() : QStringLiteral("; ")) + row.detail;
        table.addRow({QString::number(row.line), row.mac, row.result, what});
    }
    return table.text();
}

QString outcomesJson(const std::vector<RowOutcome>& rows) {
    QStringList objects;
    for (const RowOutcome& row : rows) {
        QStringList changes;
        for (int v = 0; v < planValueCount; ++v) {
            if (const auto& change = row.changes[v])
                changes.append(
                    QStringLiteral("%1: {\"from\": %2, \"to\": %3, \"result\": %4}")
                        .arg(report::jsonString(planValueName(PlanValue(v))),
                             report::jsonString(change->from), report::jsonString(change->to),
                             report::jsonStringOrNull(change->confirmed.isEmpty()
                                                          ? std::nullopt
                                                          : std::optional(change->confirmed))));
        }
        const std::optional<QString> detail =
            row.detail.isEmpty() ? std::nullopt : std::optional<QString>(row.detail);
        objects.append(QStringLiteral("  {\"line\": %1, \"mac\": %2, \"result\": %3, \"changes\": "
                                      "{%4}, \"detail\": %5}")
                           .arg(row.line)
                           .arg(report::jsonString(row.mac), report::jsonString(row.result),
                                changes.join(QStringLiteral(", ")),
                                report::jsonStringOrNull(detail)));
    }
    if (objects.isEmpty())
        return QStringLiteral("[]\n");
    return QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n");
}

QString outcomesCsv(const std::vector<RowOutcome>& rows) {
    QStringList header{QStringLiteral("line"), QStringLiteral("mac"), QStringLiteral("result")};
    for (int v = 0; v < planValueCount; ++v) {
        header.append(planValueName(PlanValue(v)) + QStringLiteral("_from"));
        header.append(planValueName(PlanValue(v)) + QStringLiteral("_to"));
        header.append(planValueName(PlanValue(v)) + QStringLiteral("_result"));
    }
    header.append(QStringLiteral("detail"));
    QString out = report::csvRecord(header);
    for (const RowOutcome& row : rows) {
        QStringList fields{QString::number(row.line), row.mac, row.result};
        for (const auto& change : row.changes) {
            fields.append(change ? change->from : QString());
            fields.append(change ? change->to : QString());
            fields.append(change ? change->confirmed : QString());
        }
        fields.append(row.detail);
        out += report::csvRecord(fields);
    }
    return out;
}

} // namespace cli
