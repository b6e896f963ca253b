#include "cli/plan_file.h"

#include "cli/address_rules.h"
#include "cli/plan_columns.h"
#include "report/csv_text.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <array>

namespace cli {

namespace {

using Column = PlanColumn;
constexpr int columnCount = planColumnCount;

bool allEmpty(const QStringList& fields) {
    for (const QString& field : fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

// Which column of the file each plan column is in; -1 where the header does not name it.
struct Header {
    std::array<qsizetype, columnCount> at{};
    qsizetype width = 0;
};

std::optional<Header> readHeader(const report::CsvRecord& record, Plan& plan) {
    std::vector<PlanProblem>& problems = plan.problems;
    Header header;
    header.at.fill(-1);
    header.width = record.fields.size();
    bool sound = true;
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const QString cell = record.fields[i].trimmed();
        if (cell.isEmpty() && i == record.fields.size() - 1 && i > 0) {
            header.width = i; // a separator at the end of the line
            continue;
        }
        const HeaderName name = classifyHeader(cell);
        const QString& planName = planColumnNames()[name.column];
        switch (name.kind) {
        case HeaderName::Kind::Export:
            break;
        case HeaderName::Kind::Foreign:
            plan.ignoredColumns.append(cell);
            break;
        case HeaderName::Kind::LikelyTypo:
            problems.push_back({record.line, QStringLiteral("column \"%1\" looks like \"%2\" "
                                                            "misspelt; name it %2, or give a "
                                                            "column of your own another name")
                                                 .arg(cell, planName)});
            sound = false;
            break;
        case HeaderName::Kind::Plan:
            if (header.at[name.column] >= 0) {
                problems.push_back(
                    {record.line, QStringLiteral("column \"%1\" named twice").arg(planName)});
                sound = false;
            } else {
                header.at[name.column] = i;
            }
            break;
        }
    }
    if (header.at[colMac] < 0) {
        problems.push_back({record.line, QStringLiteral("the header names no \"mac\" column")});
        sound = false;
    }
    if (!sound)
        return std::nullopt;
    return header;
}

// The device list's words for a device whose DHCP cannot be told or switched.
bool leavesDhcp(const QString& cell) {
    const QString word = cell.toLower();
    return word == QLatin1String("unsupported") || word == QLatin1String("n/a");
}

class RowReader {
public:
    RowReader(const Header& header, std::vector<PlanProblem>& problems)
        : header(header), problems(problems) {}

    // The row with the values that are sound; a fault of the others is reported.
    PlanRow read(const report::CsvRecord& record) {
        line = record.line;
        fields = record.fields;
        for (qsizetype i = header.width; i < fields.size(); ++i) {
            if (!fields[i].trimmed().isEmpty()) {
                report(QStringLiteral("more cells than the header names"));
                break;
            }
        }
        PlanRow row;
        row.line = line;
        const QString macText = cell(colMac);
        if (macText.isEmpty())
            report(QStringLiteral("no MAC address"));
        else
            row.mac = checked(macAddress(macText)).value_or(QString());
        row.ip = optionalValue(colIp, deviceAddress);
        row.netmask = optionalValue(colNetmask, netmask);
        row.gateway = optionalValue(colGateway, gatewayAddress);
        if (const QString dhcp = cell(colDhcp); !dhcp.isEmpty() && !leavesDhcp(dhcp)) {
            row.dhcp = dhcpSwitch(dhcp);
            if (!row.dhcp)
                report(QStringLiteral("bad DHCP value \"%1\": on or off (active, inactive; "
                                      "unsupported or n/a leave it)")
                           .arg(dhcp));
        }
        return row;
    }

private:
    QString cell(Column column) const {
        const qsizetype at = header.at[column];
        return at >= 0 && at < fields.size() ? fields[at].trimmed() : QString();
    }

    void report(const QString& message) { problems.push_back({line, message}); }

    std::optional<QString> checked(const Checked& result) {
        if (!result.value)
            report(result.problem);
        return result.value;
    }

    std::optional<QString> optionalValue(Column column, Checked (*check)(const QString&)) {
        const QString text = cell(column);
        if (text.isEmpty())
            return std::nullopt;
        return checked(check(text));
    }

    const Header& header;
    std::vector<PlanProblem>& problems;
    int line = 0;
    QStringList fields;
};

// A MAC planned twice, or one IP for two devices: the later row is at fault. Values that
// are not sound are left out of the rows and of this check.
void checkUnique(const std::vector<PlanRow>& rows, std::vector<PlanProblem>& problems) {
    QHash<QString, const PlanRow*> byMac;
    QHash<QString, const PlanRow*> byIp;
    for (const PlanRow& row : rows) {
        if (row.mac.isEmpty())
            continue;
        if (const PlanRow* earlier = byMac.value(row.mac)) {
            problems.push_back({row.line, QStringLiteral("MAC address %1 is planned on line %2 "
                                                         "already")
                                              .arg(row.mac)
                                              .arg(earlier->line)});
        } else {
            byMac.insert(row.mac, &row);
        }
        if (!row.ip)
            continue;
        if (const PlanRow* earlier = byIp.value(*row.ip)) {
            problems.push_back({row.line, QStringLiteral("IP address %1 is planned for %2 on "
                                                         "line %3 already")
                                              .arg(*row.ip, earlier->mac)
                                              .arg(earlier->line)});
        } else {
            byIp.insert(*row.ip, &row);
        }
    }
}

} // namespace

Plan parsePlan(const QString& text) {
    Plan plan;
    const report::CsvTable table = report::readCsv(text);
    std::size_t next = 0;
    while (next < table.records.size() && allEmpty(table.records[next].fields))
        ++next;
    if (next == table.records.size()) {
        if (table.error)
            plan.problems.push_back({table.error->line, table.error->fields.value(0)});
        plan.problems.push_back(
            {1, QStringLiteral("no header row: it names mac and some of ip, netmask, gateway, "
                               "dhcp")});
        return plan;
    }
    const std::optional<Header> header = readHeader(table.records[next], plan);
    if (header) {
        RowReader reader(*header, plan.problems);
        std::vector<PlanRow> rows;
        for (std::size_t i = next + 1; i < table.records.size(); ++i) {
            if (allEmpty(table.records[i].fields))
                continue;
            rows.push_back(reader.read(table.records[i]));
        }
        // Rows with faults of their own still count: a MAC planned twice is a fault of the
        // later row whatever else it holds.
        checkUnique(rows, plan.problems);
        if (rows.empty() && plan.problems.empty() && !table.error)
            plan.problems.push_back(
                {table.records[next].line, QStringLiteral("the plan names no device")});
        if (plan.problems.empty())
            plan.rows = std::move(rows);
    }
    if (table.error)
        plan.problems.push_back({table.error->line, table.error->fields.value(0)});
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
                     [](const PlanProblem& a, const PlanProblem& b) { return a.line < b.line; });
    return plan;
}

} // namespace cli
