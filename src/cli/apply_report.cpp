#include "cli/apply_report.h"

#include <algorithm>

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
                             .arg(planValueName(PlanValue(v)), change->from, change->to));
    }
    return parts.join(QStringLiteral(", "));
}

RowStreamLayout outcomesLayout(int lastLine) {
    RowStreamLayout layout;
    layout.headings = QStringList{QStringLiteral("LINE"), QStringLiteral("MAC"),
                                  QStringLiteral("RESULT"), QStringLiteral("CHANGES")};
    // As wide as the longest line number, a MAC and the longest result word.
    layout.widths = {std::max<qsizetype>(4, QString::number(lastLine).size()), 17,
                     QStringLiteral("would change").size()};
    layout.csvHeader =
        QStringList{QStringLiteral("line"), QStringLiteral("mac"), QStringLiteral("result")};
    for (int v = 0; v < planValueCount; ++v) {
        layout.csvHeader.append(planValueName(PlanValue(v)) + QStringLiteral("_from"));
        layout.csvHeader.append(planValueName(PlanValue(v)) + QStringLiteral("_to"));
    }
    layout.csvHeader.append(QStringLiteral("detail"));
    return layout;
}

QStringList outcomeTableCells(const RowOutcome& row) {
    QString what = changesText(row.changes);
    if (!row.detail.isEmpty())
        what += (what.isEmpty() ? QString() : QStringLiteral("; ")) + row.detail;
    return {QString::number(row.line), row.mac, row.result, what};
}

QStringList outcomeCsvFields(const RowOutcome& row) {
    QStringList fields{QString::number(row.line), row.mac, row.result};
    for (const auto& change : row.changes) {
        fields.append(change ? change->from : QString());
        fields.append(change ? change->to : QString());
    }
    fields.append(row.detail);
    return fields;
}

QJsonObject outcomeJson(const RowOutcome& row) {
    QJsonObject changes;
    for (int v = 0; v < planValueCount; ++v) {
        if (const auto& change = row.changes[v])
            changes.insert(planValueName(PlanValue(v)),
                           QJsonObject{{QStringLiteral("from"), change->from},
                                       {QStringLiteral("to"), change->to}});
    }
    return QJsonObject{
        {QStringLiteral("line"), row.line},
        {QStringLiteral("mac"), row.mac},
        {QStringLiteral("result"), row.result},
        {QStringLiteral("changes"), changes},
        {QStringLiteral("detail"), row.detail.isEmpty() ? QJsonValue() : QJsonValue(row.detail)}};
}

} // namespace cli
