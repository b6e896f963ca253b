#include "cli/plan_intake.h"

#include "cli/plan_source.h"

#include <QStringList>

namespace cli {

std::optional<Plan> loadPlan(const QString& path, QTextStream& err) {
    const QString shown =
        path == QLatin1String("-") ? QStringLiteral("standard input") : printableText(path);
    const PlanText source = readPlanText(path);
    if (!source.text) {
        err << "torvane-cli: the plan " << shown << " is refused: " << source.problem
            << "; nothing was sent\n";
        return std::nullopt;
    }
    Plan plan = parsePlan(*source.text);
    if (plan.problems.empty()) {
        if (!plan.ignoredColumns.isEmpty()) {
            QStringList quoted;
            for (const QString& name : std::as_const(plan.ignoredColumns))
                quoted.append(u'"' + printableText(name) + u'"');
            err << "torvane-cli: " << shown << ": ignored "
                << (quoted.size() == 1 ? "column " : "columns ")
                << quoted.join(QStringLiteral(", "))
                << " (the plan's columns are mac, ip, netmask, gateway, dhcp)\n";
        }
        return plan;
    }
    const qsizetype count = qsizetype(plan.problems.size());
    for (qsizetype i = 0; i < count && i < kFaultsShown; ++i) {
        const PlanProblem& problem = plan.problems[std::size_t(i)];
        err << shown << ':' << problem.line << ": " << printableText(problem.message) << '\n';
    }
    if (count > kFaultsShown)
        err << shown << ": " << (count - kFaultsShown) << " more faults\n";
    err << "torvane-cli: the plan has faults; nothing was sent\n";
    return std::nullopt;
}

} // namespace cli
